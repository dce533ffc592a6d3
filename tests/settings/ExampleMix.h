#pragma once

#include "settings/MixerSettings.h"

namespace qf::settings::test {

// Rows 1 and 4 on; row 1 at -1200, row 3 at -250, row 4 at -3000; row 1 at 22050 Hz and row 4
// at 8000 Hz: the mix behind the 56-character example line.
inline MixerSettings exampleMix() {
    MixerSettings mix = MixerSettings::defaults();
    mix.setCheck(1, 1);
    mix.setCheck(4, 1);
    mix.setVolume(1, -1200);
    mix.setVolume(3, -250);
    mix.setVolume(4, -3000);
    mix.setFrequency(1, 22050);
    mix.setFrequency(4, 8000);
    return mix;
}

} // namespace qf::settings::test
