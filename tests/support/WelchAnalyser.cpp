#include "tests/support/WelchAnalyser.h"

#include <fftw3.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <numbers>
#include <stdexcept>

namespace {

struct FftwFree {
    void operator()(void* p) const { fftw_free(p); }
};

// The periodic form: its segments overlap-add to a constant at 50 % overlap.
std::vector<double> hannWindow(std::size_t length) {
    std::vector<double> window(length);
    for (std::size_t n = 0; n < length; ++n)
        window[n] = 0.5 - 0.5 * std::cos(2.0 * std::numbers::pi * static_cast<double>(n) /
                                         static_cast<double>(length));
    return window;
}

} // namespace

WelchAnalyser::WelchAnalyser(std::span<const float> signal, std::size_t segmentLength)
    : segmentLength_(segmentLength), power_(segmentLength / 2 + 1, 0.0) {
    if (segmentLength_ < 4 || segmentLength_ % 2 != 0)
        throw std::invalid_argument("segment length must be even and at least 4");
    if (signal.size() < segmentLength_)
        throw std::invalid_argument("signal is shorter than one segment");

    const std::size_t bins = power_.size();
    std::unique_ptr<double[], FftwFree> frame(fftw_alloc_real(segmentLength_));
    std::unique_ptr<fftw_complex[], FftwFree> spectrum(fftw_alloc_complex(bins));
    if (!frame || !spectrum)
        throw std::bad_alloc();
    fftw_plan plan = fftw_plan_dft_r2c_1d(static_cast<int>(segmentLength_), frame.get(),
                                          spectrum.get(), FFTW_ESTIMATE);
    if (plan == nullptr)
        throw std::runtime_error("FFTW could not plan the transform");

    const std::vector<double> window = hannWindow(segmentLength_);
    double windowEnergy = 0.0;
    for (double w : window)
        windowEnergy += w * w;

    const std::size_t hop = segmentLength_ / 2;
    for (std::size_t start = 0; start + segmentLength_ <= signal.size(); start += hop) {
        for (std::size_t n = 0; n < segmentLength_; ++n)
            frame[n] = window[n] * static_cast<double>(signal[start + n]);
        fftw_execute(plan);
        for (std::size_t k = 0; k < bins; ++k)
            power_[k] += spectrum[k][0] * spectrum[k][0] + spectrum[k][1] * spectrum[k][1];
        ++segmentCount_;
    }
    fftw_destroy_plan(plan);

    // By Parseval, |X|^2 / (N * sum w^2) summed over all N two-sided bins is the mean square;
    // bins other than DC and Nyquist stand for their negative-frequency twin as well.
    const double scale = 1.0 / (static_cast<double>(segmentLength_) * windowEnergy *
                                static_cast<double>(segmentCount_));
    for (std::size_t k = 0; k < bins; ++k)
        power_[k] *= (k == 0 || k == bins - 1) ? scale : 2.0 * scale;
}

double WelchAnalyser::binFrequency(std::size_t bin, double sampleRate) const {
    return static_cast<double>(bin) * sampleRate / static_cast<double>(segmentLength_);
}

WelchAnalyser::BandSum WelchAnalyser::sumBand(double sampleRate, double fLow, double fHigh) const {
    BandSum band;
    for (std::size_t k = 0; k < power_.size(); ++k) {
        const double f = binFrequency(k, sampleRate);
        if (f >= fLow && f < fHigh) {
            band.sum += power_[k];
            ++band.bins;
        }
    }
    return band;
}

double WelchAnalyser::bandPower(double sampleRate, double fLow, double fHigh) const {
    return sumBand(sampleRate, fLow, fHigh).sum;
}

double WelchAnalyser::averageBinPower(double sampleRate, double fLow, double fHigh) const {
    const BandSum band = sumBand(sampleRate, fLow, fHigh);
    if (band.bins == 0)
        throw std::invalid_argument("no bin lies in the band");
    return band.sum / static_cast<double>(band.bins);
}

double WelchAnalyser::fittedSlopeDbPerOctave(double sampleRate, double fLow, double fHigh,
                                             int bandsPerOctave) const {
    if (!(fLow > 0.0 && fHigh > fLow) || bandsPerOctave < 1)
        throw std::invalid_argument("need 0 < fLow < fHigh and at least one band per octave");

    const double octaves = std::log2(fHigh / fLow);
    const int bands = std::max(2, static_cast<int>(std::lround(octaves * bandsPerOctave)));
    const double step = octaves / bands;

    // Plain least squares over the band centres; empty bands (too narrow for the bin
    // spacing) are left out rather than guessed.
    double n = 0.0, sx = 0.0, sy = 0.0, sxx = 0.0, sxy = 0.0;
    for (int i = 0; i < bands; ++i) {
        const double lo = fLow * std::exp2(step * i);
        const double hi = fLow * std::exp2(step * (i + 1));
        const BandSum band = sumBand(sampleRate, lo, hi);
        if (band.bins == 0 || band.sum <= 0.0)
            continue;
        const double x = std::log2(std::sqrt(lo * hi));
        const double y = 10.0 * std::log10(band.sum / static_cast<double>(band.bins));
        n += 1.0;
        sx += x;
        sy += y;
        sxx += x * x;
        sxy += x * y;
    }
    const double denominator = n * sxx - sx * sx;
    if (n < 2.0 || denominator <= 0.0)
        throw std::invalid_argument("fewer than two usable bands");
    return (n * sxy - sx * sy) / denominator;
}
