#pragma once

#include "audio/AudioOutput.h"
#include "platform/sound/SoundDevice.h"
#include "platform/sound/SoundTypes.h"

#include <functional>
#include <memory>
#include <string>

namespace qf::sound {

// The root object of the sound component: it opens output devices.
class DirectSound {
public:
    static constexpr int kPreferredRate = 48000;
    using OutputFactory = std::function<std::unique_ptr<AudioOutput>()>;

    // Where devices play: the program's entry point chooses the real output, tests an offline
    // or failing one. Without a factory no device opens.
    explicit DirectSound(OutputFactory factory);

    // An empty identifier asks for the default output, the only one this program uses.
    SoundResult DirectSoundCreate(const std::string& deviceId, std::unique_ptr<SoundDevice>& device,
                                  std::string* reason = nullptr);

    // Like DirectSoundCreate for the default output, but when none can be opened the output is
    // kept looking for one in the background; outputArrived() tells when it has, and the next
    // call makes the device on it.
    SoundResult DirectSoundCreateWhenAvailable(std::unique_ptr<SoundDevice>& device,
                                               std::string* reason = nullptr);
    bool outputArrived() const { return waiting_ && waiting_->openedLater(); }

private:
    static std::unique_ptr<SoundDevice> makeDevice(std::unique_ptr<AudioOutput> output);

    OutputFactory factory_;
    std::unique_ptr<AudioOutput> waiting_;
};

} // namespace qf::sound
