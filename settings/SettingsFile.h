#pragma once

#include "settings/MixerSettings.h"

#include <cstddef>
#include <filesystem>
#include <string>

namespace qf::settings {

// A mix on disk: the settings file and configuration files alike.
class SettingsFile {
public:
    // A settings file is one short line; anything far longer is not one, and is not read whole.
    static constexpr std::size_t kMaxBytes = 4096;

    enum class Status { Ok, Missing, Unreadable, Invalid };
    struct Read {
        Status status = Status::Missing;
        MixerSettings settings; // the file's mix when Ok, the controls' defaults otherwise
        std::string error;      // why, when Unreadable or Invalid
    };

    // A file of that name exists: read-only and hidden files count, a folder does not.
    static bool exists(const std::filesystem::path& path);

    // Reads at most the first kMaxBytes bytes; the fifteen values must lie complete within them.
    static Read read(const std::filesystem::path& path);

    // Writes atomically: a temporary file in the same folder is written, flushed to disk and
    // renamed over the old file, then the folder is flushed. On failure returns false with the
    // system's reason ("Permission denied", "No space left on device", ...), and the old file is
    // left as it was with no temporary file behind.
    static bool write(const std::filesystem::path& path, const MixerSettings& mix,
                      std::string& error);
};

} // namespace qf::settings
