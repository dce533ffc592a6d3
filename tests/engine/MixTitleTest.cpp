// The title the media controls show: the colours that play, brightest first, in plain words.

#include "engine/MixTitle.h"

#include <gtest/gtest.h>

namespace qf {
namespace {

// Rows: 1 Brown, 2 Pink, 3 Blue, 4 Violet, 5 White.
std::string titleOf(std::initializer_list<int> rows) {
    std::array<bool, ChannelTable::kChannels> playing{};
    for (int row : rows) {
        playing[row - 1] = true;
    }
    return MixTitle::of(playing);
}

TEST(MixTitleTest, NamesTheColoursFromTheBrightestToTheDeepest) {
    EXPECT_EQ(titleOf({}), "");
    EXPECT_EQ(titleOf({2}), "Pink Noise");
    EXPECT_EQ(titleOf({1, 2}), "Pink and Brown Noise");
    EXPECT_EQ(titleOf({5, 4}), "Violet and White Noise");
    EXPECT_EQ(titleOf({1, 3, 5}), "Blue, White and Brown Noise");
    EXPECT_EQ(titleOf({1, 2, 3, 4, 5}), "Violet, Blue, White, Pink and Brown Noise");
}

} // namespace
} // namespace qf
