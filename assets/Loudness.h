#pragma once

#include <cstdint>
#include <span>

// EBU R128 measures of a whole recording, taken with libebur128.
struct Loudness {
    double integratedLufs;
    // The highest of the channels' true peaks, in dB relative to full scale.
    double truePeakDbtp;

    // Interleaved stereo; doubles have full scale 1.0.
    static Loudness ofStereo(std::span<const double> interleaved, unsigned long sampleRate);
    static Loudness ofStereo(std::span<const std::int16_t> interleaved, unsigned long sampleRate);
};
