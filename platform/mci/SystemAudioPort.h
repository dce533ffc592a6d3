#pragma once

#include "platform/device/AudioDevice.h"
#include "platform/mci/AudioPort.h"

#include <memory>

namespace qf::mci {

// A device of the audio system as one of the recorder's ports.
class SystemAudioPort final : public AudioPort {
public:
    explicit SystemAudioPort(std::unique_ptr<sound::AudioDevice> device)
        : device_(std::move(device)) {}

    void start() override { device_->play(); }
    void stop() override { device_->pause(); }

private:
    std::unique_ptr<sound::AudioDevice> device_;
};

} // namespace qf::mci
