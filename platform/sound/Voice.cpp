#include "Voice.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace qf::sound {

namespace {

constexpr float kSampleScale = 1.0f / 32768.0f;
constexpr double kRampSeconds = 0.005;

// Four-point Catmull-Rom interpolation between b and c.
inline float cubic(float a, float b, float c, float d, float t) noexcept {
    return b +
           0.5f * t *
               (c - a + t * (2.0f * a - 5.0f * b + 4.0f * c - d + t * (3.0f * (b - c) + d - a)));
}

#if defined(__SSE2__)
// The four frames around a read position, widened to float: {a.l, a.r, b.l, b.r} and
// {c.l, c.r, d.l, d.r}. They lie next to each other in memory, so one load fetches all eight.
inline void loadFrames(const std::int16_t* frame, __m128& ab, __m128& cd) noexcept {
    const __m128i raw = _mm_loadu_si128(reinterpret_cast<const __m128i*>(frame - 2));
    ab = _mm_cvtepi32_ps(_mm_srai_epi32(_mm_unpacklo_epi16(raw, raw), 16));
    cd = _mm_cvtepi32_ps(_mm_srai_epi32(_mm_unpackhi_epi16(raw, raw), 16));
}

// The same Catmull-Rom curve on four lanes: two frames, left and right each.
inline __m128 cubic4(__m128 a, __m128 b, __m128 c, __m128 d, __m128 t) noexcept {
    const __m128 k3 = _mm_sub_ps(_mm_add_ps(_mm_mul_ps(_mm_set1_ps(3.0f), _mm_sub_ps(b, c)), d), a);
    const __m128 k2 =
        _mm_sub_ps(_mm_add_ps(_mm_sub_ps(_mm_add_ps(a, a), _mm_mul_ps(_mm_set1_ps(5.0f), b)),
                              _mm_mul_ps(_mm_set1_ps(4.0f), c)),
                   d);
    const __m128 k1 = _mm_sub_ps(c, a);
    const __m128 poly = _mm_add_ps(k1, _mm_mul_ps(t, _mm_add_ps(k2, _mm_mul_ps(t, k3))));
    return _mm_add_ps(b, _mm_mul_ps(_mm_mul_ps(_mm_set1_ps(0.5f), t), poly));
}
#endif

inline float fraction(std::uint64_t pos) noexcept {
    return static_cast<float>(pos & 0xffffffffu) * (1.0f / 4294967296.0f);
}

} // namespace

void Voice::attach(const Recording* recording, int deviceRate) noexcept {
    recording_ = recording;
    deviceRate_ = static_cast<std::uint32_t>(deviceRate);
    rampFrames_ = static_cast<std::uint32_t>(deviceRate * kRampSeconds + 0.5);
    if (rampFrames_ == 0) {
        rampFrames_ = 1;
    }
    frequency_.store(static_cast<std::uint32_t>(recording->sampleRate()),
                     std::memory_order_relaxed);
}

void Voice::setGains(float left, float right) noexcept {
    targetLeft_.store(left, std::memory_order_relaxed);
    targetRight_.store(right, std::memory_order_relaxed);
}

void Voice::setFrequency(std::uint32_t hertz) noexcept {
    frequency_.store(hertz, std::memory_order_relaxed);
}

void Voice::play(bool looping) noexcept {
    looping_.store(looping, std::memory_order_relaxed);
    playing_.store(true, std::memory_order_release);
}

void Voice::stop() noexcept {
    playing_.store(false, std::memory_order_release);
}

void Voice::seek(std::uint32_t frame) noexcept {
    pendingSeek_.store(frame, std::memory_order_release);
    position_.store(frame, std::memory_order_relaxed);
}

void Voice::updateTargets() noexcept {
    const bool audible = playing_.load(std::memory_order_acquire) &&
                         pendingSeek_.load(std::memory_order_acquire) < 0;
    const float left = audible ? targetLeft_.load(std::memory_order_relaxed) : 0.0f;
    const float right = audible ? targetRight_.load(std::memory_order_relaxed) : 0.0f;
    if (left != rampTargetLeft_ || right != rampTargetRight_) {
        rampTargetLeft_ = left;
        rampTargetRight_ = right;
        rampRemaining_ = rampFrames_;
        rampStepLeft_ = (left - currentLeft_) / static_cast<float>(rampFrames_);
        rampStepRight_ = (right - currentRight_) / static_cast<float>(rampFrames_);
    }
    const std::uint32_t hertz = frequency_.load(std::memory_order_relaxed);
    if (hertz != stepFrequency_) {
        stepFrequency_ = hertz;
        step_ = (static_cast<std::uint64_t>(hertz) << 32) / deviceRate_;
    }
}

void Voice::skipSilently(std::size_t frames) noexcept {
    const std::uint64_t end = static_cast<std::uint64_t>(recording_->frames()) << 32;
    readPos_ = (readPos_ + step_ * frames) % end;
}

