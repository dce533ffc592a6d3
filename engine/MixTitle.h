#pragma once

#include "engine/ChannelTable.h"

#include <array>
#include <string>

namespace qf {

// The title the desktop's media controls show for the mix: the colours of the rows that play,
// from the brightest to the deepest (violet, blue, white, pink, brown), whatever their rows, as
// "Pink Noise", "Pink and Brown Noise" or "Blue, White and Brown Noise". Empty when none plays.
class MixTitle {
public:
    // Indexed by row, 1 to 5, as playing[row - 1].
    static std::string of(const std::array<bool, ChannelTable::kChannels>& playing);
};

} // namespace qf
