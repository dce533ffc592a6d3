#pragma once

#include <QPixmap>
#include <QSize>
#include <QString>

namespace qf {

// Pictures for display, decoded only as far as they show. Backgrounds are drawn unscaled from
// the top-left corner and made larger than any window; decoding the whole file would keep
// megabytes of pixels nobody sees for the window's life. Pictures read this way bypass Qt's
// pixmap cache, so a picture no longer shown is freed at once.
//
// Beside a picture "name.jpg" may lie "name@2x.jpg", the same picture drawn at twice the
// detail; screens with more than one pixel to the point are given that one.
class PictureFile {
public:
    // The top-left part of the picture at `path` that fits in `shown` (in points; empty for the
    // whole picture), pixel for pixel as the whole picture would show it, for a screen of
    // `pixelRatio` pixels to the point; a null pixmap when the file cannot be read.
    static QPixmap load(const QString& path, QSize shown, qreal pixelRatio = 1.0);

    // Where the finer variant of the picture at `path` lies, whether or not it exists.
    static QString finerVariant(const QString& path);

private:
    static QPixmap read(const QString& path, QSize shown, int ratio);
};

} // namespace qf
