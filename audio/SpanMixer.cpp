#include "audio/SpanMixer.h"

#if defined(__SSE2__)
#include <immintrin.h>
#endif

namespace qf::sound {

namespace {

using Filter = ResamplingFilter;

// Full scale of a 16-bit sample times the filter's unit weight.
constexpr float kScale = 1.0f / (32768.0f * (1 << Filter::kWeightBits));

// The filter row for the fraction of a frame a read position lies past its frame.
inline const std::int16_t* rowAt(const Filter& filter, std::uint64_t pos) noexcept {
    return filter.row(static_cast<std::size_t>(pos >> (32 - Filter::kPhaseBits)) &
                      (Filter::kPhases - 1));
}

inline std::uint64_t advance(const SpanMixer::Span& span, std::uint64_t pos) noexcept {
    pos += span.step;
    // A loop shorter than one step is crossed more than once; only the remainder counts.
    return pos >= span.end ? pos % span.end : pos;
}

template <bool Ramping>
void mixPlain(SpanMixer::Span& shared, float* out, std::size_t frames) noexcept {
    // A copy of its own, which no store into the output can touch, so it stays in registers.
    SpanMixer::Span span = shared;
    const Filter& filter = *span.filter;
    for (std::size_t i = 0; i < frames; ++i) {
        const auto frame = static_cast<std::size_t>(span.pos >> 32);
        const std::int16_t* left = span.left + frame;
        const std::int16_t* right = span.right + frame;
        const std::int16_t* row = rowAt(filter, span.pos);
        std::int32_t sumLeft = 0;
        std::int32_t sumRight = 0;
        for (std::size_t k = 0; k < Filter::kTaps; ++k) {
            sumLeft += left[k] * row[k];
            sumRight += right[k] * row[k];
        }
        if constexpr (Ramping) {
            span.leftGain += span.leftRamp;
            span.rightGain += span.rightRamp;
        }
        out[2 * i] += static_cast<float>(sumLeft) * (span.leftGain * kScale);
        out[2 * i + 1] += static_cast<float>(sumRight) * (span.rightGain * kScale);
        span.pos = advance(span, span.pos);
    }
    shared = span;
}

#if defined(__SSE2__)
// Keeps a loaded value in a register. Left alone, the compiler folds the load into both sides'
// multiplications and so loads the weights twice, and loads are what limits these loops.
inline void keepInRegister(__m128i& value) noexcept {
#if defined(__GNUC__)
    __asm__("" : "+x"(value));
#else
    (void)value;
#endif
}

constexpr std::size_t kVectors = Filter::kTaps / 8;
static_assert(Filter::kTaps % 16 == 0, "the vector paths read eight and sixteen taps at a time");

// Adds the products in pairs, so that no long chain of additions holds a read up.
template <std::size_t N> inline __m128i pairwiseSum(__m128i (&terms)[N]) noexcept {
#pragma GCC unroll 8
    for (std::size_t stride = 1; stride < N; stride *= 2) {
#pragma GCC unroll 8
        for (std::size_t k = 0; k + stride < N; k += 2 * stride) {
            terms[k] = _mm_add_epi32(terms[k], terms[k + stride]);
        }
    }
    return terms[0];
}

// The sums of one read as whole numbers in {l, r, l, r}, halves that still need adding.
// Integer sums do not depend on the order of adding, so every path agrees exactly.
inline __m128i readSse2(const SpanMixer::Span& span, std::uint64_t pos) noexcept {
    const auto frame = static_cast<std::size_t>(pos >> 32);
    const std::int16_t* left = span.left + frame;
    const std::int16_t* right = span.right + frame;
    const std::int16_t* row = rowAt(*span.filter, pos);
    __m128i leftTerms[kVectors];
    __m128i rightTerms[kVectors];
#pragma GCC unroll 8
    for (std::size_t k = 0; k < kVectors; ++k) {
        __m128i weights = _mm_load_si128(reinterpret_cast<const __m128i*>(row + 8 * k));
        keepInRegister(weights);
        leftTerms[k] = _mm_madd_epi16(
            _mm_loadu_si128(reinterpret_cast<const __m128i*>(left + 8 * k)), weights);
        rightTerms[k] = _mm_madd_epi16(
            _mm_loadu_si128(reinterpret_cast<const __m128i*>(right + 8 * k)), weights);
    }
    const __m128i l = pairwiseSum(leftTerms);
    const __m128i r = pairwiseSum(rightTerms);
    return _mm_add_epi32(_mm_unpacklo_epi32(l, r), _mm_unpackhi_epi32(l, r));
}

// Two reads' halves to {l0, r0, l1, r1} as float.
inline __m128 combine(__m128i first, __m128i second) noexcept {
    return _mm_cvtepi32_ps(
        _mm_add_epi32(_mm_unpacklo_epi64(first, second), _mm_unpackhi_epi64(first, second)));
}

// Adds two frames into the output with the gains the plain path would use for them.
template <bool Ramping>
inline void addPair(SpanMixer::Span& span, __m128 value, float* out) noexcept {
    float left0 = span.leftGain;
    float right0 = span.rightGain;
    if constexpr (Ramping) {
        left0 += span.leftRamp;
        right0 += span.rightRamp;
        span.leftGain = left0 + span.leftRamp;
        span.rightGain = right0 + span.rightRamp;
    }
    const __m128 gain = _mm_setr_ps(left0 * kScale, right0 * kScale, span.leftGain * kScale,
                                    span.rightGain * kScale);
    _mm_storeu_ps(out, _mm_add_ps(_mm_loadu_ps(out), _mm_mul_ps(value, gain)));
}

template <bool Ramping>
void mixSse2(SpanMixer::Span& shared, float* out, std::size_t frames) noexcept {
    SpanMixer::Span span = shared;
    std::size_t i = 0;
    for (; i + 2 <= frames; i += 2) {
        const std::uint64_t first = span.pos;
        const std::uint64_t second = advance(span, first);
        span.pos = advance(span, second);
        addPair<Ramping>(span, combine(readSse2(span, first), readSse2(span, second)), out + 2 * i);
    }
    shared = span;
    mixPlain<Ramping>(shared, out + 2 * i, frames - i);
}

#if defined(__x86_64__) || defined(__i386__)
#define QF_SPAN_MIXER_AVX2 1

__attribute__((target("avx2"))) inline void keepInRegister(__m256i& value) noexcept {
    __asm__("" : "+x"(value));
}

// readSse2 on sixteen taps at a time.
__attribute__((target("avx2"))) inline __m128i readAvx2(const SpanMixer::Span& span,
                                                        std::uint64_t pos) noexcept {
    const auto frame = static_cast<std::size_t>(pos >> 32);
    const std::int16_t* left = span.left + frame;
    const std::int16_t* right = span.right + frame;
    const std::int16_t* row = rowAt(*span.filter, pos);
    constexpr std::size_t wide = Filter::kTaps / 16;
    __m256i leftSum = _mm256_setzero_si256();
    __m256i rightSum = _mm256_setzero_si256();
#pragma GCC unroll 4
    for (std::size_t k = 0; k < wide; ++k) {
        __m256i weights = _mm256_load_si256(reinterpret_cast<const __m256i*>(row + 16 * k));
        keepInRegister(weights);
        leftSum = _mm256_add_epi32(
            leftSum,
            _mm256_madd_epi16(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(left + 16 * k)),
                              weights));
        rightSum = _mm256_add_epi32(
            rightSum,
            _mm256_madd_epi16(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(right + 16 * k)),
                              weights));
    }
    const __m256i both = _mm256_add_epi32(_mm256_unpacklo_epi32(leftSum, rightSum),
                                          _mm256_unpackhi_epi32(leftSum, rightSum));
    return _mm_add_epi32(_mm256_castsi256_si128(both), _mm256_extracti128_si256(both, 1));
}

