#include "widgets/SliderReading.h"

#include <cmath>
#include <cstdlib>

namespace qf {

namespace {
constexpr double kHundredthsPerDecibel = 100.0;
} // namespace

double SliderReading::quantity(int position) const {
    return scale_ == Scale::Frequency ? position : position / kHundredthsPerDecibel;
}

int SliderReading::position(double quantity) const {
    const double raw = scale_ == Scale::Frequency ? quantity : quantity * kHundredthsPerDecibel;
    return static_cast<int>(std::lround(raw));
}

QString SliderReading::text(int position) const {
    switch (scale_) {
    case Scale::Volume:
        // Tenths are enough for a whole-tenth level; finer steps show their hundredths.
        return QStringLiteral("%1 dB").arg(quantity(position), 0, 'f', position % 10 == 0 ? 1 : 2);
    case Scale::Frequency:
        return QStringLiteral("%1 Hz").arg(position);
    case Scale::Pan:
        break;
    }
    if (position == 0) {
        return QStringLiteral("centre");
    }
    return QStringLiteral("%1 %2 dB")
        .arg(position < 0 ? QStringLiteral("left") : QStringLiteral("right"))
        .arg(quantity(std::abs(position)), 0, 'g', 6);
}

} // namespace qf
