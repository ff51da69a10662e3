#pragma once

#include <QObject>
#include <QPointer>

class QAction;
class QMenuBar;
class QWidget;

namespace stylorex {

// A menu bar item that opens something at once (no menu drops down): its Alt key selects it as
// it selects the menus beside it, and Enter (or Space) then opens it, Esc leaves. Without this
// the menu bar would open it at once on the Alt key, and the Enter that the user then presses,
// as for the menus beside it, would close it again before it was seen. A child of `bar`.
class MenuBarItemKeys : public QObject {
    Q_OBJECT
  public:
    MenuBarItemKeys(QMenuBar& bar, QAction& item);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QMenuBar& bar_;
    QAction& item_;
    // Where the focus goes back to when the menu bar lets the item go.
    QPointer<QWidget> focusBefore_;
};

}  // namespace stylorex
