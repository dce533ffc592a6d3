#pragma once

#include "audio/AudioOutput.h"
#include "platform/device/AudioDevice.h"
#include "platform/device/AudioSystem.h"
#include "platform/device/DeviceCallback.h"
#include "platform/sound/DirectSound.h"

#include "audio/Mixer.h"

#include <atomic>
#include <memory>
#include <vector>

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
    void setAttended(bool attended) override;
    bool openWhenAvailable(int preferredRate, std::string& reason) override;
    bool openedLater() const override { return opened(); }

    int periodFrames() const { return device_ ? device_->format().periodFrames : 0; }
    // How many times the device has been reopened after being lost, left behind or paused.
    int reopenCount() const { return device_ ? device_->reopenCount() : 0; }

private:
    bool opened() const { return device_ && device_->isOpen(); }
    bool openDevice(int preferredRate, bool keepLooking, std::string& reason);
    void transfer(std::uint8_t* data, int bytes) noexcept override;
    int rewind(int frames) noexcept override;
    static void mixChanged(void* self) noexcept;

    // The mix's state is kept at the start of every block of this many frames rendered, enough
    // of them for a deep queue at any rate, so that what is queued can be rendered again from
    // within it.
    static constexpr std::size_t kBlockFrames = 256;
    static constexpr std::size_t kSavedSeconds = 3;
    struct SavedBlock {
        std::uint64_t at = 0;
        Mixer::Resume state;
    };

    AudioSystem& system_;
    std::unique_ptr<AudioDevice> device_;
    std::atomic<Mixer*> mixer_{nullptr};
    // The audio side's own: made in start(), before the device plays.
    std::vector<SavedBlock> saved_;
    std::size_t nextSaved_ = 0;
    std::size_t savedCount_ = 0;
    std::uint64_t rendered_ = 0;
    // The interface's own.
    bool deep_ = false;
};

} // namespace qf::sound
