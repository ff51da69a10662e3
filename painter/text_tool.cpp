#include "painter/text_tool.h"

#include "canvas/picture_box.h"
#include "common/user_dialogs.h"
#include "engine/run_state.h"
#include "painter/canvas_drawing.h"
#include "painter/coordinates.h"

#include <QApplication>
#include <QClipboard>
#include <QCoreApplication>
#include <QFocusEvent>
#include <QFontDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTextCursor>

namespace stylorex {

namespace {

QString badTilt() {
    return QCoreApplication::translate("TextTool", "傾きが不正です(0-360)");
}
QString badCoordinate() {
    return QCoreApplication::translate("TextTool", "座標が不正です");
}
constexpr int kMinTilt = 0;
constexpr int kMaxTilt = 360;

// The six font attributes the text tool passes on: bold, italic, name, size, strikethrough,
// underline (in the order the font dialog's answer is applied); the rest of `target` stays.
QFont withTextAttributes(QFont target, const QFont& from) {
    target.setBold(from.bold());
    target.setItalic(from.italic());
    target.setFamily(from.family());
    if (from.pointSizeF() > 0) {
        target.setPointSizeF(from.pointSizeF());
    }
    target.setStrikeOut(from.strikeOut());
    target.setUnderline(from.underline());
    return target;
}

bool isPasteKey(const QKeyEvent* key) {
    return key->key() == Qt::Key_V && (key->modifiers() & Qt::ControlModifier);
}

}  // namespace

std::optional<QFont> ChooseFontWithDialog(const QFont& current, QWidget* parent) {
    bool ok = false;
    const QFont chosen = QFontDialog::getFont(&ok, current, parent);
    if (!ok) {
        return std::nullopt;
    }
    return chosen;
}

std::optional<std::int16_t> ParseInt16(const QString& text) {
    static const QRegularExpression wholeNumber(QStringLiteral("^\\s*[+-]?[0-9]+\\s*$"));
    if (!wholeNumber.match(text).hasMatch()) {
        return std::nullopt;
    }
    bool ok = false;
    const qlonglong value = text.trimmed().toLongLong(&ok);
    if (!ok || value < -32768 || value > 32767) {
        return std::nullopt;
    }
    return static_cast<std::int16_t>(value);
}

void DrawTextOutline(std::int16_t x, std::int16_t y, PictureBox& picture, const QString& text,
                     std::int16_t /*tilt: the text is always drawn horizontally*/) {
    picture.setCurrentX(x);
    picture.setCurrentY(y);
    StrokeTextOutline(picture, text);
}

TextTool::TextTool(const Controls& controls, QObject* parent)
    : QObject(parent), c_(controls), chooseFont_(ChooseFontWithDialog) {
    c_.txtChar->hide();
    // Tab leaves the box like any other focus loss, and so does hiding it while it has the
    // focus: Qt then hands the focus on along the Tab chain. A text box that keeps Tab as text
    // would keep the focus when hidden, and every Tab and Enter after would vanish into it.
    c_.txtChar->setTabChangesFocus(true);
    c_.txtChar->installEventFilter(this);
    c_.txtInput->installEventFilter(this);
    for (int i = 0; i < 2; ++i) {
        connect(c_.cmdDrawZtxt[i], &QPushButton::clicked, this, [this, i] { DrawInputText(i); });
    }
    connect(c_.cmdfont, &QPushButton::clicked, this, &TextTool::ChooseFont);
}

TextTool::~TextTool() = default;

void TextTool::OpenCharBox(float x, float y) {
    CharX_ = RoundHalfEven(x);
    CharY_ = RoundHalfEven(y);
    c_.txtChar->clear();
    c_.txtChar->setFont(withTextAttributes(c_.txtChar->font(), c_.picSRC->font()));
    c_.txtChar->move(CharX_, CharY_);
    charBoxShown_ = true;
    c_.txtChar->show();
    c_.txtChar->raise();
    c_.txtChar->setFocus(Qt::OtherFocusReason);
}

void TextTool::CommitCharText() {
    // Marked hidden before hiding: hiding moves the focus away, and that focus loss must not
    // commit the text a second time.
    charBoxShown_ = false;
    c_.txtChar->hide();
    PictureBox& picture = *c_.picSRC;
    picture.setCurrentX(CharX_);
    picture.setCurrentY(CharY_);
    picture.setAutoRedraw(true);
    PrintText(picture, c_.txtChar->toPlainText());
    picture.setAutoRedraw(false);
    picture.recordStep();
}

void TextTool::CancelCharBox() {
    charBoxShown_ = false;
    c_.txtChar->hide();
}

void TextTool::DrawInputText(int index) {
    if (!c_.runState->allows(UserCommand::PaintOnCanvas)) {
        return;
    }
    PictureBox& picture = *c_.picSRC;
    const std::optional<std::int16_t> tilt = ParseInt16(c_.txtAngle->text());
    if (!tilt || *tilt < kMinTilt || *tilt > kMaxTilt) {
        c_.dialogs->message(badTilt());
        return;
    }
    const std::optional<std::int16_t> x = ParseInt16(c_.txtTextOut[0]->text());
    const std::optional<std::int16_t> y = ParseInt16(c_.txtTextOut[1]->text());
    if (!x || !y || picture.ScaleWidth() - 1 < 0 || picture.ScaleHeight() - 1 < 0) {
        c_.dialogs->message(badCoordinate());
        return;
    }
    if (!picture.AutoRedraw()) {
        picture.setAutoRedraw(true);
    }
    picture.setCurrentX(*x);
    picture.setCurrentY(*y);
    const QString text = c_.txtInput->toPlainText();
    if (index == 0) {
        PrintText(picture, text);
    } else {
        DrawTextOutline(*x, *y, picture, text, *tilt);
    }
    picture.Refresh();
    picture.recordStep();
}

void TextTool::ChooseFont() {
    const std::optional<QFont> chosen = chooseFont_(c_.picSRC->font(), c_.cmdfont->window());
    if (!chosen) {
        return;
    }
    c_.picSRC->setFont(withTextAttributes(c_.picSRC->font(), *chosen));
    c_.txtInput->setFont(withTextAttributes(c_.txtInput->font(), *chosen));
}

bool TextTool::eventFilter(QObject* watched, QEvent* event) {
    if (watched == c_.txtChar) {
        return charKey(event);
    }
    if (watched == c_.txtInput) {
        return inputKey(event);
    }
    return false;
}

bool TextTool::charKey(QEvent* event) {
    switch (event->type()) {
        case QEvent::ShortcutOverride: {
            // Enter and Esc belong to the entry box, not to a shortcut of the window.
            auto* key = static_cast<QKeyEvent*>(event);
            if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter ||
                key->key() == Qt::Key_Escape) {
                event->accept();
                return true;
            }
            return false;
        }
        case QEvent::KeyPress: {
            auto* key = static_cast<QKeyEvent*>(event);
            if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
                if (charBoxShown_) {
                    CommitCharText();
                }
                return true;
            }
            if (key->key() == Qt::Key_Escape) {
                CancelCharBox();
                return true;
            }
            return false;
        }
        case QEvent::FocusOut: {
            // A popup (the box's own context menu) or another window taking the focus is not
            // the user leaving the box.
            const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
            if (charBoxShown_ && reason != Qt::PopupFocusReason &&
                reason != Qt::ActiveWindowFocusReason) {
                CommitCharText();
            }
            return false;
        }
        default:
            return false;
    }
}

bool TextTool::inputKey(QEvent* event) {
    if (event->type() != QEvent::ShortcutOverride && event->type() != QEvent::KeyPress) {
        return false;
    }
    auto* key = static_cast<QKeyEvent*>(event);
    if (!isPasteKey(key)) {
        return false;
    }
    if (event->type() == QEvent::ShortcutOverride) {
        // Keeps the window's picture paste from taking Ctrl+V while the text box has the focus.
        event->accept();
        return true;
    }
    // The whole content is replaced through the cursor, so that Undo brings the old text back.
    QTextCursor cursor(c_.txtInput->document());
    cursor.select(QTextCursor::Document);
    cursor.insertText(QApplication::clipboard()->text());
    return true;
}

}  // namespace stylorex
