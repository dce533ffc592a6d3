#pragma once

#include "audio/SpanMixer.h"

#include <cstddef>
#include <cstdint>

namespace qf::sound {

// Reading for a voice that reads its recording faster than the output plays. Everything the
// recording holds above the output's Nyquist frequency would otherwise fold back into the
// audible band, so the resampling filter's cut-off has to follow the output's Nyquist instead
// of the recording's: the same kernel, stretched in time by the step, which reaches about
// kTaps * step frames. The stretched kernel is read straight off the resampling filter's table
// (the nearest row at each tap), so no rate needs a table of its own. Its weights then no
// longer add up to a fixed unit, so every read is divided by their sum: a constant recording
// still comes out exactly constant.
//
// Slower than the vector paths, and only ever taken when the step is above one.
class StretchedFilter {
public:
    // Beyond this the cut-off stays where it is, so that one read never costs more than
    // kTaps * kMaxStretch products. Every rate the sliders set, on any output from 6250 Hz
    // up, stays below it.
    static constexpr double kMaxStretch = 32.0;

    // Audio thread, whenever the step changes; no allocation. `step` is the voice's 32.32
    // fixed-point step in frames, above one frame.
    void setStep(std::uint64_t step) noexcept;

    // Mixes `frames` frames as SpanMixer::mix does, with the same gains and positions.
    template <bool Ramping>
    void mix(SpanMixer::Span& span, float* out, std::size_t frames) const noexcept;

private:
    // How far one recording frame moves through the table, in phases with 32 fraction bits:
    // rounded for stepping from tap to tap, exact for finding the first tap.
    std::int64_t advance_ = 0;
    double advanceExact_ = 0.0;
    // Frames read on each side of the read position; the kernel is zero beyond them.
    std::size_t reach_ = 0;
};

} // namespace qf::sound
