#include "settings/SettingsFile.h"

#include "platform/files/AtomicFile.h"
#include "settings/SettingsText.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace qf::settings {

namespace {

std::string reason(int err) {
    return std::system_category().message(err);
}

SettingsFile::Read outcome(SettingsFile::Status status, std::string error = {}) {
    SettingsFile::Read result;
    result.status = status;
    result.settings = MixerSettings::defaults();
    result.error = std::move(error);
    return result;
}

// Reads up to `limit` bytes; false with errno set when the system refuses.
bool readPrefix(int fd, std::string& out, std::size_t limit) {
    out.resize(limit);
    std::size_t got = 0;
    while (got < limit) {
        const ssize_t n = ::read(fd, out.data() + got, limit - got);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            return false;
        }
        if (n == 0) {
            break;
        }
        got += static_cast<std::size_t>(n);
    }
    out.resize(got);
    return true;
}

} // namespace

bool SettingsFile::exists(const std::filesystem::path& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

SettingsFile::Read SettingsFile::read(const std::filesystem::path& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        const int err = errno;
        return err == ENOENT || err == ENOTDIR ? outcome(Status::Missing)
                                               : outcome(Status::Unreadable, reason(err));
    }
    if (S_ISDIR(st.st_mode)) {
        return outcome(Status::Missing);
    }
    // Not blocking, so a pipe or device under that name cannot hang the program's start.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) {
        return outcome(Status::Unreadable, reason(errno));
    }
    std::string text;
    std::string problem;
    struct stat opened {};
    if (::fstat(fd, &opened) != 0) {
        problem = reason(errno);
    } else if (!S_ISREG(opened.st_mode)) {
        problem = "not a regular file";
    } else if (!readPrefix(fd, text, kMaxBytes + 1)) {
        problem = reason(errno);
    }
    ::close(fd);
    if (!problem.empty()) {
        return outcome(Status::Unreadable, std::move(problem));
    }

    // One byte past the limit only tells that there is more; it is never looked at.
    const bool cutShort = text.size() > kMaxBytes;
    const std::string_view prefix(text.data(), cutShort ? kMaxBytes : text.size());
    SettingsText::Parsed parsed = SettingsText::parse(prefix);
    if (cutShort && parsed.stop >= prefix.size()) {
        // The limit fell inside the values, so what was read of them proves nothing.
        return outcome(Status::Invalid, "the file is not a settings file: no fifteen values in "
                                        "its first " +
                                            std::to_string(kMaxBytes) + " bytes");
    }
    if (!parsed.ok) {
        return outcome(Status::Invalid, std::move(parsed.error));
    }
    Read result;
    result.status = Status::Ok;
    result.settings = parsed.settings;
    return result;
}

bool SettingsFile::write(const std::filesystem::path& path, const MixerSettings& mix,
                         std::string& error) {
    return AtomicFile::replace(path, SettingsText::format(mix), error);
}

} // namespace qf::settings
