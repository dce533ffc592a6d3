#include "audio/StretchedFilter.h"

#include <cmath>

namespace qf::sound {

namespace {

using Filter = ResamplingFilter;

constexpr int kFractionBits = 32;
// One row of the table spans one frame of the unstretched kernel: kPhases phases.
constexpr std::int64_t kTableSpan = static_cast<std::int64_t>(Filter::kTaps * Filter::kPhases);

} // namespace

void StretchedFilter::setStep(std::uint64_t step) noexcept {
    double stretch = std::ldexp(static_cast<double>(step), -kFractionBits);
    if (stretch > kMaxStretch) {
        stretch = kMaxStretch;
    }
    if (stretch < 1.0) {
        stretch = 1.0;
    }
    advanceExact_ = std::ldexp(static_cast<double>(Filter::kPhases), kFractionBits) / stretch;
    advance_ = std::llround(advanceExact_);
    reach_ = static_cast<std::size_t>(std::ceil(Filter::kTaps / 2.0 * stretch)) + 1;
}

template <bool Ramping>
void StretchedFilter::mix(SpanMixer::Span& shared, float* out, std::size_t frames) const noexcept {
    SpanMixer::Span span = shared;
    const Filter& filter = *span.filter;
    const std::int16_t* left = span.left + Filter::kTapsBefore;
    const std::int16_t* right = span.right + Filter::kTapsBefore;
    const auto length = static_cast<std::size_t>(span.end >> kFractionBits);
    const std::size_t taps = 2 * reach_ + 1;
    const std::size_t back = reach_ % length;
    // The table position, plus one row so that it stays positive over the kernel, plus half a
    // phase so that truncating it picks the nearest row.
    const double origin =
        std::ldexp(static_cast<double>(Filter::kTapsBefore + 1) * Filter::kPhases, kFractionBits) +
        std::ldexp(1.0, kFractionBits - 1);
    constexpr float kSampleScale = 1.0f / 32768.0f;
    for (std::size_t i = 0; i < frames; ++i) {
        const auto frame = static_cast<std::size_t>(span.pos >> kFractionBits);
        const double fraction = std::ldexp(static_cast<double>(span.pos & 0xFFFFFFFFu), -32);
        // Where the first tap, `reach_` frames before the read position's frame, falls.
        auto at = static_cast<std::int64_t>(origin - (static_cast<double>(reach_) + fraction) *
                                                         advanceExact_);
        // Positions in the recording wrap at its end, as they do for the margins of the
        // ordinary read; the loop may be far shorter than the kernel.
        std::size_t index = frame + length - back;
        if (index >= length) {
            index -= length;
        }
        std::int64_t sumWeights = 0;
        std::int64_t sumLeft = 0;
        std::int64_t sumRight = 0;
        for (std::size_t k = 0; k < taps; ++k) {
            const std::int64_t phase = at >> kFractionBits;
            if (phase > 0 && phase <= kTableSpan) {
                const std::int64_t tap = (phase - 1) >> Filter::kPhaseBits;
                const auto row =
                    static_cast<std::size_t>(((tap + 1) << Filter::kPhaseBits) - phase);
                const std::int32_t weight = filter.row(row)[tap];
                sumWeights += weight;
                sumLeft += static_cast<std::int64_t>(left[index]) * weight;
                sumRight += static_cast<std::int64_t>(right[index]) * weight;
            }
            at += advance_;
            if (++index == length) {
                index = 0;
            }
        }
        // Exact quotients of exact sums: a constant comes back as exactly that constant.
        const double weights = static_cast<double>(sumWeights);
        if constexpr (Ramping) {
            span.leftGain += span.leftRamp;
            span.rightGain += span.rightRamp;
        }
        out[2 * i] += static_cast<float>(static_cast<double>(sumLeft) / weights) *
                      (span.leftGain * kSampleScale);
        out[2 * i + 1] += static_cast<float>(static_cast<double>(sumRight) / weights) *
                          (span.rightGain * kSampleScale);
        span.pos += span.step;
        if (span.pos >= span.end) {
            span.pos %= span.end;
        }
    }
    shared = span;
}

template void StretchedFilter::mix<true>(SpanMixer::Span&, float*, std::size_t) const noexcept;
template void StretchedFilter::mix<false>(SpanMixer::Span&, float*, std::size_t) const noexcept;

} // namespace qf::sound
