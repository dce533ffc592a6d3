#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace qf::sound {

// The band-limiting filter every voice reads its recording through: a Kaiser-windowed sinc cut
// off at the recording's own Nyquist frequency, tabulated at kPhases fractional positions
// between two frames. The cut-off follows the recording's rate, so one table serves every voice
// that reads slower than the output plays; one that reads faster is read through this same
// table stretched in time (StretchedFilter), which brings the cut-off down to the output's.
//
// A row holds the kTaps weights, in 1/16384 units, for reading at phase p / kPhases past a
// frame. A read takes the row its position falls in, which moves it by less than 1/4096 of a
// frame. Even for a tone at 0.9 of Nyquist the error that leaves is about 75 dB down, as deep
// as the filter's own stopband, so reading between rows (a second set of products for every
// frame) would buy nothing audible. Every row sums to exactly 16384, so a constant recording
// comes out exactly constant, and phase 0 is the frame itself, so reading at whole frames gives
// the recording back bit for bit.
class ResamplingFilter {
public:
    static constexpr std::size_t kTaps = 48;
    static constexpr int kPhaseBits = 12;
    static constexpr std::size_t kPhases = std::size_t{1} << kPhaseBits;
    static constexpr int kWeightBits = 14;
    // Frames read before and after the frame a read position lies in.
    static constexpr std::size_t kTapsBefore = kTaps / 2 - 1;
    static constexpr std::size_t kTapsAfter = kTaps / 2;

    // Built on first use; call it from an ordinary thread before the audio thread needs it.
    static const ResamplingFilter& instance();

    const std::int16_t* row(std::size_t phase) const noexcept { return rows_[phase].data(); }

private:
    ResamplingFilter();

    // Rows are 96 bytes, so each starts on a 32-byte boundary for aligned vector loads.
    alignas(64) std::array<std::array<std::int16_t, kTaps>, kPhases> rows_{};
};

} // namespace qf::sound
