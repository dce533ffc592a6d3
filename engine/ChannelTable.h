#pragma once

#include <array>

namespace qf {

// What is fixed about each of the five rows of the mixer.
struct ChannelRow {
    int number;
    const char* caption;
    const char* recordingFile;
    const char* pictureFile;
};

class ChannelTable {
public:
    static constexpr int kChannels = 5;
    static const std::array<ChannelRow, kChannels>& rows();
    // Row numbers count from 1, as the window shows them top to bottom.
    static const ChannelRow& row(int number) { return rows()[number - 1]; }
};

} // namespace qf
