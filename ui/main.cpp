#include "os/system_session.h"
#include "os/termination_signals.h"
#include "ui/frm_graph.h"
#include "ui/qt_user_dialogs.h"

#include <QApplication>

#include <cstdio>
#include <memory>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Stylorex"));

    QString error;
    stylorex::SystemSession session = stylorex::OpenSystemSession(&error);
    std::unique_ptr<stylorex::PointerDevice>& pointer = session.pointer;
    if (!pointer) {
        std::fprintf(stderr, "Stylorex: %s\n", error.toLocal8Bit().constData());
        stylorex::QtUserDialogs(nullptr).message(error);
        return 1;
    }

    stylorex::frmGraph window(*pointer);
    // A signal closes the window through the event loop: a run stops and releases the button,
    // then the settings are saved.
    stylorex::TerminationSignals signalHandling([&window] { window.closeOnSignal(); });
    window.load();
    window.show();
    return app.exec();
}
