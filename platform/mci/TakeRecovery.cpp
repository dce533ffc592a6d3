#include "platform/mci/TakeRecovery.h"

#include "platform/files/UserFolders.h"
#include "platform/mci/AudioPorts.h"
#include "platform/mci/ScratchFile.h"
#include "platform/mci/WaveSaver.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <ctime>
#include <string>
#include <system_error>

namespace qf::mci {

namespace {

// "recording-2026-12-09-14-03-22", in local time, as the user would look for it.
std::string datedStem(std::time_t when) {
    std::tm local{};
    localtime_r(&when, &local);
    char text[64];
    std::strftime(text, sizeof text, "recording-%Y-%m-%d-%H-%M-%S", &local);
    return text;
}

} // namespace

TakeRecovery::TakeRecovery(std::filesystem::path scratchFolder,
                           std::filesystem::path recoveredFolder,
                           std::vector<std::filesystem::path> saveFolders)
    : scratchFolder_(std::move(scratchFolder)), recoveredFolder_(std::move(recoveredFolder)),
      saveFolders_(std::move(saveFolders)) {}

TakeRecovery TakeRecovery::forThisUser() {
    std::vector<std::filesystem::path> saveFolders;
    if (std::filesystem::path home = UserFolders::home(); !home.empty()) {
        saveFolders.push_back(std::move(home));
    }
    std::filesystem::path recovered = defaultFolder();
    if (!recovered.empty()) {
        saveFolders.push_back(recovered);
    }
    return TakeRecovery(ScratchFile::defaultFolder(), std::move(recovered), std::move(saveFolders));
}

std::filesystem::path TakeRecovery::defaultFolder() {
    const std::filesystem::path data = UserFolders::dataHome();
    return data.empty() ? data : data / "quietfield" / "recovered";
}

void TakeRecovery::run(std::FILE* report) const {
    for (const auto& folder : saveFolders_) {
        WaveSaver::removeLeftovers(folder);
    }
    if (scratchFolder_.empty()) {
        return;
    }
    for (const auto& leftover : ScratchFile::leftovers(scratchFolder_)) {
        recover(leftover, report);
    }
}

void TakeRecovery::recover(const std::filesystem::path& leftover, std::FILE* report) const {
    const std::filesystem::path claimed = ScratchFile::claim(leftover);
    if (claimed.empty()) {
        return;
    }
    const int fd = ::open(claimed.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat about {};
    if (fd < 0 || ::fstat(fd, &about) != 0) {
        std::fprintf(report, "quietfield: a recording that was not saved stays in %s: %s\n",
                     claimed.c_str(), std::strerror(errno));
        if (fd >= 0) {
            ::close(fd);
        }
        return;
    }
    const auto bytes = static_cast<std::uint64_t>(about.st_size);
    if (bytes < std::uint64_t{AudioPorts::kBytesPerFrame}) {
        // Recording had not started, or nothing had reached the disk: nothing to give back.
        ::close(fd);
        ::unlink(claimed.c_str());
        return;
    }
    std::string reason;
    std::filesystem::path saved;
    std::error_code error;
    if (recoveredFolder_.empty()) {
        reason = "no folder is known for recovered recordings";
    } else if (std::filesystem::create_directories(recoveredFolder_, error); error) {
        reason = "cannot make " + recoveredFolder_.string() + ": " + error.message();
    } else {
        saved = WaveSaver::saveNew(fd, bytes, recoveredFolder_, datedStem(about.st_mtime), reason);
    }
    ::close(fd);
    if (saved.empty()) {
        std::fprintf(report, "quietfield: a recording that was not saved stays in %s: %s\n",
                     claimed.c_str(), reason.c_str());
        return;
    }
    ::unlink(claimed.c_str());
    std::fprintf(report, "quietfield: a recording that was not saved was recovered to %s\n",
                 saved.c_str());
}

} // namespace qf::mci
