#pragma once

#include "engine/MixerPanel.h"
#include "engine/NoiseEngine.h"
#include "settings/MixerSettings.h"

namespace qf {

// Moves a stored mix between the record and the window. Putting one back is done in steps so
// that the channels end up following the sliders even where a value did not change.
class SettingsApplier {
public:
    // The fifteen control values, check boxes first, then volumes, then frequencies.
    static settings::MixerSettings take(const MixerPanel& panel);

    // Assigns the fifteen values to their controls in field order; each control whose value
    // changes runs its own handling at once, so a row turned on starts before any volume is set.
    static void assign(MixerPanel& panel, const settings::MixerSettings& mix);
    // Sets every channel's rate from its slider, changed or not.
    static void applyFrequencies(const MixerPanel& panel, NoiseEngine& engine);
    // Sets every channel's volume from its slider, changed or not.
    static void applyVolumes(const MixerPanel& panel, NoiseEngine& engine);

    // All of it, in order: assign, frequencies, volumes.
    static void apply(MixerPanel& panel, NoiseEngine& engine, const settings::MixerSettings& mix);
};

} // namespace qf
