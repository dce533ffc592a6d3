// Writes the channel pictures, window pictures and icon into the folder given as the only
// argument. The raster paint engine needs no application object as long as no text is
// drawn, so this runs without any display.

#include "assets/BrushedMetal.h"
#include "assets/ChannelPicture.h"
#include "assets/NoiseKind.h"
#include "assets/WindowArt.h"

#include <QDir>
#include <QImage>
#include <QString>

#include <cstdio>
#include <string>

namespace {

constexpr int jpegQuality = 90;

// "name.jpg" at scale 1, "name@2x.jpg" at 2: the suffix by which Qt knows a finer picture.
std::string finerName(const std::string& name, int scale) {
    if (scale == 1)
        return name;
    const std::size_t dot = name.rfind('.');
    return name.substr(0, dot) + "@" + std::to_string(scale) + "x" + name.substr(dot);
}

bool save(const QImage& image, const QDir& folder, const std::string& name) {
    const QString path = folder.filePath(QString::fromStdString(name));
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
    // Each picture twice: as the program has always named it, and at twice the detail for
    // screens of two pixels to the point.
    for (const int scale : {1, 2}) {
        const auto named = [scale](const std::string& name) { return finerName(name, scale); };
        for (const NoiseKind& kind : NoiseKind::all())
            ok = save(ChannelPicture::render(kind, scale), folder, named(kind.pictureName)) && ok;
        ok = save(WindowArt::background(scale), folder, named("background.jpg")) && ok;
        ok = save(WindowArt::logo(scale), folder, named("logo.jpg")) && ok;
        ok = save(BrushedMetal::face(65, 44, 0x6275'7474'6f6e'0001, scale), folder,
                  named("button_small.jpg")) &&
             ok;
        ok = save(BrushedMetal::face(326, 34, 0x6275'7474'6f6e'0002, scale), folder,
                  named("button_wide.jpg")) &&
             ok;
        ok = save(BrushedMetal::redFace(65, 44, 0x6275'7474'6f6e'0003, scale), folder,
                  named("button_red.jpg")) &&
             ok;
    }
    ok = save(WindowArt::icon(), folder, "icon.png") && ok;
    return ok ? 0 : 1;
}
