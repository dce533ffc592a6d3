#include "assets/ChannelPicture.h"

#include "assets/UnitRandom.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

constexpr double lowestHz = 20.0;
constexpr double highestHz = 11025.0;
constexpr double topDb = 40.0;
constexpr double bottomDb = -40.0;
constexpr double margin = 6.0;

QColor fromRgb(std::uint32_t rgb) {
    return QColor::fromRgb(static_cast<QRgb>(rgb));
}

double xForFrequency(double hz) {
    const double span = ChannelPicture::width - 2 * margin;
    return margin + span * std::log2(hz / lowestHz) / std::log2(highestHz / lowestHz);
}

double frequencyForX(double x) {
    const double span = ChannelPicture::width - 2 * margin;
    return lowestHz * std::pow(highestHz / lowestHz, (x - margin) / span);
}

double yForDb(double db) {
    const double span = ChannelPicture::height - 2 * margin;
    return margin + span * (topDb - db) / (topDb - bottomDb);
}

// A measured spectrum is never a clean line; a little smoothed wobble, largest at the low end
// where an analyser has the fewest bins per band, makes it read as a measurement.
std::vector<double> rippleDb(std::uint64_t seed, int columns) {
    UnitRandom random(seed);
    std::vector<double> ripple(columns);
    double smoothed = 0.0;
    for (int x = 0; x < columns; ++x) {
        smoothed = 0.6 * smoothed + 0.4 * (random.next() - 0.5) * 6.0;
        const double fade = 1.0 - 0.7 * static_cast<double>(x) / columns;
        ripple[x] = smoothed * fade;
    }
    return ripple;
}

void drawGrid(QPainter& painter, const QColor& trace) {
    QColor line = trace;
    line.setAlpha(45);
    painter.setPen(QPen(line, 1.0));
    for (double hz = 31.25; hz < highestHz; hz *= 2.0)
        painter.drawLine(QPointF(xForFrequency(hz), margin),
                         QPointF(xForFrequency(hz), ChannelPicture::height - margin));
    for (double db = bottomDb + 10.0; db < topDb; db += 10.0)
        painter.drawLine(QPointF(margin, yForDb(db)),
                         QPointF(ChannelPicture::width - margin, yForDb(db)));
}

} // namespace

QImage ChannelPicture::render(const NoiseKind& kind, int scale) {
    QImage image(width * scale, height * scale, QImage::Format_RGB32);
    const QColor field = fromRgb(kind.fieldColour);
    const QColor trace = fromRgb(kind.traceColour);

    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(scale, scale);
    QLinearGradient shade(0, 0, 0, height);
    shade.setColorAt(0.0, field.lighter(108));
    shade.setColorAt(1.0, field.darker(108));
    painter.fillRect(QRect(0, 0, width, height), shade);
    drawGrid(painter, trace);

    const std::vector<double> ripple = rippleDb(kind.leftSeed ^ 0x9e37'79b9'7f4a'7c15, width);
    QPainterPath curve;
    for (int x = static_cast<int>(margin); x <= width - static_cast<int>(margin); ++x) {
        const double octaves = std::log2(std::max(frequencyForX(x), lowestHz) / 1000.0);
        const QPointF point(x, yForDb(kind.slopeDbPerOctave * octaves + ripple[x]));
        if (curve.elementCount() == 0)
            curve.moveTo(point);
        else
            curve.lineTo(point);
    }

    QPainterPath area = curve;
    area.lineTo(width - margin, height - margin);
    area.lineTo(margin, height - margin);
    area.closeSubpath();
    QColor fill = trace;
    fill.setAlpha(110);
    painter.fillPath(area, fill);
    painter.strokePath(curve, QPen(trace, 2.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    return image;
}
