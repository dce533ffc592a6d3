#pragma once

#include "audio/ResamplingFilter.h"

#include <cstddef>
#include <cstdint>

namespace qf::sound {

// The inner loop of mixing: reads a recording through the resampling filter at evenly spaced
// positions and adds the frames, times a gain that may be ramping, into interleaved stereo
// output. It has a plain path and vector paths for SSE2 and, where the processor has it, AVX2;
// every path computes exactly the same output.
class SpanMixer {
public:
    enum class Path { Plain, Sse2, Avx2 };

    // The fastest path this build runs on this processor.
    static Path fastestPath() noexcept;
    static bool supports(Path path) noexcept;

    struct Span {
        // The first frame the filter reaches for frame 0 of each side.
        const std::int16_t* left;
        const std::int16_t* right;
        const ResamplingFilter* filter;
        // Read position and step, 32.32 fixed point in frames. Positions wrap at `end`.
        std::uint64_t pos;
        std::uint64_t step;
        std::uint64_t end;
        // Gains before the first frame; a ramping span adds the ramp steps once per frame.
        float leftGain;
        float rightGain;
        float leftRamp;
        float rightRamp;
    };

    // Mixes `frames` frames and leaves the position and gains where the next frame starts.
    template <bool Ramping>
    static void mix(Path path, Span& span, float* out, std::size_t frames) noexcept;
};

} // namespace qf::sound
