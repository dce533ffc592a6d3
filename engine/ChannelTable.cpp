#include "ChannelTable.h"

namespace qf {

const std::array<ChannelRow, ChannelTable::kChannels>& ChannelTable::rows() {
    // Each row plays the noise its caption names. Settings files address rows, not colours,
    // so a stored mix keeps its meaning.
    static const std::array<ChannelRow, kChannels> table{{
        {1, "Brown Noise", "\\Brown_Noise.Wav", "\\brown_noise.jpg", "Check1", "HScroll3",
         "HScroll8", "Label1"},
        {2, "Pink Noise", "\\Pink_Noise.Wav", "\\pink_noise.jpg", "Check2", "HScroll4", "HScroll9",
         "Label2"},
        {3, "Blue Noise", "\\Blue_Noise.Wav", "\\blue_noise.jpg", "Check3", "HScroll5", "HScroll10",
         "Label3"},
        {4, "Violet Noise", "\\violet.Wav ", "\\violet.jpg", "Check4", "HScroll6", "HScroll11",
         "Label6"},
        {5, "White Noise", "\\White_Noise.Wav", "\\white_noise.jpg", "Check5", "HScroll7",
         "HScroll12", "Label7"},
    }};
    return table;
}

} // namespace qf
