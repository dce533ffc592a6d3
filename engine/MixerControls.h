#pragma once

#include "engine/ChannelTable.h"
#include "engine/MixerPanel.h"
#include "engine/NoiseEngine.h"

#include <array>
#include <cstdint>

namespace qf {

// What the mixer's controls do to the channels. Each handler is called by its control when the
// value changes, whether the user or the program changed it. A row without a channel (missing
// recording, or no sound device at all) is skipped, so every control stays harmless.
class MixerControls {
public:
    static constexpr int kMutedVolume = -3000;
    static constexpr int kResetVolume = -1500;
    static constexpr int kResetFrequency = 32767;

    MixerControls(NoiseEngine& engine, MixerPanel& panel) : engine_(engine), panel_(panel) {}

    void checkChanged(int row, int state);
    void volumeChanged(int row, int value);
    void frequencyChanged(int row, int value);
    void panChanged(int value);
    void mute();
    void resetAll();
    // Shows each channel's current frequency; true if any readout changed.
    bool refreshReadouts();

    std::int16_t muteState() const { return muteState_; }
    const std::array<std::int16_t, ChannelTable::kChannels>& savedVolumes() const {
        return savedVolumes_;
    }

private:
    NoiseEngine& engine_;
    MixerPanel& panel_;
    std::int16_t muteState_ = 0;
    std::array<std::int16_t, ChannelTable::kChannels> savedVolumes_{};
    // What each readout shows; 0 while it is empty.
    std::array<int, ChannelTable::kChannels> shownFrequencies_{};
};

} // namespace qf
