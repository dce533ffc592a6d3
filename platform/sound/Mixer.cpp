#include "Mixer.h"

#include "SoftLimiter.h"

#include <algorithm>

namespace qf::sound {

Mixer::Mixer(int deviceRate) : deviceRate_(deviceRate), master_(deviceRate) {}

Voice* Mixer::addVoice(std::shared_ptr<const Recording> recording) {
    const std::size_t index = voiceCount_.load(std::memory_order_relaxed);
    if (index >= kMaxVoices || !recording) {
        return nullptr;
    }
    recordings_[index] = std::move(recording);
    voices_[index].attach(recordings_[index].get(), deviceRate_);
    // Publishing the count is what makes the voice visible to the audio thread.
    voiceCount_.store(index + 1, std::memory_order_release);
    return &voices_[index];
}

void Mixer::render(float* out, std::size_t frames) noexcept {
    std::fill(out, out + 2 * frames, 0.0f);
    if (!master_.begin()) {
        return;
    }
    const std::size_t count = voiceCount_.load(std::memory_order_acquire);
    for (std::size_t v = 0; v < count; ++v) {
        voices_[v].mixInto(out, frames);
    }
    SoftLimiter::processBlock(out, 2 * frames);
    master_.apply(out, frames);
}

std::vector<float> Mixer::render(std::size_t frames) {
    std::vector<float> out(2 * frames);
    render(out.data(), frames);
    return out;
}

} // namespace qf::sound
