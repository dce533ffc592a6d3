#include "assets/WindowArt.h"

#include "assets/NoiseKind.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

const QColor darkBrown(0x5a, 0x3a, 0x1e);
const QColor cream(0xf5, 0xec, 0xd7);
const QColor nightBlue(0x0b, 0x1d, 0x44);

QPainterPath sineBand(double left, double right, double centreY, double amplitude,
                      double wavelength, double phase, double step = 1.0) {
    QPainterPath path;
    for (double x = left; x <= right; x += step) {
        // Tapering the ends keeps the bands from looking cut off at the edge.
        const double taper = std::sin(std::numbers::pi * (x - left) / (right - left));
        const double y =
            centreY + amplitude * taper * std::sin(2.0 * std::numbers::pi * x / wavelength + phase);
        if (path.elementCount() == 0)
            path.moveTo(x, y);
        else
            path.lineTo(x, y);
    }
    return path;
}

} // namespace

QImage WindowArt::background(int scale) {
    QImage image(1000 * scale, 800 * scale, QImage::Format_RGB32);
    QPainter painter(&image);
    QLinearGradient diagonal(0, 0, image.width(), image.height());
    diagonal.setColorAt(0.0, darkBrown);
    diagonal.setColorAt(1.0, cream);
    painter.fillRect(image.rect(), diagonal);
    return image;
}

QImage WindowArt::logo(int scale) {
    constexpr int width = 288;
    constexpr int height = 154;
    QImage image(width * scale, height * scale, QImage::Format_RGB32);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(scale, scale);
    QRadialGradient glow(width / 2.0, height / 2.0, width / 1.6);
    glow.setColorAt(0.0, nightBlue.lighter(150));
    glow.setColorAt(1.0, nightBlue);
    painter.fillRect(QRect(0, 0, width, height), glow);

    // One band per noise colour, from the deepest to the brightest, each a little faster.
    int band = 0;
    for (const NoiseKind& kind : NoiseKind::all()) {
        // Dark colours are lifted, or the brown band would vanish into the dark field.
        QColor colour = QColor::fromRgb(static_cast<QRgb>(kind.fieldColour));
        if (colour.lightness() < 100)
            colour = colour.lighter(150);
        colour.setAlpha(215);
        const double centreY = 37.0 + 20.0 * band;
        const QPainterPath path = sineBand(14.0, width - 14.0, centreY, 12.0 + 3.0 * band,
                                           150.0 - 18.0 * band, 0.9 * band, 1.0 / scale);
        painter.strokePath(path, QPen(colour, 8.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        ++band;
    }
    return image;
}

QImage WindowArt::icon(int size) {
    QImage image(size, size, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    // Drawn on a 48-unit grid at any size; larger icons get a finer curve so that the bands
    // stay round instead of showing their segments.
    const double scale = size / 48.0;
    painter.scale(scale, scale);
    const double step = std::min(1.0, 1.0 / scale);
    painter.setPen(Qt::NoPen);
    painter.setBrush(nightBlue);
    painter.drawRoundedRect(QRectF(1.5, 1.5, 45.0, 45.0), 9.0, 9.0);

    const QColor amber(0xf2, 0xa6, 0x3b);
    const QColor sky(0x7f, 0xc8, 0xf8);
    painter.strokePath(sineBand(6.0, 42.0, 20.0, 9.0, 18.0, 0.0, step),
                       QPen(sky, 3.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.strokePath(sineBand(6.0, 42.0, 30.0, 6.0, 12.0, 1.2, step),
                       QPen(amber, 3.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    return image;
}
