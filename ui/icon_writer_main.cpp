// Writes the program's icon as PNG files for a desktop's icon theme, one per size, as
// <folder>/hicolor/<N>x<N>/apps/stylorex.png: the install puts them under share/icons.
#include "ui/program_icon.h"

#include <QDir>
#include <QGuiApplication>
#include <QPixmap>

#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
        return 2;
    }
    // Painting needs a platform, never a display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QDir root(QString::fromLocal8Bit(argv[1]));
    for (const int size : {16, 24, 32, 48, 64, 128, 256}) {
        const QString folder = QStringLiteral("hicolor/%1x%1/apps").arg(size);
        if (!root.mkpath(folder) ||
            !stylorex::ProgramIconPixmap(size).save(root.filePath(folder + "/stylorex.png"))) {
            std::fprintf(stderr, "cannot write the icon into %s\n", argv[1]);
            return 1;
        }
    }
    return 0;
}
