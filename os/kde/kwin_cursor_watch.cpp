#include "os/kde/kwin_cursor_watch.h"

#include "os/dbus/session_bus.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDir>
#include <QObject>

#include <condition_variable>
#include <mutex>
#include <utility>

namespace stylorex {

namespace {

const QString kKWin = QStringLiteral("org.kde.KWin");
const QString kScripting = QStringLiteral("/Scripting");
const QString kScriptingInterface = QStringLiteral("org.kde.kwin.Scripting");
const QString kReceiverPath = QStringLiteral("/CursorWatch");

QDBusMessage ScriptingCall(const QString& method, const QVariantList& arguments) {
    QDBusMessage call =
        QDBusMessage::createMethodCall(kKWin, kScripting, kScriptingInterface, method);
    call.setArguments(arguments);
    return call;
}

}  // namespace

// The object KWin's script calls, living on the watch's thread.
class CursorReceiver : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.stylorex.CursorWatch")

  public:
    void setReport(KWinCursorWatch::Report report) {
        std::lock_guard lock(mutex_);
        report_ = std::move(report);
    }
    // Forgets the last position; the next one reported wakes waitForPosition().
    void expectPosition() {
        std::lock_guard lock(mutex_);
        last_.reset();
    }
    std::optional<QPoint> waitForPosition(int limitMs) {
        std::unique_lock lock(mutex_);
        changed_.wait_for(lock, std::chrono::milliseconds(limitMs),
                          [this] { return last_.has_value(); });
        return last_;
    }

  public slots:
    Q_NOREPLY void moved(int x, int y) {
        std::lock_guard lock(mutex_);
        last_ = QPoint(x, y);
        if (report_) {
            report_(*last_);
        }
        changed_.notify_all();
    }

  private:
    std::mutex mutex_;
    std::condition_variable changed_;
    KWinCursorWatch::Report report_;
    std::optional<QPoint> last_;
};

KWinCursorWatch::KWinCursorWatch(std::shared_ptr<SessionBus> bus)
    : bus_(std::move(bus)),
      receiver_(new CursorReceiver),
      pluginName_(
          QStringLiteral("stylorex-cursor-watch-%1").arg(QCoreApplication::applicationPid())) {
    receiver_->moveToThread(&thread_);
    thread_.start();
    registered_ = bus_->connection().registerObject(kReceiverPath, receiver_,
                                                    QDBusConnection::ExportAllSlots);
}

KWinCursorWatch::~KWinCursorWatch() {
    stop();
    if (registered_) {
        bus_->connection().unregisterObject(kReceiverPath);
    }
    thread_.quit();
    thread_.wait();
    delete receiver_;
}

bool KWinCursorWatch::start(Report report) {
    receiver_->setReport(std::move(report));
    if (load(QStringLiteral("workspace.cursorPosChanged.connect(report);\n"))) {
        return true;
    }
    receiver_->setReport({});
    return false;
}

void KWinCursorWatch::stop() {
    unload();
    receiver_->setReport({});
}

std::optional<QPoint> KWinCursorWatch::position(int limitMs) {
    receiver_->expectPosition();
    if (!load(QStringLiteral("report();\n"))) {
        return std::nullopt;
    }
    std::optional<QPoint> at = receiver_->waitForPosition(limitMs);
    unload();
    return at;
}

bool KWinCursorWatch::load(const QString& source) {
    if (!registered_) {
        return false;
    }
    unload();
    script_ = std::make_unique<QTemporaryFile>(QDir::tempPath() +
                                               QStringLiteral("/stylorex-kwin-XXXXXX.js"));
    if (!script_->open()) {
        return false;
    }
    // The script calls this connection by its unique name, which no other program can own.
    const QString script =
        QStringLiteral(
            "function report() {\n"
            "    var p = workspace.cursorPos;\n"
            "    callDBus(\"%1\", \"%2\", \"org.stylorex.CursorWatch\", \"moved\","
            " p.x, p.y);\n"
            "}\n")
            .arg(bus_->connection().baseService(), kReceiverPath) +
        source;
    script_->write(script.toUtf8());
    script_->flush();
    const QDBusMessage loaded =
        bus_->call(ScriptingCall(QStringLiteral("loadScript"), {script_->fileName(), pluginName_}));
    if (loaded.type() != QDBusMessage::ReplyMessage || loaded.arguments().isEmpty() ||
        loaded.arguments().first().toInt() < 0) {
        return false;
    }
    // Runs every script loaded and not yet running: this one.
    return bus_->call(ScriptingCall(QStringLiteral("start"), {})).type() ==
           QDBusMessage::ReplyMessage;
}

void KWinCursorWatch::unload() {
    if (script_ == nullptr) {
        return;
    }
    bus_->call(ScriptingCall(QStringLiteral("unloadScript"), {pluginName_}));
    script_.reset();
}

}  // namespace stylorex

#include "kwin_cursor_watch.moc"
