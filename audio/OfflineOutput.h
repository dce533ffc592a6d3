#pragma once

#include "audio/AudioOutput.h"

namespace qf::sound {

// No device at all: the mixer is only ever pulled by hand. Used for offline rendering.
class OfflineOutput final : public AudioOutput {
public:
    bool open(int preferredRate, std::string&) override {
        rate_ = preferredRate;
        return true;
    }
    int sampleRate() const override { return rate_; }
    void start(Mixer&) override {}

private:
    int rate_ = 0;
};

} // namespace qf::sound
