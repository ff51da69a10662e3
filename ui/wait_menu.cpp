#include "ui/wait_menu.h"

#include <QAction>
#include <QMenu>

namespace stylorex {

WaitMenu::WaitMenu(QMenu& submenu, SettingVariables& settings, QObject* parent)
    : QObject(parent), settings_(settings) {
    // In the follow mode the run waits for the target's ink instead; the wait paces it only
    // where the ink cannot be seen.
    const QString pace =
        tr("「描画を確かめながら進む」がオンのときは、描画先の画面を読み取れない場合と、描画が"
           "見えずに固定ウェイトに切り替えた後に、このウェイトで描画します。");
    submenu.setToolTipsVisible(true);
    for (int i = 0; i < kItems; ++i) {
        QAction* action = submenu.addAction(QStringLiteral("%1ms").arg(i));
        action->setObjectName(QStringLiteral("mnu_waittime_%1").arg(i));
        action->setToolTip(pace);
        action->setCheckable(true);
        // Qt toggles a checkable item before `triggered`; choose() sets the marks itself, so
        // clicking the checked item keeps it checked.
        connect(action, &QAction::triggered, this, [this, i] { choose(i); });
        items_[i] = action;
    }
}

void WaitMenu::showStartupWait() {
    if (settings_.WaitTime >= 0 && settings_.WaitTime < kItems) {
        items_[settings_.WaitTime]->setChecked(true);
    }
}

void WaitMenu::choose(int index) {
    if (index < 0 || index >= kItems) {
        return;
    }
    items_[index]->setChecked(true);
    settings_.WaitTime = static_cast<std::int16_t>(index);
    for (int i = 0; i < kItems; ++i) {
        if (i != index) {
            items_[i]->setChecked(false);
        }
    }
}

}  // namespace stylorex
