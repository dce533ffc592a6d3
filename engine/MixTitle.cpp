#include "engine/MixTitle.h"

#include <string_view>
#include <vector>

namespace qf {

namespace {

// Rows from the brightest noise to the deepest: violet, blue, white, pink, brown.
constexpr std::array<int, ChannelTable::kChannels> kBrightToDeep{4, 3, 5, 2, 1};
constexpr std::string_view kNoise = " Noise";

std::string colourOf(int row) {
    std::string_view caption = ChannelTable::row(row).caption;
    if (caption.ends_with(kNoise)) {
        caption.remove_suffix(kNoise.size());
    }
    return std::string(caption);
}

} // namespace

std::string MixTitle::of(const std::array<bool, ChannelTable::kChannels>& playing) {
    std::vector<std::string> colours;
    for (int row : kBrightToDeep) {
        if (playing[row - 1]) {
            colours.push_back(colourOf(row));
        }
    }
    if (colours.empty()) {
        return {};
    }
    std::string title = colours.front();
    for (std::size_t i = 1; i < colours.size(); ++i) {
        title += (i + 1 == colours.size() ? " and " : ", ") + colours[i];
    }
    return title + std::string(kNoise);
}

} // namespace qf
