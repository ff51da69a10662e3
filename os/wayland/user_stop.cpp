#include "os/wayland/user_stop.h"

#include <QCoreApplication>
#include <QEvent>
#include <QKeyEvent>

#include <algorithm>
#include <cstdlib>

namespace stylorex {

void ForeignMoveWatch::start() {
    std::lock_guard lock(mutex_);
    pending_.clear();
    armed_ = false;
    foreign_ = false;
}

void ForeignMoveWatch::moved(QPoint to) {
    std::lock_guard lock(mutex_);
    if (pending_.size() == kMaxPending) {
        pending_.pop_front();
    }
    pending_.push_back(to);
}

void ForeignMoveWatch::reported(QPoint at) {
    std::lock_guard lock(mutex_);
    const auto near = std::find_if(pending_.begin(), pending_.end(), [at](QPoint p) {
        return std::abs(p.x() - at.x()) <= kTolerance && std::abs(p.y() - at.y()) <= kTolerance;
    });
    if (near == pending_.end()) {
        foreign_ = foreign_ || armed_;
        return;
    }
    // The moves before the one matched are behind the pointer now; the matched one stays, as
    // the next report may show the pointer still there.
    pending_.erase(pending_.begin(), near);
    armed_ = true;
}

bool ForeignMoveWatch::take() {
    std::lock_guard lock(mutex_);
    return std::exchange(foreign_, false);
}

void OwnWindowEsc::install() {
    if (!installed_ && QCoreApplication::instance() != nullptr) {
        QCoreApplication::instance()->installEventFilter(this);
        installed_ = true;
    }
    pressed_ = false;
}

void OwnWindowEsc::remove() {
    if (installed_ && QCoreApplication::instance() != nullptr) {
        QCoreApplication::instance()->removeEventFilter(this);
    }
    installed_ = false;
}

bool OwnWindowEsc::take() {
    return pressed_.exchange(false);
}

bool OwnWindowEsc::eventFilter(QObject* watched, QEvent* event) {
    // A key reaches the application's filter once for each object it passes through on its way
    // to the focused widget; one of them is enough.
    if (event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
        pressed_ = true;
    }
    return QObject::eventFilter(watched, event);
}

void UserStop::runStarting() {
    moves_.start();
    ownEsc_.install();
    if (!inRun_) {
        stops_.hold();
        inRun_ = true;
    }
}

void UserStop::runEnded() {
    ownEsc_.remove();
    if (inRun_) {
        inRun_ = false;
        // A stop that came during the run takes effect now, the button released.
        stops_.endHold();
    }
}

bool UserStop::take() {
    // Every latch is emptied at every call.
    const bool suspended = inRun_ && stops_.interruptedDuringHold();
    const bool esc = ownEsc_.take();
    const bool moved = moves_.take();
    if (suspended) {
        cause_ = StopCause::Suspended;
    } else if (esc) {
        cause_ = StopCause::EscKey;
    } else if (moved) {
        cause_ = StopCause::PointerMoved;
    }
    return suspended || esc || moved;
}

QString EscUnseenElsewhereText() {
    return QCoreApplication::translate(
        "UserStop",
        "このデスクトップでは、ほかのウィンドウで押された Esc キーに Stylorex は気づけません。");
}

QString StopByMovingThePointerText() {
    return QCoreApplication::translate(
        "UserStop",
        "描画を止めるには、マウスを少し動かしてください（Stylorex のウィンドウが前面にあれば、"
        "そこで押した Esc でも止まります）。");
}

}  // namespace stylorex
