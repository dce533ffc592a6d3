#pragma once

#include "platform/mci/AudioPorts.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

namespace qf::mci::fake {

// What the fake devices share with the test that made them. The input delivers frames that
// count up (left = n, right = ~n, as 16-bit), faster than real time, so a recording's content
// can be checked frame by frame; the output takes whatever it is given as fast.
struct FakeSound {
    // Each device's thread passes one period of this many frames, then sleeps for `pause`.
    int periodFrames = 1024;
    std::chrono::microseconds pause{500};
    std::atomic<bool> noInput{false};
    std::atomic<bool> noOutput{false};
    // When not negative, the input tells after each period that it holds this many frames more.
    std::atomic<int> heldFrames{-1};

    std::atomic<int> captureOpens{0};
    // Inputs open at the moment.
    std::atomic<int> openCaptures{0};
    std::atomic<int> playbackOpens{0};
    std::atomic<std::uint64_t> playedBytes{0};
    std::atomic<std::uint32_t> nextFrame{0};

    // The first bytes each playback received (up to a limit), for comparing with the file.
    std::vector<std::uint8_t> played() const;
    void keepPlayed(const std::uint8_t* data, std::size_t bytes);
    void clearPlayed();

private:
    mutable std::mutex mutex_;
    std::vector<std::uint8_t> played_;
};

// Fills `data` with counting frames from `frame` on.
void countingFrames(std::uint32_t frame, std::uint8_t* data, std::size_t frames);
// Whether `bytes` hold frames counting up by one each, from any start.
bool countsUp(const std::uint8_t* data, std::size_t bytes);

class FakeAudioPorts final : public AudioPorts {
public:
    explicit FakeAudioPorts(std::shared_ptr<FakeSound> sound) : sound_(std::move(sound)) {}

    std::unique_ptr<AudioPort> openCapture(sound::DeviceCallback& callback,
                                           std::string& reason) override;
    std::unique_ptr<AudioPort> openPlayback(sound::DeviceCallback& callback,
                                            std::string& reason) override;

private:
    std::shared_ptr<FakeSound> sound_;
};

} // namespace qf::mci::fake
