#include "tests/support/SignalStats.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <vector>

namespace signal_stats {

double rms(std::span<const float> signal) {
    if (signal.empty())
        throw std::invalid_argument("empty signal");
    double sum = 0.0;
    for (float x : signal)
        sum += static_cast<double>(x) * x;
    return std::sqrt(sum / static_cast<double>(signal.size()));
}

double rmsDbfs(std::span<const float> signal) {
    return 20.0 * std::log10(rms(signal));
}

double peakDbfs(std::span<const float> signal) {
    if (signal.empty())
        throw std::invalid_argument("empty signal");
    float peak = 0.0f;
    for (float x : signal)
        peak = std::max(peak, std::abs(x));
    return 20.0 * std::log10(static_cast<double>(peak));
}

double pearsonCorrelation(std::span<const float> a, std::span<const float> b) {
    if (a.size() != b.size() || a.empty())
        throw std::invalid_argument("signals must be the same, non-zero length");
    const double count = static_cast<double>(a.size());
    double meanA = 0.0, meanB = 0.0;
    for (std::size_t i = 0; i < a.size(); ++i) {
        meanA += a[i];
        meanB += b[i];
    }
    meanA /= count;
    meanB /= count;
    double sab = 0.0, saa = 0.0, sbb = 0.0;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const double da = a[i] - meanA;
        const double db = b[i] - meanB;
        sab += da * db;
        saa += da * da;
        sbb += db * db;
    }
    if (saa == 0.0 || sbb == 0.0)
        return 0.0;
    return sab / std::sqrt(saa * sbb);
}

double stepQuantile(std::span<const float> signal, double q) {
    if (signal.size() < 2 || q < 0.0 || q > 1.0)
        throw std::invalid_argument("need two samples and 0 <= q <= 1");
    std::vector<double> steps(signal.size() - 1);
    for (std::size_t i = 0; i + 1 < signal.size(); ++i)
        steps[i] = std::abs(static_cast<double>(signal[i + 1]) - signal[i]);
    const auto rank =
        static_cast<std::size_t>(std::lround(q * static_cast<double>(steps.size() - 1)));
    std::nth_element(steps.begin(), steps.begin() + static_cast<std::ptrdiff_t>(rank), steps.end());
    return steps[rank];
}

} // namespace signal_stats
