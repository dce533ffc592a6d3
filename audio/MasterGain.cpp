#include "audio/MasterGain.h"

#include <bit>
#include <cmath>

namespace qf::sound {

std::uint64_t MasterGain::encode(float gain, std::uint32_t frames, Curve curve) noexcept {
    return (curve == Curve::Decibels ? kDecibelsBit : 0) |
           (static_cast<std::uint64_t>(frames & kMaxFrames) << 32) |
           std::bit_cast<std::uint32_t>(gain);
}

std::uint32_t MasterGain::framesOf(double seconds) const noexcept {
    const double frames = seconds > 0.0 ? std::round(seconds * deviceRate_) : 0.0;
    return frames >= kMaxFrames ? kMaxFrames : static_cast<std::uint32_t>(frames);
}

void MasterGain::ask(std::uint64_t request) noexcept {
    request_.store(request, std::memory_order_release);
    if (bell_ != nullptr) {
        bell_->ring();
    }
}

void MasterGain::fadeTo(float gain, double seconds, Curve curve) noexcept {
    ask(encode(gain < 0.0f ? 0.0f : gain, framesOf(seconds), curve));
}

void MasterGain::riseFromSilence(float gain, double seconds) noexcept {
    ask(encode(gain < 0.0f ? 0.0f : gain, framesOf(seconds), Curve::Linear) | kFromSilenceBit);
}

bool MasterGain::settled() const noexcept {
    return reached_.load(std::memory_order_acquire) == request_.load(std::memory_order_relaxed);
}

void MasterGain::start(std::uint64_t request) noexcept {
    target_ = std::bit_cast<float>(static_cast<std::uint32_t>(request));
    remaining_ = static_cast<std::uint32_t>(request >> 32) & kMaxFrames;
    if ((request & kFromSilenceBit) != 0) {
        gain_ = 0.0;
    }
    if (remaining_ == 0) {
        gain_ = target_;
        return;
    }
    multiply_ = (request & kDecibelsBit) != 0 && gain_ > 0.0 && target_ > 0.0;
    if (multiply_) {
        factor_ = std::exp(std::log(target_ / gain_) / remaining_);
    } else {
        step_ = (target_ - gain_) / remaining_;
    }
}

bool MasterGain::begin() noexcept {
    const std::uint64_t request = request_.load(std::memory_order_acquire);
    if (request != seen_) {
        seen_ = request;
        start(request);
    }
    if (remaining_ == 0 && gain_ == 0.0) {
        publish();
        return false;
    }
    return true;
}

void MasterGain::apply(float* out, std::size_t frames) noexcept {
    std::size_t i = 0;
    for (; i < frames && remaining_ > 0; ++i) {
        gain_ = multiply_ ? gain_ * factor_ : gain_ + step_;
        if (--remaining_ == 0) {
            gain_ = target_;
        }
        const auto g = static_cast<float>(gain_);
        out[2 * i] *= g;
        out[2 * i + 1] *= g;
    }
    if (gain_ != 1.0) {
        const auto g = static_cast<float>(gain_);
        for (std::size_t s = 2 * i; s < 2 * frames; ++s) {
            out[s] *= g;
        }
    }
    publish();
}

void MasterGain::publish() noexcept {
    level_.store(static_cast<float>(gain_), std::memory_order_relaxed);
    if (remaining_ == 0) {
        reached_.store(seen_, std::memory_order_release);
    }
}

void MasterGain::restore(const Resume& state) noexcept {
    seen_ = state.seen;
    gain_ = state.gain;
    target_ = state.target;
    step_ = state.step;
    factor_ = state.factor;
    multiply_ = state.multiply;
    remaining_ = state.remaining;
    publish();
}

} // namespace qf::sound
