#include "platform/sdl/SdlAudioOutput.h"

#include "audio/Mixer.h"

#include <cstring>

namespace qf::sound {

SdlAudioOutput::~SdlAudioOutput() {
    // Cuts the callback off before the mixer can go; the device closes in the background.
    device_.reset();
}

DirectSound::OutputFactory SdlAudioOutput::factory(AudioSystem& system) {
    return [&system] { return std::make_unique<SdlAudioOutput>(system); };
}

bool SdlAudioOutput::open(int preferredRate, std::string& reason) {
    return openDevice(preferredRate, false, reason);
}

bool SdlAudioOutput::openWhenAvailable(int preferredRate, std::string& reason) {
    return openDevice(preferredRate, true, reason);
}

bool SdlAudioOutput::openDevice(int preferredRate, bool keepLooking, std::string& reason) {
    DeviceFormat want;
    want.rate = preferredRate;
    want.format = SampleFormat::Float32;
    want.channels = 2;
    want.periodFrames = kPeriodFrames;
    want.streamName = kStreamName;
    device_ =
        system_.open(want, *this, reason,
                     keepLooking ? AudioSystem::Absent::KeepLooking : AudioSystem::Absent::Fail);
    return opened();
}

void SdlAudioOutput::start(Mixer& mixer) {
    mixer_.store(&mixer, std::memory_order_release);
    if (device_) {
        device_->play();
    }
}

void SdlAudioOutput::pause() {
    // Closed rather than paused: a paused SDL device still wakes every period to write silence.
    if (device_) {
        device_->suspend();
    }
}

void SdlAudioOutput::resume() {
    if (device_) {
        device_->resume();
    }
}

void SdlAudioOutput::transfer(std::uint8_t* data, int bytes) noexcept {
    Mixer* mixer = mixer_.load(std::memory_order_acquire);
    if (mixer == nullptr) {
        std::memset(data, 0, static_cast<std::size_t>(bytes));
        return;
    }
    mixer->render(reinterpret_cast<float*>(data),
                  static_cast<std::size_t>(bytes) / (2 * sizeof(float)));
}

} // namespace qf::sound
