#include "os/kde/kde_session.h"

#include "common/program_message.h"
#include "os/dbus/session_bus.h"
#include "os/kde/kwin_cursor_watch.h"
#include "os/kde/kwin_desktop_entry.h"
#include "os/kde/kwin_pointer.h"
#include "os/kde/kwin_screen_reader.h"
#include "os/wayland/pointer_read_picker.h"
#include "os/wayland/wayland_connection.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QStandardPaths>

#include <chrono>
#include <stdexcept>
#include <thread>

namespace stylorex {

namespace {

// KWin reads a desktop file written just before the program started a moment later (about a
// second here): the fake input is asked for again for this long before the program gives up.
constexpr auto kAuthorisationLimit = std::chrono::milliseconds(3000);
constexpr auto kAuthorisationRetry = std::chrono::milliseconds(250);

QString ThisExecutable() {
    return QCoreApplication::instance() != nullptr ? QCoreApplication::applicationFilePath()
                                                   : QStringLiteral("/proc/self/exe");
}

QString InstallAdvice() {
    return QCoreApplication::translate(
               "KdeSession",
               "KWin は、実行ファイルの絶対パスを Exec= に持つデスクトップファイルがある"
               "プログラムにだけ、これを許します。次の内容のファイルを %1 に置いてから、"
               "Stylorex を起動し直してください（scripts/run と scripts/install は"
               "このファイルを自動で置きます）。"
               "\n\n%2")
        .arg(KWinDesktopEntryPath(ThisExecutable()), KWinDesktopEntry(ThisExecutable()));
}

}  // namespace

QString KWinDesktopEntry(const QString& executable) {
    return QString::fromUtf8(kKWinDesktopEntryTemplate)
        .replace(QStringLiteral("@EXEC@"), executable);
}

QString KWinDesktopEntryPath(const QString& executable) {
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/applications/%1-kwin.desktop").arg(QFileInfo(executable).fileName());
}

SystemSession OpenKdeSession(std::shared_ptr<WaylandConnection> connection,
                             std::shared_ptr<SessionBus> bus, QString* error) {
    auto fail = [error](const QString& text) {
        if (error != nullptr) {
            *error = text;
        }
        return SystemSession{};
    };
    try {
        auto watch = std::make_shared<KWinCursorWatch>(bus);
        std::unique_ptr<KWinPointer> pointer = KWinPointer::open(connection, watch);
        const auto deadline = std::chrono::steady_clock::now() + kAuthorisationLimit;
        while (pointer == nullptr && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(kAuthorisationRetry);
            // KWin decides which globals a client sees when it connects.
            connection = WaylandConnection::connect();
            if (connection == nullptr) {
                break;
            }
            pointer = KWinPointer::open(connection, watch);
        }
        if (pointer == nullptr) {
            return fail(
                QCoreApplication::translate("KdeSession",
                                            "KWin が Stylorex にマウスポインタの操作"
                                            "（org_kde_kwin_fake_input）を許可していません。") +
                InstallAdvice());
        }

        SystemSession session;
        auto screen = std::make_unique<KWinScreenReader>(bus);
        if (screen->pixel(QPoint(0, 0))) {
            session.screen = std::move(screen);
        } else {
            // Drawing goes on without it; only the check and the follow mode need the screen.
            PrintProgramMessage(
                (QCoreApplication::translate("KdeSession",
                                             "KWin が画面の読み取り（%1）を許可していないため、描画"
                                             "後の確認と追従モードは使えません。")
                     .arg(screen->lastError()) +
                 InstallAdvice()));
        }
        session.pointPicker = std::make_unique<PointerReadPicker>(
            [watch] { return watch->position(); },
            QCoreApplication::translate(
                "KdeSession",
                "KWin からマウスポインタの位置を読めませんでした。原点の X と Y を"
                "入力してください。"));
        session.pointer = std::move(pointer);
        return session;
    } catch (const std::runtime_error&) {
        return fail(QCoreApplication::translate("KdeSession", "KWin との接続が切れました。"));
    }
}

}  // namespace stylorex
