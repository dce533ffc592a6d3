#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace qf::mci {

// The file a recording is spooled to while it is made: in the user's cache folder, named after
// the process, removed when this goes. Files that processes no longer running left behind hold
// takes that were never saved; they are left for the start-up's recovery, never removed here.
// Reads and writes name their offset, so one thread may append while another reads what is
// already there.
class ScratchFile {
public:
    // $XDG_CACHE_HOME/quietfield, else ~/.cache/quietfield; empty when neither can be told.
    static std::filesystem::path defaultFolder();
    // Makes the folder if needed and a new empty file in it. Null, with a reason, on failure.
    static std::unique_ptr<ScratchFile> create(const std::filesystem::path& folder,
                                               std::string& reason);
    // The scratch files in `folder` left by processes that no longer run.
    static std::vector<std::filesystem::path> leftovers(const std::filesystem::path& folder);
    // Renames a leftover to a name of this process, so that no other start takes it as well and
    // it is a leftover again should this process end before it is done with it. The new path;
    // empty when another took it first or it cannot be renamed.
    static std::filesystem::path claim(const std::filesystem::path& leftover);

    ~ScratchFile();
    ScratchFile(const ScratchFile&) = delete;
    ScratchFile& operator=(const ScratchFile&) = delete;

    // Writes all of `data` at `offset` unless the system refuses; returns how much was
    // written, and the system's error number when that was not all.
    std::size_t writeAt(std::uint64_t offset, const std::uint8_t* data, std::size_t bytes,
                        int& error);
    // Reads up to `bytes` from `offset`; fewer at the end of the file, and 0 on failure.
    std::size_t readAt(std::uint64_t offset, std::uint8_t* data, std::size_t bytes) const {
        return readAt(fd_, offset, data, bytes);
    }
    // The same from any open file: as much as there is, past interruptions.
    static std::size_t readAt(int fd, std::uint64_t offset, std::uint8_t* data, std::size_t bytes);
    bool truncate(std::uint64_t size);

    const std::filesystem::path& path() const { return path_; }

private:
    ScratchFile(std::filesystem::path path, int fd) : path_(std::move(path)), fd_(fd) {}

    std::filesystem::path path_;
    int fd_;
};

} // namespace qf::mci
