#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace qf::settings {

// Replaces a small file whole or not at all, so that a crash, a kill or a full disk at any
// moment leaves either the old content or the new one under the file's name.
//
// The new content goes to a temporary file beside the target, named after the target and the
// writing process ("settings.ini.<pid>.<tag>.tmp"). A writer killed before its rename leaves
// such a file behind; the next replace() of the same target deletes those whose process is
// gone, so they never pile up, while a temporary that a live writer is filling is left alone.
class AtomicFile {
public:
    // A symbolic link at the target is replaced by a plain file, not followed.
    static bool replace(const std::filesystem::path& target, std::string_view content,
                        std::string& error);

    static std::string temporaryName(const std::string& targetName, long pid, unsigned tag);
    // The writing process named in `candidate` when it is a temporary of `targetName`.
    static std::optional<long> ownerOf(const std::string& targetName, const std::string& candidate);
    // Deletes the temporaries of `target` left by processes that no longer exist.
    static int removeStale(const std::filesystem::path& target);
};

} // namespace qf::settings