template <bool Ramping>
__attribute__((target("avx2"))) void mixAvx2(SpanMixer::Span& shared, float* out,
                                             std::size_t frames) noexcept {
    SpanMixer::Span span = shared;
    std::size_t i = 0;
    for (; i + 2 <= frames; i += 2) {
        const std::uint64_t first = span.pos;
        const std::uint64_t second = advance(span, first);
        span.pos = advance(span, second);
        addPair<Ramping>(span, combine(readAvx2(span, first), readAvx2(span, second)), out + 2 * i);
    }
    // Clean upper halves, or the SSE code that runs next pays for them on every instruction.
    _mm256_zeroupper();
    shared = span;
    mixPlain<Ramping>(shared, out + 2 * i, frames - i);
}
#endif
#endif

} // namespace

bool SpanMixer::supports(Path path) noexcept {
    switch (path) {
    case Path::Plain:
        return true;
    case Path::Sse2:
#if defined(__SSE2__)
        return true;
#else
        return false;
#endif
    case Path::Avx2:
#if defined(QF_SPAN_MIXER_AVX2)
        return __builtin_cpu_supports("avx2") != 0;
#else
        return false;
#endif
    }
    return false;
}

SpanMixer::Path SpanMixer::fastestPath() noexcept {
    for (Path path : {Path::Avx2, Path::Sse2}) {
        if (supports(path)) {
            return path;
        }
    }
    return Path::Plain;
}

template <bool Ramping>
void SpanMixer::mix(Path path, Span& span, float* out, std::size_t frames) noexcept {
    switch (path) {
#if defined(QF_SPAN_MIXER_AVX2)
    case Path::Avx2:
        mixAvx2<Ramping>(span, out, frames);
        return;
#endif
#if defined(__SSE2__)
    case Path::Sse2:
        mixSse2<Ramping>(span, out, frames);
        return;
#endif
    default:
        mixPlain<Ramping>(span, out, frames);
        return;
    }
}

template void SpanMixer::mix<true>(Path, Span&, float*, std::size_t) noexcept;
template void SpanMixer::mix<false>(Path, Span&, float*, std::size_t) noexcept;

} // namespace qf::sound
