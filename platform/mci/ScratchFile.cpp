#include "platform/mci/ScratchFile.h"

#include "platform/files/UserFolders.h"
#include "platform/mci/OwnerProcess.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string_view>
#include <system_error>

namespace qf::mci {

namespace {

constexpr std::string_view kPrefix = "recording-";
constexpr std::string_view kSuffix = ".pcm";

std::atomic<unsigned> serial{0};

} // namespace

std::filesystem::path ScratchFile::defaultFolder() {
    const std::filesystem::path cache = UserFolders::cacheHome();
    return cache.empty() ? cache : cache / "quietfield";
}

std::vector<std::filesystem::path> ScratchFile::leftovers(const std::filesystem::path& folder) {
    std::vector<std::filesystem::path> found;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        const std::string name = entry.path().filename().native();
        const pid_t owner = OwnerProcess::fromName(name, kPrefix);
        if (owner > 0 && owner != getpid() && name.ends_with(kSuffix) &&
            entry.is_regular_file(error) && !OwnerProcess::running(owner)) {
            found.push_back(entry.path());
        }
    }
    return found;
}

std::filesystem::path ScratchFile::claim(const std::filesystem::path& leftover) {
    const std::filesystem::path claimed =
        leftover.parent_path() / (std::string(kPrefix) + std::to_string(getpid()) + "-recovering-" +
                                  std::to_string(serial.fetch_add(1)) + std::string(kSuffix));
    // Only one of several starts can rename the same file; the others find it gone.
    if (::rename(leftover.c_str(), claimed.c_str()) != 0) {
        return {};
    }
    return claimed;
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

std::size_t ScratchFile::readAt(int fd, std::uint64_t offset, std::uint8_t* data,
                                std::size_t bytes) {
    std::size_t done = 0;
    while (done < bytes) {
        const ssize_t n = ::pread(fd, data + done, bytes - done, static_cast<off_t>(offset + done));
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
