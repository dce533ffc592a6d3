#include "tests/mci/FakeAudioPorts.h"

#include <cstring>
#include <thread>

namespace qf::mci::fake {

namespace {

constexpr std::size_t kKeptBytes = std::size_t{16} << 20;

// A device with a thread of its own that calls the callback one period at a time while
// started, as a sound library would, only faster.
class FakePort final : public AudioPort {
public:
    FakePort(std::shared_ptr<FakeSound> sound, sound::DeviceCallback& callback, bool capture)
        : sound_(std::move(sound)), callback_(callback), capture_(capture),
          thread_([this] { run(); }) {
        sound_->openCaptures.fetch_add(capture_ ? 1 : 0);
    }
    ~FakePort() override {
        quit_.store(true);
        thread_.join();
        sound_->openCaptures.fetch_sub(capture_ ? 1 : 0);
    }

    void start() override { started_.store(true); }
    void stop() override { started_.store(false); }

private:
    void run() {
        const auto frames = static_cast<std::size_t>(sound_->periodFrames);
        std::vector<std::uint8_t> period(frames * AudioPorts::kBytesPerFrame);
        while (!quit_.load()) {
            if (!started_.load()) {
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
                continue;
            }
            if (capture_) {
                countingFrames(sound_->nextFrame.fetch_add(static_cast<std::uint32_t>(frames)),
                               period.data(), frames);
                callback_.transfer(period.data(), static_cast<int>(period.size()));
                if (const int held = sound_->heldFrames.load(); held >= 0) {
                    callback_.held(held);
                }
            } else {
                callback_.transfer(period.data(), static_cast<int>(period.size()));
                sound_->playedBytes.fetch_add(period.size());
                sound_->keepPlayed(period.data(), period.size());
            }
            std::this_thread::sleep_for(sound_->pause);
        }
    }

    std::shared_ptr<FakeSound> sound_;
    sound::DeviceCallback& callback_;
    const bool capture_;
    std::atomic<bool> started_{false};
    std::atomic<bool> quit_{false};
    std::thread thread_;
};

} // namespace

void countingFrames(std::uint32_t frame, std::uint8_t* data, std::size_t frames) {
    for (std::size_t i = 0; i < frames; ++i) {
        const auto n = static_cast<std::uint16_t>(frame + i);
        const std::uint16_t pair[2] = {n, static_cast<std::uint16_t>(~n)};
        std::memcpy(data + i * AudioPorts::kBytesPerFrame, pair, sizeof pair);
    }
}

bool countsUp(const std::uint8_t* data, std::size_t bytes) {
    std::uint16_t previous = 0;
    for (std::size_t at = 0; at + AudioPorts::kBytesPerFrame <= bytes;
         at += AudioPorts::kBytesPerFrame) {
        std::uint16_t pair[2];
        std::memcpy(pair, data + at, sizeof pair);
        if (pair[1] != static_cast<std::uint16_t>(~pair[0]) ||
            (at > 0 && pair[0] != static_cast<std::uint16_t>(previous + 1))) {
            return false;
        }
        previous = pair[0];
    }
    return true;
}

std::vector<std::uint8_t> FakeSound::played() const {
    std::lock_guard lock(mutex_);
    return played_;
}

void FakeSound::keepPlayed(const std::uint8_t* data, std::size_t bytes) {
    std::lock_guard lock(mutex_);
    const std::size_t n = std::min(bytes, kKeptBytes - std::min(kKeptBytes, played_.size()));
    played_.insert(played_.end(), data, data + n);
}

void FakeSound::clearPlayed() {
    std::lock_guard lock(mutex_);
    played_.clear();
}

std::unique_ptr<AudioPort> FakeAudioPorts::openCapture(sound::DeviceCallback& callback,
                                                       std::string& reason) {
    if (sound_->noInput.load()) {
        reason = "no input device";
        return nullptr;
    }
    sound_->captureOpens.fetch_add(1);
    return std::make_unique<FakePort>(sound_, callback, true);
}

std::unique_ptr<AudioPort> FakeAudioPorts::openPlayback(sound::DeviceCallback& callback,
                                                        std::string& reason) {
    if (sound_->noOutput.load()) {
        reason = "no output device";
        return nullptr;
    }
    sound_->playbackOpens.fetch_add(1);
    return std::make_unique<FakePort>(sound_, callback, false);
}

} // namespace qf::mci::fake
