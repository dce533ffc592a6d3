#include "SdlAudioOutput.h"

#include "Mixer.h"

#include <algorithm>
#include <cstring>

namespace qf::sound {

namespace {

constexpr auto kWatchInterval = std::chrono::milliseconds(250);
constexpr auto kLongestRetry = std::chrono::milliseconds(2000);

} // namespace

SdlAudioOutput::~SdlAudioOutput() {
    if (watchdog_.joinable()) {
        {
            std::lock_guard lock(watchMutex_);
            stopping_ = true;
        }
        watchWake_.notify_all();
        watchdog_.join();
    }
    if (device_ != 0) {
        SDL_CloseAudioDevice(device_);
    }
    if (subsystemUp_) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
    }
}

SDL_AudioDeviceID SdlAudioOutput::openDevice(int rate, bool allowRateChange, std::string& reason) {
    SDL_AudioSpec want{};
    want.freq = rate;
    want.format = AUDIO_F32SYS;
    want.channels = 2;
    want.samples = kPeriodFrames;
    want.callback = &SdlAudioOutput::callback;
    want.userdata = this;
    SDL_AudioSpec have{};
    // Format and channel count are converted by SDL if the device differs; the rate is taken
    // from the device at first open, and kept afterwards so the mixer never has to change.
    const SDL_AudioDeviceID device = SDL_OpenAudioDevice(
        nullptr, 0, &want, &have, allowRateChange ? SDL_AUDIO_ALLOW_FREQUENCY_CHANGE : 0);
    if (device == 0) {
        reason = SDL_GetError();
        return 0;
    }
    obtained_ = have;
    return device;
}

bool SdlAudioOutput::open(int preferredRate, std::string& reason) {
    // The program handles its own termination signals; SDL must not swallow them.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    SDL_SetHint(SDL_HINT_AUDIO_DEVICE_APP_NAME, "Quietfield");
    SDL_SetHint(SDL_HINT_AUDIO_DEVICE_STREAM_NAME, "Noise");
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        reason = SDL_GetError();
        return false;
    }
    subsystemUp_ = true;
    device_ = openDevice(preferredRate, true, reason);
    rate_ = obtained_.freq;
    period_ = obtained_.samples;
    return device_ != 0;
}

void SdlAudioOutput::start(Mixer& mixer) {
    mixer_.store(&mixer, std::memory_order_release);
    SDL_PauseAudioDevice(device_, 0);
    watchdog_ = std::thread([this] { watch(); });
}

void SdlAudioOutput::callback(void* self, Uint8* stream, int length) noexcept {
    auto* output = static_cast<SdlAudioOutput*>(self);
    Mixer* mixer = output->mixer_.load(std::memory_order_acquire);
    const auto frames = static_cast<std::size_t>(length) / (2 * sizeof(float));
    if (mixer == nullptr) {
        std::memset(stream, 0, static_cast<std::size_t>(length));
        return;
    }
    mixer->render(reinterpret_cast<float*>(stream), frames);
}

void SdlAudioOutput::watch() {
    auto wait = kWatchInterval;
    std::unique_lock lock(watchMutex_);
    while (!watchWake_.wait_for(lock, wait, [this] { return stopping_; })) {
        if (SDL_GetAudioDeviceStatus(device_) != SDL_AUDIO_STOPPED) {
            wait = kWatchInterval;
            continue;
        }
        // The device is gone. Reopening may take a while with the sound server down, which is
        // why this runs here and not on the interface thread.
        SDL_CloseAudioDevice(device_);
        device_ = 0;
        std::string reason;
        device_ = openDevice(rate_, false, reason);
        if (device_ == 0) {
            // Some back ends keep one connection to the sound server for the whole subsystem;
            // after a server restart only a fresh start of the subsystem reaches the new one.
            SDL_QuitSubSystem(SDL_INIT_AUDIO);
            subsystemUp_ = SDL_InitSubSystem(SDL_INIT_AUDIO) == 0;
            if (subsystemUp_) {
                device_ = openDevice(rate_, false, reason);
            }
        }
        if (device_ != 0) {
            SDL_PauseAudioDevice(device_, 0);
            reopens_.fetch_add(1, std::memory_order_relaxed);
            wait = kWatchInterval;
        } else {
            wait = std::min<std::chrono::milliseconds>(wait * 2, kLongestRetry);
        }
    }
    // SDL keeps per-thread data (its error text) that it frees only for threads it started.
    SDL_TLSCleanup();
}

} // namespace qf::sound
