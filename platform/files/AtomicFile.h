#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace qf {

// A file written whole or not at all, so that a crash, a kill or a full disk at any moment leaves
// either the old content or the new one under the file's name. The content goes to a temporary
// file in the target's folder, is flushed to disk and only then renamed into place; a temporary
// that never gets there is removed when this goes.
//
// replace() names its temporaries after the target and the writing process
// ("settings.ini.<pid>.<tag>.tmp"). A writer killed before its rename leaves such a file behind;
// the next replace() of the same target deletes those whose process is gone, so they never pile
// up, while a temporary that a live writer is filling is left alone. Writers that stream their
// content name their temporaries as they like and clear their own leftovers.
class AtomicFile {
public:
    // A name for the temporary from a tag that differs on every call.
    using Namer = std::function<std::string(unsigned tag)>;

    // Makes a new, empty temporary in `folder`, under the first of `nameFor`'s names that no file
    // has yet. Its mode is what the umask allows, as for any new file the user makes.
    AtomicFile(const std::filesystem::path& folder, const Namer& nameFor);
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    // The temporary, open for reading and writing; -1 when it could not be made, and error()
    // then holds the system's error number.
    int fd() const { return fd_; }
    int error() const { return error_; }

    // Flushes the content to disk and closes the temporary; 0, or the system's error number.
    int finish();
    // Renames the finished temporary over `target` (a symbolic link there is replaced, not
    // followed) and makes the rename durable; 0, or the system's error number.
    int placeAt(const std::filesystem::path& target);
    // The same, but fails with EEXIST rather than replace a file.
    int placeNewAt(const std::filesystem::path& target);

    // Writes `content` as the whole of `target`. False, with the system's reason, when it could
    // not; the old file is then as it was.
    static bool replace(const std::filesystem::path& target, std::string_view content,
                        std::string& error);

    static std::string temporaryName(const std::string& targetName, long pid, unsigned tag);
    // The writing process named in `candidate` when it is a temporary of `targetName`.
    static std::optional<long> ownerOf(const std::string& targetName, const std::string& candidate);
    // Deletes the temporaries of `target` left by processes that no longer exist.
    static int removeStale(const std::filesystem::path& target);

private:
    int placed();

    std::filesystem::path folder_;
    std::filesystem::path path_;
    int fd_ = -1;
    int error_ = 0;
    bool placed_ = false;
};

} // namespace qf
