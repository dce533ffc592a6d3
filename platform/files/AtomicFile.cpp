#include "platform/files/AtomicFile.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace qf {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kSuffix = ".tmp";
constexpr std::size_t kTagDigits = 8;
// Linux never hands out a process id above this.
constexpr long kMaxPid = 4194304;
constexpr int kNameAttempts = 100;

std::string reason(int err) {
    return std::system_category().message(err);
}

fs::path folderOf(const fs::path& target) {
    return target.has_parent_path() ? target.parent_path() : fs::path(".");
}

// Different on every call, also across threads, so no two writers of this process share a
// name; O_EXCL settles any clash with another process.
unsigned nextTag() {
    static std::atomic<unsigned> counter{0};
    const auto now = std::chrono::steady_clock::now().time_since_epoch().count();
    return static_cast<unsigned>(now) * 2654435761u + counter.fetch_add(1);
}

bool allOf(std::string_view s, bool (*accept)(char)) {
    for (char c : s) {
        if (!accept(c)) {
            return false;
        }
    }
    return !s.empty();
}

bool isDecimal(char c) {
    return c >= '0' && c <= '9';
}
bool isHex(char c) {
    return isDecimal(c) || (c >= 'a' && c <= 'f');
}

// 0 when the whole content reached the file, else the errno that stopped it.
int writeAll(int fd, std::string_view content) {
    while (!content.empty()) {
        const ssize_t n = ::write(fd, content.data(), content.size());
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return n < 0 ? errno : EIO;
        }
        content.remove_prefix(static_cast<std::size_t>(n));
    }
    return 0;
}

// Makes the rename itself durable. By now the new file is in place, and some file systems
// refuse to flush a folder, so a failure here is not reported as a failed write.
void syncFolder(const fs::path& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

} // namespace

std::string AtomicFile::temporaryName(const std::string& targetName, long pid, unsigned tag) {
    char middle[40];
    std::snprintf(middle, sizeof middle, ".%ld.%08x", pid, tag);
    return targetName + middle + std::string(kSuffix);
}

std::optional<long> AtomicFile::ownerOf(const std::string& targetName,
                                        const std::string& candidate) {
    std::string_view rest = candidate;
    // The length test keeps "settings.ini.tmp" from counting as both prefix and suffix.
    if (rest.size() < targetName.size() + 1 + kSuffix.size() ||
        !rest.starts_with(targetName + ".") || !rest.ends_with(kSuffix)) {
        return std::nullopt;
    }
    rest.remove_prefix(targetName.size() + 1);
    rest.remove_suffix(kSuffix.size());
    const std::size_t dot = rest.find('.');
    if (dot == std::string_view::npos) {
        return std::nullopt;
    }
    const std::string_view pid = rest.substr(0, dot);
    const std::string_view tag = rest.substr(dot + 1);
    if (!allOf(pid, isDecimal) || pid.size() > 7 || tag.size() != kTagDigits ||
        !allOf(tag, isHex)) {
        return std::nullopt;
    }
    const long owner = std::stol(std::string(pid));
    if (owner <= 0 || owner > kMaxPid) {
        return std::nullopt;
    }
    return owner;
}

int AtomicFile::removeStale(const fs::path& target) {
    const std::string name = target.filename().string();
    const long self = static_cast<long>(::getpid());
    int removed = 0;
    std::error_code ec;
    for (fs::directory_iterator it(folderOf(target), ec), end; !ec && it != end; it.increment(ec)) {
        const auto owner = ownerOf(name, it->path().filename().string());
        // A process that still exists may be filling its temporary right now.
        if (!owner || *owner == self || ::kill(static_cast<pid_t>(*owner), 0) == 0 ||
            errno != ESRCH) {
            continue;
        }
        if (::unlink(it->path().c_str()) == 0) {
            ++removed;
        }
    }
    return removed;
}

AtomicFile::AtomicFile(const fs::path& folder, const Namer& nameFor)
    : folder_(folder.empty() ? fs::path(".") : folder) {
    for (int attempt = 0; attempt < kNameAttempts && fd_ < 0; ++attempt) {
        path_ = folder_ / nameFor(nextTag());
        // Mode 0666 lets the umask decide. Readable too, for a writer that reads back a header.
        fd_ = ::open(path_.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd_ < 0 && errno != EEXIST) {
            break;
        }
    }
    if (fd_ < 0) {
        error_ = errno;
        path_.clear();
    }
}

AtomicFile::~AtomicFile() {
    if (fd_ >= 0) {
        ::close(fd_);
    }
    if (!placed_ && !path_.empty()) {
        ::unlink(path_.c_str());
    }
}

int AtomicFile::finish() {
    int err = ::fsync(fd_) == 0 ? 0 : errno;
    // The data is already flushed, so an interrupted close has lost nothing.
    if (::close(fd_) != 0 && err == 0 && errno != EINTR) {
        err = errno;
    }
    fd_ = -1;
    return err;
}

int AtomicFile::placeAt(const fs::path& target) {
    if (::rename(path_.c_str(), target.c_str()) != 0) {
        return errno;
    }
    return placed();
}

int AtomicFile::placeNewAt(const fs::path& target) {
    if (::renameat2(AT_FDCWD, path_.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) == 0) {
        return placed();
    }
    if (errno != EINVAL && errno != ENOSYS) {
        return errno;
    }
    // A file system that cannot rename that way: a link cannot replace a file either.
    if (::link(path_.c_str(), target.c_str()) != 0) {
        return errno;
    }
    ::unlink(path_.c_str());
    return placed();
}

int AtomicFile::placed() {
    placed_ = true;
    syncFolder(folder_);
    return 0;
}

bool AtomicFile::replace(const fs::path& target, std::string_view content, std::string& error) {
    removeStale(target);

    const std::string name = target.filename().string();
    const long self = static_cast<long>(::getpid());
    AtomicFile file(folderOf(target), [&](unsigned tag) { return temporaryName(name, self, tag); });
    int err = file.fd() < 0 ? file.error() : writeAll(file.fd(), content);
    if (err == 0) {
        err = file.finish();
    }
    if (err == 0) {
        err = file.placeAt(target);
    }
    if (err != 0) {
        error = reason(err);
        return false;
    }
    return true;
}

} // namespace qf
