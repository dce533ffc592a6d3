#include "ScratchFile.h"

#include "MediaPath.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <system_error>

namespace qf::mci {

namespace {

constexpr std::string_view kPrefix = "recording-";
constexpr std::string_view kSuffix = ".pcm";

// The process a scratch file's name belongs to ("recording-<pid>-<n>.pcm"), or 0.
pid_t ownerOf(std::string_view name) {
    if (!name.starts_with(kPrefix) || !name.ends_with(kSuffix)) {
        return 0;
    }
    name.remove_prefix(kPrefix.size());
    pid_t pid = 0;
    const auto [end, error] = std::from_chars(name.data(), name.data() + name.size(), pid);
    if (error != std::errc() || end == name.data() || *end != '-') {
        return 0;
    }
    return pid;
}

bool running(pid_t pid) {
    return kill(pid, 0) == 0 || errno != ESRCH;
}

} // namespace

std::filesystem::path ScratchFile::defaultFolder() {
    const char* cache = std::getenv("XDG_CACHE_HOME");
    if (cache != nullptr && *cache == '/') {
        return std::filesystem::path(cache) / "quietfield";
    }
    if (const auto home = homeFolder()) {
        return *home / ".cache" / "quietfield";
    }
    return {};
}

void ScratchFile::removeLeftovers(const std::filesystem::path& folder) {
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        const pid_t owner = ownerOf(entry.path().filename().native());
        if (owner > 0 && owner != getpid() && !running(owner)) {
            std::filesystem::remove(entry.path(), error);
        }
    }
}

std::unique_ptr<ScratchFile> ScratchFile::create(const std::filesystem::path& folder,
                                                 std::string& reason) {
    if (folder.empty()) {
        reason = "no cache folder is known for recordings";
        return nullptr;
    }
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error) {
        reason = "cannot make " + folder.string() + ": " + error.message();
        return nullptr;
    }
    removeLeftovers(folder);
    static std::atomic<unsigned> serial{0};
    const std::filesystem::path path =
        folder / (std::string(kPrefix) + std::to_string(getpid()) + "-" +
                  std::to_string(serial.fetch_add(1)) + std::string(kSuffix));
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) {
        reason = "cannot make " + path.string() + ": " + std::strerror(errno);
        return nullptr;
    }
    return std::unique_ptr<ScratchFile>(new ScratchFile(path, fd));
}

ScratchFile::~ScratchFile() {
    ::close(fd_);
    ::unlink(path_.c_str());
}

std::size_t ScratchFile::writeAt(std::uint64_t offset, const std::uint8_t* data, std::size_t bytes,
                                 int& error) {
    std::size_t done = 0;
    error = 0;
    while (done < bytes) {
        const ssize_t n =
            ::pwrite(fd_, data + done, bytes - done, static_cast<off_t>(offset + done));
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            error = n < 0 ? errno : ENOSPC;
            break;
        }
        done += static_cast<std::size_t>(n);
    }
    return done;
}

std::size_t ScratchFile::readAt(std::uint64_t offset, std::uint8_t* data, std::size_t bytes) const {
    std::size_t done = 0;
    while (done < bytes) {
        const ssize_t n =
            ::pread(fd_, data + done, bytes - done, static_cast<off_t>(offset + done));
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            break;
        }
        done += static_cast<std::size_t>(n);
    }
    return done;
}

bool ScratchFile::truncate(std::uint64_t size) {
    return ::ftruncate(fd_, static_cast<off_t>(size)) == 0;
}

} // namespace qf::mci
