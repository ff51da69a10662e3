#include "ui/main_window_start.h"

#include "common/program_message.h"
#include "os/session_choice.h"
#include "os/termination_signals.h"
#include "os/window_destruction.h"
#include "settings/language.h"
#include "ui/frm_graph.h"
#include "ui/qt_user_dialogs.h"
#include "ui/screen_pick_overlay.h"

#include <QApplication>

#include <cstdlib>
#include <memory>

namespace {

// The window while it is open. Qt's X11 platform ends the process with exit(1) when its
// connection to the X server breaks (the window killed with xkill, the server gone), also
// from inside a run's yield: the settings are saved on that way out too. The button guardian
// releases the button once the process is gone.
stylorex::frmGraph* g_openWindow = nullptr;

void saveSettingsOnAbruptExit() {
    if (g_openWindow != nullptr) {
        stylorex::PrintProgramMessage(
            QCoreApplication::translate("Main",
                                        "ウィンドウを閉じずに終了します（X サーバーとの接続が切れ"
                                        "ました）。設定を保存します。"));
        g_openWindow->saveSettingsAtAbruptExit();
    }
}

}  // namespace

int stylorex::RunMainWindow(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Stylorex"));
    // Qt's own dialogs speak English unless their Japanese catalogue is installed.
    if (stylorex::CurrentLanguage() == stylorex::Language::Japanese &&
        stylorex::InstallStandardDialogTranslations() == nullptr) {
        stylorex::PrintProgramMessage(
            QCoreApplication::translate("Main",
                                        "Qt の日本語訳が見つかりません（qt6-translations-l10n）。"
                                        "標準のダイアログは英語で表示されます。"));
    }

    QString error;
    // Where the desktop asks first, the user learns beforehand what to choose in its dialog.
    stylorex::SystemSession session =
        stylorex::OpenSystemSession(&error, [](const QString& notice) {
            stylorex::PrintProgramMessage(notice);
            stylorex::QtUserDialogs(nullptr).message(notice);
        });
    std::unique_ptr<stylorex::PointerDevice>& pointer = session.pointer;
    if (!pointer) {
        stylorex::PrintProgramMessage(error);
        stylorex::QtUserDialogs(nullptr).message(error);
        return 1;
    }

    // Outlives the window, which may use it for Ctrl+G.
    stylorex::ScreenPickOverlay screenPick(session.screen.get(), pointer.get());
    stylorex::frmGraph window(*pointer);
    // Without the screen, runs neither follow the target nor check what it drew.
    window.setScreenReader(session.screen.get());
    // A session without a pick of its own (a Wayland compositor without slurp) picks the origin
    // on the window's own still of the screen.
    window.setPointPicker(session.pointPicker ? *session.pointPicker : screenPick);
    // A signal closes the window through the event loop: a run stops and releases the button,
    // then the settings are saved.
    stylorex::TerminationSignals signalHandling([&window] { window.closeOnSignal(); });
    window.load();
    window.show();
    // Destroyed by another program, the window closes the same way, and the exit code says so.
    bool windowDestroyed = false;
    stylorex::WindowDestructionWatch destruction(window.windowHandle(), [&] {
        stylorex::PrintProgramMessage(
            QCoreApplication::translate("Main",
                                        "メインウィンドウが他のプログラムに破棄されました。描画を"
                                        "中止し、設定を保存して終了します。"));
        windowDestroyed = true;
        window.closeOnSignal();
    });
    g_openWindow = &window;
    std::atexit(saveSettingsOnAbruptExit);
    const int code = app.exec();
    g_openWindow = nullptr;
    return windowDestroyed ? 1 : code;
}
