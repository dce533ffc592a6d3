#include "assets/NoiseSynthesiser.h"

#include "assets/UnitRandom.h"

#include <fftw3.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <numbers>
#include <stdexcept>

namespace {

// Below this a falling slope is held flat; otherwise brown noise would spend most of its
// level on rumble nobody can hear, and the audible part would end up far too quiet.
constexpr double lowCornerHz = 20.0;
constexpr double referenceHz = 1000.0;
constexpr double decibelsPerDoubling = 6.02;

struct FftwFree {
    void operator()(void* p) const { fftw_free(p); }
};

} // namespace

NoiseSynthesiser::NoiseSynthesiser(double sampleRate, std::size_t frames)
    : sampleRate_(sampleRate), frames_(frames) {
    // An odd length has no Nyquist bin, and the loop length must be a whole number of
    // samples anyway; keep the bin layout simple.
    if (frames_ < 4 || frames_ % 2 != 0)
        throw std::invalid_argument("loop length must be even");
}

double NoiseSynthesiser::amplitudeAt(double frequency, double slopeDbPerOctave) const {
    if (slopeDbPerOctave < 0.0)
        frequency = std::max(frequency, lowCornerHz);
    return std::pow(frequency / referenceHz, slopeDbPerOctave / decibelsPerDoubling);
}

std::vector<double> NoiseSynthesiser::loop(double slopeDbPerOctave, std::uint64_t seed) const {
    const std::size_t bins = frames_ / 2 + 1;
    std::unique_ptr<fftw_complex[], FftwFree> spectrum(fftw_alloc_complex(bins));
    std::unique_ptr<double[], FftwFree> samples(fftw_alloc_real(frames_));
    if (!spectrum || !samples)
        throw std::bad_alloc();

    // Estimated plans do not depend on timing, so the arithmetic (and the bytes) repeat.
    fftw_plan plan = fftw_plan_dft_c2r_1d(static_cast<int>(frames_), spectrum.get(), samples.get(),
                                          FFTW_ESTIMATE);
    if (plan == nullptr)
        throw std::runtime_error("FFTW could not plan the inverse transform");

    UnitRandom random(seed);
    const double binWidth = sampleRate_ / static_cast<double>(frames_);
    // DC would only offset the signal and the Nyquist bin cannot carry a random phase.
    spectrum[0][0] = spectrum[0][1] = 0.0;
    for (std::size_t k = 1; k + 1 < bins; ++k) {
        const double amplitude = amplitudeAt(static_cast<double>(k) * binWidth, slopeDbPerOctave);
        const double phase = 2.0 * std::numbers::pi * random.next();
        spectrum[k][0] = amplitude * std::cos(phase);
        spectrum[k][1] = amplitude * std::sin(phase);
    }
    spectrum[bins - 1][0] = spectrum[bins - 1][1] = 0.0;

    fftw_execute(plan);
    fftw_destroy_plan(plan);
    return std::vector<double>(samples.get(), samples.get() + frames_);
}
