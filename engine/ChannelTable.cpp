#include "engine/ChannelTable.h"

namespace qf {

const std::array<ChannelRow, ChannelTable::kChannels>& ChannelTable::rows() {
    // Each row plays the noise its caption names. Settings files address rows, not colours,
    // so a stored mix keeps its meaning.
    static const std::array<ChannelRow, kChannels> table{{
        {1, "Brown Noise", "\\Brown_Noise.Wav", "\\brown_noise.jpg"},
        {2, "Pink Noise", "\\Pink_Noise.Wav", "\\pink_noise.jpg"},
        {3, "Blue Noise", "\\Blue_Noise.Wav", "\\blue_noise.jpg"},
        {4, "Violet Noise", "\\violet.Wav ", "\\violet.jpg"},
        {5, "White Noise", "\\White_Noise.Wav", "\\white_noise.jpg"},
    }};
    return table;
}

} // namespace qf
