#include "platform/sound/DirectSound.h"

namespace qf::sound {

DirectSound::DirectSound(OutputFactory factory) : factory_(std::move(factory)) {}

SoundResult DirectSound::DirectSoundCreate(const std::string& deviceId,
                                           std::unique_ptr<SoundDevice>& device,
                                           std::string* reason) {
    device.reset();
    if (!deviceId.empty()) {
        if (reason) {
            *reason = "only the default output device can be opened";
        }
        return SoundResult::NoDriver;
    }
    auto output = factory_ ? factory_() : nullptr;
    std::string why;
    if (!output || !output->open(kPreferredRate, why)) {
        if (reason) {
            *reason = why.empty() ? describe(SoundResult::NoDriver) : why;
        }
        return SoundResult::NoDriver;
    }
    device = makeDevice(std::move(output));
    return SoundResult::Ok;
}

SoundResult DirectSound::DirectSoundCreateWhenAvailable(std::unique_ptr<SoundDevice>& device,
                                                        std::string* reason) {
    device.reset();
    if (waiting_) {
        if (!waiting_->openedLater()) {
            if (reason) {
                *reason = "the output device has not appeared yet";
            }
            return SoundResult::NoDriver;
        }
        device = makeDevice(std::move(waiting_));
        return SoundResult::Ok;
    }
    auto output = factory_ ? factory_() : nullptr;
    std::string why;
    if (output && output->openWhenAvailable(kPreferredRate, why)) {
        device = makeDevice(std::move(output));
        return SoundResult::Ok;
    }
    if (reason) {
        *reason = why.empty() ? describe(SoundResult::NoDriver) : why;
    }
    waiting_ = std::move(output);
    return SoundResult::NoDriver;
}

std::unique_ptr<SoundDevice> DirectSound::makeDevice(std::unique_ptr<AudioOutput> output) {
    // The mixer runs at the rate the device really opened at.
    auto mixer = std::make_shared<Mixer>(output->sampleRate());
    output->start(*mixer);
    return std::make_unique<SoundDevice>(std::move(output), std::move(mixer));
}

} // namespace qf::sound
