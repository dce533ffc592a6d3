// Writes the program's icon into an icon-theme tree: FOLDER/hicolor/NxN/apps/NAME.png for each
// size the desktop's launchers and panels commonly ask for, so none of them has to scale it.

#include "assets/WindowArt.h"

#include <QDir>
#include <QImage>
#include <QString>

#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s OUTPUT_FOLDER ICON_NAME\n", argv[0]);
        return 2;
    }
    const QString root = QString::fromLocal8Bit(argv[1]);
    const QString name = QString::fromLocal8Bit(argv[2]);
    bool ok = true;
    for (const int size : {16, 24, 32, 48, 64, 128, 256}) {
        const QDir folder(QStringLiteral("%1/hicolor/%2x%2/apps").arg(root).arg(size));
        const QString path = folder.filePath(name + QStringLiteral(".png"));
        if (!folder.mkpath(QStringLiteral(".")) || !WindowArt::icon(size).save(path, "PNG")) {
            std::fprintf(stderr, "could not write %s\n", qPrintable(path));
            ok = false;
        }
    }
    return ok ? 0 : 1;
}
