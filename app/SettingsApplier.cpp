#include "app/SettingsApplier.h"

namespace qf {

namespace {
constexpr int kRows = ChannelTable::kChannels;
}

settings::MixerSettings SettingsApplier::take(const MixerPanel& panel) {
    settings::MixerSettings mix;
    for (int row = 1; row <= kRows; ++row) {
        mix.setCheck(row, panel.checkState(row));
        mix.setVolume(row, panel.volumeValue(row));
        mix.setFrequency(row, panel.frequencyValue(row));
    }
    return mix;
}

void SettingsApplier::assign(MixerPanel& panel, const settings::MixerSettings& mix) {
    for (int row = 1; row <= kRows; ++row) {
        panel.setCheckState(row, mix.check(row));
    }
    for (int row = 1; row <= kRows; ++row) {
        panel.setVolumeValue(row, mix.volume(row));
    }
    for (int row = 1; row <= kRows; ++row) {
        panel.setFrequencyValue(row, mix.frequency(row));
    }
}

void SettingsApplier::applyFrequencies(const MixerPanel& panel, NoiseEngine& engine) {
    for (int row = 1; row <= kRows; ++row) {
        if (auto* buffer = engine.buffer(row)) {
            buffer->SetFrequency(static_cast<std::uint32_t>(panel.frequencyValue(row)));
        }
    }
}

void SettingsApplier::applyVolumes(const MixerPanel& panel, NoiseEngine& engine) {
    for (int row = 1; row <= kRows; ++row) {
        if (auto* buffer = engine.buffer(row)) {
            buffer->SetVolume(panel.volumeValue(row));
        }
    }
}

void SettingsApplier::apply(MixerPanel& panel, NoiseEngine& engine,
                            const settings::MixerSettings& mix) {
    assign(panel, mix);
    applyFrequencies(panel, engine);
    applyVolumes(panel, engine);
}

} // namespace qf
