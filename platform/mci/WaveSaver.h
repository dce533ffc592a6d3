#pragma once

#include "platform/mci/ScratchFile.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

namespace qf::mci {

// Writes a spooled recording (44100 Hz, 2 channels, 16 bits) as a PCM WAV file. The file is
// written next to the target under another name and renamed over it only when complete, so a
// failed save leaves any existing file of that name as it was, and an empty recording is written
// only where no file of that name exists. That temporary name carries the process's id, so a
// later start can tell one that a killed save left from one being written.
class WaveSaver {
public:
    // The most audio a plain WAV file can hold: its sizes are 32-bit. Past it, RF64.
    static constexpr std::uint64_t kWaveLimit = 0xFFFFFFFFull - 36;

    // Saves the first `bytes` of `source` (whole frames). False, with a reason for the user,
    // when the file could not be written.
    static bool save(const ScratchFile& source, std::uint64_t bytes,
                     const std::filesystem::path& target, std::string& reason,
                     std::uint64_t waveLimit = kWaveLimit);
    // Saves the first `bytes` of the raw recording open at `fd` as a new file in `folder`:
    // `stem`.wav, or `stem`-2.wav, -3… when that is taken; it never replaces a file. The path
    // it was given; empty, with a reason, when it could not be written.
    static std::filesystem::path saveNew(int fd, std::uint64_t bytes,
                                         const std::filesystem::path& folder,
                                         const std::string& stem, std::string& reason);
    // Removes the temporaries in `folder` that saves of processes no longer running left, and
    // nothing else; how many.
    static int removeLeftovers(const std::filesystem::path& folder);

    // ".quietfield-save-<pid>-XXXXXX"
    static constexpr std::string_view kTemporaryPrefix = ".quietfield-save-";

private:
    // Reads up to `bytes` at an offset into the buffer; how many it read.
    using Reader = std::function<std::size_t(std::uint64_t, std::uint8_t*, std::size_t)>;
    static bool write(int fd, const Reader& read, std::uint64_t bytes, const std::string& name,
                      std::string& reason, std::uint64_t waveLimit);
};

} // namespace qf::mci
