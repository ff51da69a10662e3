// Renders the main window as it looks right after start-up into a PNG file, for the README.
// The pointer is a fixed stand-in, so the live position label shows the same text every time.
#include "common/window_text.h"
#include "platform/pointer_fake.h"
#include "ui/frm_graph.h"

#include <QApplication>
#include <QPixmap>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT.png\n", argv[0]);
        return 2;
    }
    QTemporaryDir settingsFolder;  // a first start: no settings file
    stylorex::FakePointer pointer;
    pointer.setPosition(QPoint(412, 305));
    stylorex::frmGraph window(pointer);
    window.setSettingsPath(settingsFolder.filePath(QStringLiteral("stylorex.ini")));
    window.load();
    window.show();
    if (!QTest::qWaitForWindowExposed(&window)) {
        std::fprintf(stderr, "the window was never shown\n");
        return 1;
    }
    QTest::qWait(400);  // a few ticks of the position timer and the first paints
    const QPixmap image = window.grab();
    if (!image.save(QString::fromLocal8Bit(argv[1]), "PNG")) {
        std::fprintf(stderr, "could not write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
