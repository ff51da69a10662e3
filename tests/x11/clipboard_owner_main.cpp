// Puts the PNG picture named on the command line on the X clipboard and serves it to other
// programs until it is killed, as an image viewer does after "Copy". Prints "ready" once it owns
// the clipboard, so that a test can wait for that instead of sleeping.
#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QTimer>

#include <cstdio>

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s PICTURE.png\n", argv[0]);
        return 2;
    }
    const QImage picture(QString::fromLocal8Bit(argv[1]));
    if (picture.isNull()) {
        std::fprintf(stderr, "cannot read %s\n", argv[1]);
        return 1;
    }
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->setImage(picture);
    // Ownership is taken through the server; report it only once the server has it.
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (clipboard->ownsClipboard()) {
            poll.stop();
            std::printf("ready\n");
            std::fflush(stdout);
        }
    });
    poll.start(10);
    return app.exec();
}
