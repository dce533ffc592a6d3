#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <vector>

namespace qf::mci::testkit {

// Polls `done` until it holds or `limit` has passed.
bool waitFor(const std::function<bool()>& done,
             std::chrono::milliseconds limit = std::chrono::milliseconds(5000));

std::vector<std::uint8_t> fileBytes(const std::filesystem::path& path);

// A sound file as libsndfile reads it: its format and its frames as interleaved 16-bit bytes.
struct WaveFile {
    bool opened = false;
    int rate = 0;
    int channels = 0;
    int format = 0;
    std::vector<std::uint8_t> bytes;
};
WaveFile readWave(const std::filesystem::path& path);

} // namespace qf::mci::testkit
