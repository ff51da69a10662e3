#pragma once

#include <QFont>
#include <QObject>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QWidget;

namespace stylorex {

class PictureBox;
class RunState;
class UserDialogs;

// Asks the user for a font, starting from `current`; nothing when the dialog was cancelled.
using FontChooser = std::function<std::optional<QFont>(const QFont& current, QWidget* parent)>;

// The font dialog the program uses: Qt's font dialog, modal.
std::optional<QFont> ChooseFontWithDialog(const QFont& current, QWidget* parent);

// A whole number in -32768..32767 written in decimal (spaces around it allowed); nothing for
// empty text, letters, fractions or numbers out of that range.
std::optional<std::int16_t> ParseInt16(const QString& text);

// Outline text: the glyph outlines of `text` placed from (x, y) as normal text would be, stroked
// with the picture's whole pen (ForeColor, DrawWidth, DrawStyle) and left hollow. The tilt is
// accepted but the text is drawn horizontally.
void DrawTextOutline(std::int16_t x, std::int16_t y, PictureBox& picture, const QString& text,
                     std::int16_t tilt);

// The text tool: the in-place entry box txtChar opened where the user releases the button with
// the tool "文字", and the two buttons that draw the whole of txtInput at the coordinates in
// txtTextOut, as normal ("普通に描画") or outline text ("中抜き描画"), plus the font dialog.
class TextTool : public QObject {
    Q_OBJECT
  public:
    struct Controls {
        PictureBox* picSRC = nullptr;
        QPlainTextEdit* txtChar = nullptr;
        QPlainTextEdit* txtInput = nullptr;
        QLineEdit* txtTextOut[2] = {nullptr, nullptr};
        QLineEdit* txtAngle = nullptr;
        QPushButton* cmdfont = nullptr;
        QPushButton* cmdDrawZtxt[2] = {nullptr, nullptr};
        // The message boxes; Qt's own when none is given.
        UserDialogs* dialogs = nullptr;  // must be set: every message of the text tool
        // While a drawing run is in progress the two drawing buttons do nothing.
        const RunState* runState = nullptr;  // must be set
    };

    explicit TextTool(const Controls& controls, QObject* parent = nullptr);
    ~TextTool() override;

    // Opens the empty entry box with its top-left corner at (x, y) of the picture, in the
    // picture's font, focused; (x, y) rounded to whole pixels becomes the text's anchor.
    void OpenCharBox(float x, float y);
    // Hides the entry box and draws its text at the anchor into the persistent image, one undo
    // step.
    void CommitCharText();
    // Hides the entry box without drawing.
    void CancelCharBox();
    bool charBoxShown() const { return charBoxShown_; }
    std::int32_t CharX() const { return CharX_; }
    std::int32_t CharY() const { return CharY_; }

    // The click of cmdDrawZtxt(index): 0 normal text, 1 outline text; one undo step.
    void DrawInputText(int index);
    // The click of cmdfont.
    void ChooseFont();
    // Lets tests answer the font dialog.
    void setFontChooser(FontChooser chooser) { chooseFont_ = std::move(chooser); }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    bool charKey(QEvent* event);
    bool inputKey(QEvent* event);

    Controls c_;
    FontChooser chooseFont_;
    std::int32_t CharX_ = 0;
    std::int32_t CharY_ = 0;
    bool charBoxShown_ = false;
};

}  // namespace stylorex