template <bool Ramping> std::size_t Voice::mixSpan(float* out, std::size_t frames) noexcept {
    const std::int16_t* data = recording_->frameData();
    const std::uint64_t end = static_cast<std::uint64_t>(recording_->frames()) << 32;
    const bool looping = looping_.load(std::memory_order_relaxed);
    float left = currentLeft_;
    float right = currentRight_;
    const float stepLeft = rampStepLeft_;
    const float stepRight = rampStepRight_;
    std::uint64_t pos = readPos_;
    const std::uint64_t step = step_;
    std::size_t i = 0;
#if defined(__SSE2__)
    // Looping playback, the everyday case, mixes two frames per step on four lanes. One-shot
    // playback and an odd last frame take the plain loop below, which computes the same values.
    if (looping) {
        __m128 gain = _mm_setr_ps(left * kSampleScale, right * kSampleScale, left * kSampleScale,
                                  right * kSampleScale);
        for (; i + 2 <= frames; i += 2) {
            const std::uint64_t first = pos;
            pos += step;
            if (pos >= end) {
                pos %= end;
            }
            const std::uint64_t second = pos;
            pos += step;
            if (pos >= end) {
                pos %= end;
            }
            __m128 ab0, cd0, ab1, cd1;
            loadFrames(data + 2 * (first >> 32), ab0, cd0);
            loadFrames(data + 2 * (second >> 32), ab1, cd1);
            const float t0 = fraction(first);
            const float t1 = fraction(second);
            const __m128 value =
                cubic4(_mm_movelh_ps(ab0, ab1), _mm_movehl_ps(ab1, ab0), _mm_movelh_ps(cd0, cd1),
                       _mm_movehl_ps(cd1, cd0), _mm_setr_ps(t0, t0, t1, t1));
            if constexpr (Ramping) {
                const float left0 = left + stepLeft;
                const float right0 = right + stepRight;
                left = left0 + stepLeft;
                right = right0 + stepRight;
                gain = _mm_setr_ps(left0 * kSampleScale, right0 * kSampleScale, left * kSampleScale,
                                   right * kSampleScale);
            }
            const __m128 mixed = _mm_add_ps(_mm_loadu_ps(out + 2 * i), _mm_mul_ps(value, gain));
            _mm_storeu_ps(out + 2 * i, mixed);
        }
    }
#endif
    for (; i < frames; ++i) {
        const std::int16_t* p = data + 2 * (pos >> 32);
        const float t = fraction(pos);
        const float l = cubic(p[-2], p[0], p[2], p[4], t);
        const float r = cubic(p[-1], p[1], p[3], p[5], t);
        if constexpr (Ramping) {
            left += stepLeft;
            right += stepRight;
        }
        out[2 * i] += l * (left * kSampleScale);
        out[2 * i + 1] += r * (right * kSampleScale);
        pos += step;
        if (pos >= end) {
            if (!looping) {
                // A one-shot play ends with its recording; the next play starts from the top.
                pos = 0;
                left = right = 0.0f;
                rampRemaining_ = 0;
                rampTargetLeft_ = rampTargetRight_ = 0.0f;
                playing_.store(false, std::memory_order_release);
                ++i;
                break;
            }
            // A loop shorter than one step is crossed more than once; only the remainder counts.
            pos %= end;
        }
    }
    readPos_ = pos;
    currentLeft_ = left;
    currentRight_ = right;
    return i;
}

bool Voice::applyPendingSeek() noexcept {
    const std::int64_t seek = pendingSeek_.load(std::memory_order_acquire);
    if (seek < 0) {
        return false;
    }
    readPos_ = static_cast<std::uint64_t>(seek) << 32;
    std::int64_t expected = seek;
    pendingSeek_.compare_exchange_strong(expected, -1, std::memory_order_acq_rel);
    return true;
}

void Voice::mixInto(float* out, std::size_t frames) noexcept {
    updateTargets();
    std::size_t done = 0;
    if (rampRemaining_ > 0) {
        const std::size_t span = frames < rampRemaining_ ? frames : rampRemaining_;
        done = mixSpan<true>(out, span);
        if (rampRemaining_ > 0) {
            rampRemaining_ -= static_cast<std::uint32_t>(done);
            if (rampRemaining_ == 0) {
                currentLeft_ = rampTargetLeft_;
                currentRight_ = rampTargetRight_;
            }
        }
    }
    if (done < frames) {
        if (currentLeft_ != 0.0f || currentRight_ != 0.0f) {
            mixSpan<false>(out + 2 * done, frames - done);
        } else if (applyPendingSeek()) {
            // Jumps happen only while nothing is heard, so a seek cannot click. The fade-in
            // from the new place starts with the next period.
        } else if (playing_.load(std::memory_order_relaxed)) {
            skipSilently(frames - done);
        }
    }
    position_.store(static_cast<std::uint32_t>(readPos_ >> 32), std::memory_order_relaxed);
}

} // namespace qf::sound
