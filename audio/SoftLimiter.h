#pragma once

namespace qf::sound {

// Keeps the summed output inside full scale. Below the knee (about -6 dBFS) a sample passes
// untouched; above it the curve bends smoothly (matching slope at the knee) towards, but never
// reaching, 1.0. It is stateless, so it cannot pump or smear the noise.
class SoftLimiter {
public:
    static constexpr float kKnee = 0.5f;

    static float process(float x) noexcept {
        const float magnitude = x < 0.0f ? -x : x;
        if (magnitude <= kKnee) {
            return x;
        }
        const float over = (magnitude - kKnee) / (1.0f - kKnee);
        const float bent = kKnee + (1.0f - kKnee) * (over / (1.0f + over));
        return x < 0.0f ? -bent : bent;
    }

    static void processBlock(float* samples, unsigned long count) noexcept {
        for (unsigned long i = 0; i < count; ++i) {
            samples[i] = process(samples[i]);
        }
    }
};

} // namespace qf::sound
