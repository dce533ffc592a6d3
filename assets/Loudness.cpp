#include "assets/Loudness.h"

#include <ebur128.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <stdexcept>
#include <type_traits>

namespace {

constexpr unsigned channels = 2;

struct StateFree {
    void operator()(ebur128_state* state) const { ebur128_destroy(&state); }
};

template <typename Sample>
Loudness measure(std::span<const Sample> interleaved, unsigned long sampleRate) {
    std::unique_ptr<ebur128_state, StateFree> state(
        ebur128_init(channels, sampleRate, EBUR128_MODE_I | EBUR128_MODE_TRUE_PEAK));
    if (!state)
        throw std::bad_alloc();

    const std::size_t frames = interleaved.size() / channels;
    int added = EBUR128_SUCCESS;
    if constexpr (std::is_same_v<Sample, double>)
        added = ebur128_add_frames_double(state.get(), interleaved.data(), frames);
    else
        added = ebur128_add_frames_short(state.get(), interleaved.data(), frames);
    if (added != EBUR128_SUCCESS)
        throw std::runtime_error("libebur128 could not take the samples");

    Loudness result{};
    double peak = 0.0;
    for (unsigned c = 0; c < channels; ++c) {
        double channelPeak = 0.0;
        if (ebur128_true_peak(state.get(), c, &channelPeak) != EBUR128_SUCCESS)
            throw std::runtime_error("libebur128 could not give the true peak");
        peak = std::max(peak, channelPeak);
    }
    result.truePeakDbtp = 20.0 * std::log10(peak);
    if (ebur128_loudness_global(state.get(), &result.integratedLufs) != EBUR128_SUCCESS)
        throw std::runtime_error("libebur128 could not give the integrated loudness");
    return result;
}

} // namespace

Loudness Loudness::ofStereo(std::span<const double> interleaved, unsigned long sampleRate) {
    return measure(interleaved, sampleRate);
}

Loudness Loudness::ofStereo(std::span<const std::int16_t> interleaved, unsigned long sampleRate) {
    return measure(interleaved, sampleRate);
}
