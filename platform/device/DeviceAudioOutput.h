#pragma once

#include "audio/AudioOutput.h"
#include "platform/device/AudioDevice.h"
#include "platform/device/AudioSystem.h"
#include "platform/device/DeviceCallback.h"
#include "platform/sound/DirectSound.h"

#include <atomic>
#include <memory>

namespace qf::sound {

// The default playback device, held open by the audio system. The callback only pulls the
// mixer; when the device goes away the audio system reopens it with the same mixer, so playing
// goes on where it was.
class DeviceAudioOutput final : public AudioOutput, private DeviceCallback {
public:
    static constexpr int kPeriodFrames = 1024;
    static constexpr const char* kStreamName = "Noise";

    explicit DeviceAudioOutput(AudioSystem& system) : system_(system) {}
    ~DeviceAudioOutput() override;
    DeviceAudioOutput(const DeviceAudioOutput&) = delete;
    DeviceAudioOutput& operator=(const DeviceAudioOutput&) = delete;

    // Outputs for DirectSound, each a new device of `system`.
    static DirectSound::OutputFactory factory(AudioSystem& system);

    bool open(int preferredRate, std::string& reason) override;
    int sampleRate() const override { return opened() ? device_->format().rate : 0; }
    void start(Mixer& mixer) override;
    void pause() override;
    void resume() override;
    bool openWhenAvailable(int preferredRate, std::string& reason) override;
    bool openedLater() const override { return opened(); }

    int periodFrames() const { return device_ ? device_->format().periodFrames : 0; }
    // How many times the device has been reopened after being lost, left behind or paused.
    int reopenCount() const { return device_ ? device_->reopenCount() : 0; }

private:
    bool opened() const { return device_ && device_->isOpen(); }
    bool openDevice(int preferredRate, bool keepLooking, std::string& reason);
    void transfer(std::uint8_t* data, int bytes) noexcept override;

    AudioSystem& system_;
    std::unique_ptr<AudioDevice> device_;
    std::atomic<Mixer*> mixer_{nullptr};
};

} // namespace qf::sound
