#pragma once

#include <QPoint>
#include <QString>
#include <QTemporaryFile>
#include <QThread>

#include <functional>
#include <memory>
#include <optional>

namespace stylorex {

class CursorReceiver;
class SessionBus;

// Where KWin's pointer stands, as KWin itself tells it: a script loaded into KWin calls back
// over D-Bus with the position at each change (KWin lets no other client read the pointer).
// The calls arrive in the order the pointer took the positions, on a thread of the watch's
// own, so they keep coming while the program's thread is busy driving the pointer.
class KWinCursorWatch {
  public:
    using Report = std::function<void(QPoint)>;

    explicit KWinCursorWatch(std::shared_ptr<SessionBus> bus);
    ~KWinCursorWatch();
    KWinCursorWatch(const KWinCursorWatch&) = delete;
    KWinCursorWatch& operator=(const KWinCursorWatch&) = delete;

    // Reports every later position to `report`, from the watch's thread, until stop(); false
    // when KWin did not take the script.
    bool start(Report report);
    // Once it returns, `report` is not called again.
    void stop();
    // Where the pointer stands now; nothing when KWin does not say within `limitMs`.
    std::optional<QPoint> position(int limitMs = 1000);

  private:
    // Loads `source` as a script of KWin's under the watch's name and runs it.
    bool load(const QString& source);
    void unload();

    std::shared_ptr<SessionBus> bus_;
    QThread thread_;
    CursorReceiver* receiver_;
    QString pluginName_;
    std::unique_ptr<QTemporaryFile> script_;
    bool registered_ = false;
};

}  // namespace stylorex
