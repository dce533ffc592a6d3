#include "engine/MixerControls.h"

#include "platform/files/FileLookup.h"

#include <string>

namespace qf {

void MixerControls::checkChanged(int row, int state) {
    NoiseChannel& ch = engine_.channel(row);
    if (ch.buffer) {
        // The grey state (2) neither starts nor stops the channel.
        if (state == 1) {
            ch.buffer->Play(sound::DSBPLAY_LOOPING);
        } else if (state == 0) {
            ch.buffer->Stop();
        }
    }
    panel_.showPicture(FileLookup::resolve(engine_.appFolder(), ch.pictureFile));
}

void MixerControls::volumeChanged(int row, int value) {
    if (auto* buffer = engine_.buffer(row)) {
        buffer->SetVolume(value);
    }
}

void MixerControls::frequencyChanged(int row, int value) {
    if (auto* buffer = engine_.buffer(row)) {
        buffer->SetFrequency(static_cast<std::uint32_t>(value));
    }
}

void MixerControls::panChanged(int value) {
    for (int row = 1; row <= ChannelTable::kChannels; ++row) {
        if (auto* buffer = engine_.buffer(row)) {
            buffer->SetPan(value);
        }
    }
}

void MixerControls::mute() {
    if (muteState_ == 0) {
        for (int row = 1; row <= ChannelTable::kChannels; ++row) {
            savedVolumes_[row - 1] = static_cast<std::int16_t>(panel_.volumeValue(row));
        }
        for (int row = 1; row <= ChannelTable::kChannels; ++row) {
            panel_.setVolumeValue(row, kMutedVolume);
        }
    } else if (muteState_ == 1) {
        for (int row = 1; row <= ChannelTable::kChannels; ++row) {
            panel_.setVolumeValue(row, savedVolumes_[row - 1]);
        }
    }
    muteState_ = static_cast<std::int16_t>((muteState_ + 1) % 2);
}

void MixerControls::resetAll() {
    for (int row = 1; row <= ChannelTable::kChannels; ++row) {
        panel_.setCheckState(row, 0);
    }
    for (int row = 1; row <= ChannelTable::kChannels; ++row) {
        panel_.setVolumeValue(row, kResetVolume);
    }
    for (int row = 1; row <= ChannelTable::kChannels; ++row) {
        panel_.setFrequencyValue(row, kResetFrequency);
    }
}

bool MixerControls::refreshReadouts() {
    bool changed = false;
    for (int row = 1; row <= ChannelTable::kChannels; ++row) {
        if (const auto* buffer = engine_.buffer(row)) {
            const int frequency = buffer->GetFrequency();
            if (frequency != shownFrequencies_[row - 1]) {
                shownFrequencies_[row - 1] = frequency;
                changed = true;
            }
            panel_.setReadout(row, std::to_string(frequency));
        }
    }
    return changed;
}

} // namespace qf
