#pragma once

#include "MasterGain.h"
#include "Recording.h"
#include "Voice.h"

#include <array>
#include <atomic>
#include <cstddef>
#include <memory>
#include <vector>

namespace qf::sound {

// Sums every voice into one interleaved stereo stream at the device's rate and keeps the sum
// inside full scale. render() is what the audio callback calls, and tests and benchmarks call
// it directly to pull sound without any device.
class Mixer {
public:
    static constexpr std::size_t kMaxVoices = 32;

    explicit Mixer(int deviceRate);
    Mixer(const Mixer&) = delete;
    Mixer& operator=(const Mixer&) = delete;

    int deviceRate() const { return deviceRate_; }
    // The level of the whole mix, after the limiter. While it rests at silence the voices are
    // not mixed at all and keep their places.
    MasterGain& master() { return master_; }

    // Interface thread: claims a voice for a recording, or returns null when all are taken.
    // The recording is kept alive for as long as the mixer, so the audio thread never sees it go.
    Voice* addVoice(std::shared_ptr<const Recording> recording);

    // Audio thread: overwrites `frames` interleaved stereo frames.
    void render(float* out, std::size_t frames) noexcept;

    // Offline convenience for tests and benchmarks; allocates.
    std::vector<float> render(std::size_t frames);

private:
    const int deviceRate_;
    std::array<Voice, kMaxVoices> voices_;
    std::array<std::shared_ptr<const Recording>, kMaxVoices> recordings_;
    std::atomic<std::size_t> voiceCount_{0};
    MasterGain master_;
};

} // namespace qf::sound
