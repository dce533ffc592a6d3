#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace qf::sound {

// What a RIFF WAV (or RF64) header says about its sound data, set against what the file really
// holds. Decoders trust the header's length only as far as the file goes; comparing the two
// tells a copy cut short from a header that claims far more than any file could.
struct WavDataChunk {
    std::uint64_t claimedBytes = 0;
    // From the start of the data to the end of the file.
    std::uint64_t presentBytes = 0;
    // Bytes per frame, from the format chunk; 0 when there was none before the data.
    std::uint32_t blockAlign = 0;

    // Walks the chunks up to the data chunk. Empty for files that are not RIFF WAV or whose
    // chunks lead nowhere.
    static std::optional<WavDataChunk> find(const std::string& path);
};

} // namespace qf::sound
