// Writes the channel pictures, window pictures and icon into the folder given as the only
// argument. The raster paint engine needs no application object as long as no text is
// drawn, so this runs without any display.

#include "BrushedMetal.h"
#include "ChannelPicture.h"
#include "NoiseKind.h"
#include "WindowArt.h"

#include <QDir>
#include <QImage>
#include <QString>

#include <cstdio>

namespace {

constexpr int jpegQuality = 90;

bool save(const QImage& image, const QDir& folder, const char* name) {
    const QString path = folder.filePath(QString::fromUtf8(name));
    const bool isPng = path.endsWith(QStringLiteral(".png"));
    if (image.save(path, isPng ? "PNG" : "JPG", isPng ? -1 : jpegQuality))
        return true;
    std::fprintf(stderr, "could not write %s\n", qPrintable(path));
    return false;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT_FOLDER\n", argv[0]);
        return 2;
    }
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    if (!folder.mkpath(QStringLiteral("."))) {
        std::fprintf(stderr, "could not create %s\n", argv[1]);
        return 1;
    }

    bool ok = true;
    for (const NoiseKind& kind : NoiseKind::all())
        ok = save(ChannelPicture::render(kind), folder, kind.pictureName.c_str()) && ok;
    ok = save(WindowArt::background(), folder, "background.jpg") && ok;
    ok = save(WindowArt::logo(), folder, "logo.jpg") && ok;
    ok = save(BrushedMetal::face(65, 44, 0x6275'7474'6f6e'0001), folder, "button_small.jpg") && ok;
    ok = save(BrushedMetal::face(326, 34, 0x6275'7474'6f6e'0002), folder, "button_wide.jpg") && ok;
    ok = save(BrushedMetal::redFace(65, 44, 0x6275'7474'6f6e'0003), folder, "button_red.jpg") && ok;
    ok = save(WindowArt::icon(), folder, "icon.png") && ok;
    return ok ? 0 : 1;
}
