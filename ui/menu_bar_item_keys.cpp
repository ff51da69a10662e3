#include "ui/menu_bar_item_keys.h"

#include <QAction>
#include <QKeyEvent>
#include <QMenuBar>
#include <QShortcutEvent>

namespace stylorex {

MenuBarItemKeys::MenuBarItemKeys(QMenuBar& bar, QAction& item)
    : QObject(&bar), bar_(bar), item_(item) {
    bar.installEventFilter(this);
}

bool MenuBarItemKeys::eventFilter(QObject* watched, QEvent* event) {
    if (watched != &bar_) {
        return false;
    }
    switch (event->type()) {
        case QEvent::Shortcut:
            if (static_cast<QShortcutEvent*>(event)->key() ==
                    QKeySequence::mnemonic(item_.text()) &&
                item_.isEnabled()) {
                focusBefore_ = bar_.window()->focusWidget();
                bar_.setActiveAction(&item_);
                bar_.setFocus(Qt::ShortcutFocusReason);
                return true;
            }
            return false;
        case QEvent::KeyPress: {
            if (bar_.activeAction() != &item_) {
                return false;
            }
            const int key = static_cast<QKeyEvent*>(event)->key();
            const bool open = key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space;
            if (!open && key != Qt::Key_Escape) {
                return false;
            }
            bar_.setActiveAction(nullptr);
            if (focusBefore_ != nullptr) {
                focusBefore_->setFocus(Qt::OtherFocusReason);
            }
            if (open) {
                item_.trigger();
            }
            return true;
        }
        case QEvent::FocusOut:
            if (bar_.activeAction() == &item_) {
                bar_.setActiveAction(nullptr);
            }
            return false;
        default:
            return false;
    }
}

}  // namespace stylorex
