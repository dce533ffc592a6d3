#include "PictureFile.h"

#include <QImage>
#include <QImageReader>
#include <QRect>

#include <utility>

namespace qf {

QPixmap PictureFile::load(const QString& path, QSize shown) {
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
    return QPixmap::fromImage(std::move(image));
}

} // namespace qf
