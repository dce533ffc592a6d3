#include "platform/device/DeviceAudioOutput.h"

#include "audio/Mixer.h"

#include <cstring>

namespace qf::sound {

DeviceAudioOutput::~DeviceAudioOutput() {
    // Cuts the callback off before the mixer can go; the device closes in the background.
    device_.reset();
}

DirectSound::OutputFactory DeviceAudioOutput::factory(AudioSystem& system) {
    return [&system] { return std::make_unique<DeviceAudioOutput>(system); };
}

bool DeviceAudioOutput::open(int preferredRate, std::string& reason) {
    return openDevice(preferredRate, false, reason);
}

bool DeviceAudioOutput::openWhenAvailable(int preferredRate, std::string& reason) {
    return openDevice(preferredRate, true, reason);
}

bool DeviceAudioOutput::openDevice(int preferredRate, bool keepLooking, std::string& reason) {
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

void DeviceAudioOutput::start(Mixer& mixer) {
    mixer_.store(&mixer, std::memory_order_release);
    if (device_) {
        device_->play();
    }
}

void DeviceAudioOutput::pause() {
    // Closed rather than paused: a paused SDL device still wakes every period to write silence.
    if (device_) {
        device_->suspend();
    }
}

void DeviceAudioOutput::resume() {
    if (device_) {
        device_->resume();
    }
}

void DeviceAudioOutput::transfer(std::uint8_t* data, int bytes) noexcept {
    Mixer* mixer = mixer_.load(std::memory_order_acquire);
    if (mixer == nullptr) {
        std::memset(data, 0, static_cast<std::size_t>(bytes));
        return;
    }
    mixer->render(reinterpret_cast<float*>(data),
                  static_cast<std::size_t>(bytes) / (2 * sizeof(float)));
}

} // namespace qf::sound
