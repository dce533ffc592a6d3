#include "assets/BrushedMetal.h"

#include "assets/UnitRandom.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

constexpr double baseGrey = 176.0;
constexpr int streakLength = 15;

// Noise drawn along a row and averaged over a long window: neighbours along the row share
// most of their value, neighbours across rows share none, which is what reads as brushing.
std::vector<double> streakRow(UnitRandom& random, int width, int length) {
    std::vector<double> raw(static_cast<std::size_t>(width + length));
    for (double& v : raw)
        v = random.next() - 0.5;
    std::vector<double> row(static_cast<std::size_t>(width));
    for (int x = 0; x < width; ++x) {
        double sum = 0.0;
        for (int k = 0; k < length; ++k)
            sum += raw[static_cast<std::size_t>(x + k)];
        row[static_cast<std::size_t>(x)] = sum / length;
    }
    return row;
}

// Lighter top edge and darker bottom edge, so the face looks raised.
double bevel(int y, int height) {
    if (y == 0)
        return 34.0;
    if (y == 1)
        return 16.0;
    if (y == height - 1)
        return -46.0;
    if (y == height - 2)
        return -22.0;
    return 8.0 - 16.0 * static_cast<double>(y) / height;
}

} // namespace

QImage BrushedMetal::face(int width, int height, std::uint64_t seed, int scale) {
    QImage image(width * scale, height * scale, QImage::Format_RGB32);
    UnitRandom random(seed);
    for (int y = 0; y < image.height(); ++y) {
        const double rowShade = (random.next() - 0.5) * 14.0;
        const std::vector<double> streaks = streakRow(random, image.width(), streakLength * scale);
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const double grey = baseGrey + bevel(y / scale, height) + rowShade +
                                streaks[static_cast<std::size_t>(x)] * 40.0;
            const int v = std::clamp(static_cast<int>(std::lround(grey)), 0, 255);
            // A trace of blue keeps it looking like metal rather than concrete.
            line[x] = qRgb(v, v, std::min(v + 4, 255));
        }
    }
    return image;
}

QImage BrushedMetal::redFace(int width, int height, std::uint64_t seed, int scale) {
    QImage image = face(width, height, seed, scale);
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            // Keeps the streaks and the bevel as shades of a deep red.
            const int v = qGreen(line[x]);
            line[x] = qRgb(std::min(v + 40, 255), v / 5, v / 5);
        }
    }
    return image;
}
