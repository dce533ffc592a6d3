#pragma once

#include "platform/device/AudioSystem.h"
#include "platform/mci/AudioPorts.h"

namespace qf::mci {

// The recorder's devices as devices of the program's one audio system, which converts from
// whatever the hardware runs at and reopens them when they go away.
class SystemAudioPorts final : public AudioPorts {
public:
    static constexpr int kPeriodFrames = 1024;
    static constexpr const char* kCaptureStream = "Recorder";
    static constexpr const char* kPlaybackStream = "Recording";

    explicit SystemAudioPorts(sound::AudioSystem& system) : system_(system) {}

    std::unique_ptr<AudioPort> openCapture(sound::DeviceCallback& callback,
                                           std::string& reason) override;
    std::unique_ptr<AudioPort> openPlayback(sound::DeviceCallback& callback,
                                            std::string& reason) override;

private:
    std::unique_ptr<AudioPort> open(bool capture, sound::DeviceCallback& callback,
                                    std::string& reason);

    sound::AudioSystem& system_;
};

} // namespace qf::mci
