#pragma once

#include <QLabel>
#include <QString>

namespace stylorex {

// A panel of the status rows. Its text shows whole where it fits; where it does not (a value far
// larger than usual), it is cut short with "…" and the tool tip holds the whole text. Texts that
// tell the user what to do next are made to fit whole, never cut (see the fit test).
class StatusPanel : public QLabel {
    Q_OBJECT
  public:
    explicit StatusPanel(QWidget* parent = nullptr);

    void setWholeText(const QString& text);
    const QString& wholeText() const { return whole_; }
    // What the tool tip says besides the whole text; shown as it is while the text is whole.
    void setDetails(const QString& details);
    const QString& details() const { return details_; }
    // Whether the panel shows its text whole.
    bool showsWholeText() const { return text() == whole_; }

  protected:
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

  private:
    void showFitted();

    QString whole_;
    QString details_;
};

}  // namespace stylorex
