#pragma once

#include <QAbstractNativeEventFilter>
#include <QObject>
#include <QPointer>
#include <QWindow>

#include <functional>

namespace stylorex {

// Notices when another program destroys our top-level window (`xdotool windowclose`, a window
// manager that dies while it holds the window): the toolkit itself carries on as if the
// window still existed, so a run would never end. `onDestroyed` runs once, later, from the
// event loop. Qt's own destruction of the window is not reported: it drops its native handle
// first. Platforms whose windows no other program can destroy never report.
class WindowDestructionWatch : public QObject, public QAbstractNativeEventFilter {
    Q_OBJECT
  public:
    // `window` is shown, with a native handle.
    WindowDestructionWatch(QWindow* window, std::function<void()> onDestroyed,
                           QObject* parent = nullptr);
    ~WindowDestructionWatch() override;

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

  private:
    QPointer<QWindow> window_;
    std::function<void()> onDestroyed_;
    bool reported_ = false;
};

}  // namespace stylorex
