// Puts the PNG picture named on the command line on the X clipboard and serves it to other
// programs until it is killed, as an image viewer does after "Copy"; with a MIME type after the
// file, the file's bytes as they are under that type, as an editor of that format does. Prints
// "ready" once it owns the clipboard, so that a test can wait for that instead of sleeping.
#include <QClipboard>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>
#include <QTimer>

#include <cstdio>

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    if (argc != 2 && argc != 3) {
        std::fprintf(stderr, "usage: %s PICTURE.png | FILE MIME-TYPE\n", argv[0]);
        return 2;
    }
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (argc == 3) {
        QFile file(QString::fromLocal8Bit(argv[1]));
        if (!file.open(QIODevice::ReadOnly)) {
            std::fprintf(stderr, "cannot read %s\n", argv[1]);
            return 1;
        }
        auto* data = new QMimeData;
        data->setData(QString::fromLocal8Bit(argv[2]), file.readAll());
        clipboard->setMimeData(data);
    } else {
        const QImage picture(QString::fromLocal8Bit(argv[1]));
        if (picture.isNull()) {
            std::fprintf(stderr, "cannot read %s\n", argv[1]);
            return 1;
        }
        clipboard->setImage(picture);
    }
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
