#include "widgets/PictureFile.h"

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QRect>

#include <utility>

namespace qf {

QPixmap PictureFile::load(const QString& path, QSize shown, qreal pixelRatio) {
    // Between one and two pixels to the point the finer picture is still the sharper one: it is
    // scaled down, not up.
    if (pixelRatio > 1.0) {
        const QString finer = finerVariant(path);
        if (QFileInfo::exists(finer)) {
            QPixmap picture = read(finer, shown * 2, 2);
            if (!picture.isNull()) {
                return picture;
            }
        }
    }
    return read(path, shown, 1);
}

QString PictureFile::finerVariant(const QString& path) {
    const QFileInfo file(path);
    return file.dir().filePath(file.completeBaseName() + QStringLiteral("@2x.") + file.suffix());
}

QPixmap PictureFile::read(const QString& path, QSize shown, int ratio) {
    QImageReader reader(path);
    const QSize whole = reader.size();
    // The reader decodes only the clip where the format allows it (JPEG does), which is what
    // saves the memory; elsewhere the clip is cut from the whole picture.
    if (whole.isValid() && !shown.isEmpty() &&
        (whole.width() > shown.width() || whole.height() > shown.height())) {
        reader.setClipRect(QRect(QPoint(0, 0), whole.boundedTo(shown)));
    }
    QImage image = reader.read();
    if (image.isNull()) {
        return {};
    }
    image.setDevicePixelRatio(ratio);
    return QPixmap::fromImage(std::move(image));
}

} // namespace qf
