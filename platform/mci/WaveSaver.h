#pragma once

#include "ScratchFile.h"

#include <cstdint>
#include <filesystem>
#include <string>

namespace qf::mci {

// Writes a spooled recording (44100 Hz, 2 channels, 16 bits) as a PCM WAV file. The file is
// written next to the target under another name and renamed over it only when complete, so a
// failed save leaves any existing file of that name as it was. An empty recording is written
// only where no file of that name exists.
class WaveSaver {
public:
    // The most audio a plain WAV file can hold: its sizes are 32-bit. Past it, RF64.
    static constexpr std::uint64_t kWaveLimit = 0xFFFFFFFFull - 36;

    // Saves the first `bytes` of `source` (whole frames). False, with a reason for the user,
    // when the file could not be written.
    static bool save(const ScratchFile& source, std::uint64_t bytes,
                     const std::filesystem::path& target, std::string& reason,
                     std::uint64_t waveLimit = kWaveLimit);
};

} // namespace qf::mci
