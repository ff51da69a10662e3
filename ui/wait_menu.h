#pragma once

#include "common/setting_limits.h"
#include "settings/persistent_settings.h"

#include <QObject>

#include <array>

class QAction;
class QMenu;

namespace stylorex {

// The "描画ウェイト(&W)" submenu: eight checkable items "0ms" to "7ms" that set WaitTime.
// After a choice exactly one item carries the check mark; before the first one, at most one.
// Each item's tool tip says what the wait is in the follow mode: the pace where the screen
// cannot be read back, or after the run fell back to the fixed wait.
class WaitMenu : public QObject {
    Q_OBJECT
  public:
    static constexpr int kItems = kLongestWaitMs + 1;

    // Fills `submenu` with the items (objectNames "mnu_waittime_0" to "mnu_waittime_7").
    WaitMenu(QMenu& submenu, SettingVariables& settings, QObject* parent = nullptr);

    QAction* item(int index) const { return items_.at(index); }
    // Start-up: checks the item of WaitTime when it is 0 to 7; unchecks nothing.
    void showStartupWait();
    // A click on item `index`: check it, WaitTime = index, uncheck every other item.
    void choose(int index);

  private:
    SettingVariables& settings_;
    std::array<QAction*, kItems> items_{};
};

}  // namespace stylorex
