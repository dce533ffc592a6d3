#include "DirectSound.h"

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
    auto mixer = std::make_shared<Mixer>(output->sampleRate());
    output->start(*mixer);
    device = std::make_unique<SoundDevice>(std::move(output), std::move(mixer));
    return SoundResult::Ok;
}

} // namespace qf::sound
