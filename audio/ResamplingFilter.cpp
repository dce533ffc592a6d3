#include "audio/ResamplingFilter.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

namespace qf::sound {

namespace {

// Kaiser's shape parameter: with 48 taps the kernel keeps everything from 1.1 times the
// recording's Nyquist frequency upwards more than 75 dB down, and its passband up to 0.9 of
// Nyquist flat within a few thousandths of a decibel.
constexpr double kBeta = 7.5;

double besselI0(double x) {
    double sum = 1.0;
    double term = 1.0;
    for (int k = 1; k < 64; ++k) {
        const double half = x / (2.0 * k);
        term *= half * half;
        sum += term;
        if (term < sum * 1e-17) {
            break;
        }
    }
    return sum;
}

// The continuous kernel at t frames from the read position.
double kernel(double t) {
    constexpr double halfWidth = ResamplingFilter::kTaps / 2.0;
    const double r = t / halfWidth;
    if (r <= -1.0 || r >= 1.0) {
        return 0.0;
    }
    const double sinc = t == 0.0 ? 1.0 : std::sin(std::numbers::pi * t) / (std::numbers::pi * t);
    return sinc * besselI0(kBeta * std::sqrt(1.0 - r * r)) / besselI0(kBeta);
}

// The weights for reading `phase` of the way from one frame to the next, rounded to whole
// 1/16384ths that add up to exactly 16384.
std::vector<int> quantisedWeights(double phase) {
    constexpr std::size_t taps = ResamplingFilter::kTaps;
    constexpr double unit = 1 << ResamplingFilter::kWeightBits;
    std::vector<double> exact(taps);
    double sum = 0.0;
    for (std::size_t i = 0; i < taps; ++i) {
        exact[i] = kernel(static_cast<double>(i) -
                          static_cast<double>(ResamplingFilter::kTapsBefore) - phase);
        sum += exact[i];
    }
    std::vector<int> weights(taps);
    int total = 0;
    for (std::size_t i = 0; i < taps; ++i) {
        exact[i] *= unit / sum;
        weights[i] = static_cast<int>(std::lround(exact[i]));
        total += weights[i];
    }
    // Rounding leaves the sum a few units off; move the weights that were rounded furthest.
    while (total != static_cast<int>(unit)) {
        const int direction = total < static_cast<int>(unit) ? 1 : -1;
        std::size_t best = 0;
        double bestGap = -1e9;
        for (std::size_t i = 0; i < taps; ++i) {
            const double gap = direction * (exact[i] - weights[i]);
            if (gap > bestGap) {
                bestGap = gap;
                best = i;
            }
        }
        weights[best] += direction;
        total += direction;
    }
    return weights;
}

} // namespace

const ResamplingFilter& ResamplingFilter::instance() {
    static const ResamplingFilter filter;
    return filter;
}

ResamplingFilter::ResamplingFilter() {
    // The kernel is even, so a phase p of the way past a frame is phase 1 - p seen from the
    // other side: the second half of the rows are the first half backwards.
    for (std::size_t p = 0; p <= kPhases / 2; ++p) {
        const std::vector<int> weights = quantisedWeights(static_cast<double>(p) / kPhases);
        std::copy(weights.begin(), weights.end(), rows_[p].begin());
        if (p > 0 && p < kPhases / 2) {
            std::copy(weights.rbegin(), weights.rend(), rows_[kPhases - p].begin());
        }
    }
}

} // namespace qf::sound
