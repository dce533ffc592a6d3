#pragma once

#include "AudioOutput.h"

#include <SDL2/SDL.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace qf::sound {

// The default playback device through SDL2. The callback only pulls the mixer. A watchdog
// thread notices when the device goes away (sound server restart, headphones unplugged) and
// reopens the default device; the mixer keeps its state, so playing goes on where it was.
class SdlAudioOutput final : public AudioOutput {
public:
    static constexpr int kPeriodFrames = 1024;

    SdlAudioOutput() = default;
    ~SdlAudioOutput() override;
    SdlAudioOutput(const SdlAudioOutput&) = delete;
    SdlAudioOutput& operator=(const SdlAudioOutput&) = delete;

    bool open(int preferredRate, std::string& reason) override;
    int sampleRate() const override { return rate_; }
    void start(Mixer& mixer) override;

    int periodFrames() const { return period_; }
    // How many times the device has been reopened after being lost.
    int reopenCount() const { return reopens_.load(std::memory_order_relaxed); }

private:
    static void callback(void* self, Uint8* stream, int length) noexcept;
    SDL_AudioDeviceID openDevice(int rate, bool allowRateChange, std::string& reason);
    void watch();

    bool subsystemUp_ = false;
    SDL_AudioDeviceID device_ = 0;
    int rate_ = 0;
    int period_ = 0;
    SDL_AudioSpec obtained_{};
    std::atomic<Mixer*> mixer_{nullptr};
    std::atomic<int> reopens_{0};

    std::thread watchdog_;
    std::mutex watchMutex_;
    std::condition_variable watchWake_;
    bool stopping_ = false;
};

} // namespace qf::sound
