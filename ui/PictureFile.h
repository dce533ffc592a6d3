#pragma once

#include <QPixmap>
#include <QSize>
#include <QString>

namespace qf {

// Pictures for display, decoded only as far as they show. Backgrounds are drawn unscaled from
// the top-left corner and made larger than any window; decoding the whole file would keep
// megabytes of pixels nobody sees for the window's life. Pictures read this way bypass Qt's
// pixmap cache, so a picture no longer shown is freed at once.
class PictureFile {
public:
    // The top-left part of the picture at `path` that fits in `shown`, pixel for pixel as the
    // whole picture would show it; a null pixmap when the file cannot be read.
    static QPixmap load(const QString& path, QSize shown);
};

} // namespace qf
