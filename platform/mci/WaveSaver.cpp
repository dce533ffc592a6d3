#include "platform/mci/WaveSaver.h"

#include "platform/files/AtomicFile.h"
#include "platform/mci/AudioPorts.h"
#include "platform/mci/OwnerProcess.h"

#include <sndfile.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <vector>

namespace qf::mci {

namespace {

constexpr std::size_t kChunkSamples = 32768;

std::string systemReason(int error) {
    return std::strerror(error != 0 ? error : EIO);
}

std::string cannotWriteIn(const std::filesystem::path& folder, int error) {
    return error == ENOENT ? "the folder " + folder.string() + " does not exist"
                           : "cannot write in " + folder.string() + ": " + systemReason(error);
}

// ".quietfield-save-<pid>-" and six letters or digits, so that removeLeftovers() can tell a
// killed save's temporary from a file of the user's.
std::string temporaryName(unsigned tag) {
    static constexpr std::string_view kLetters =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    std::string name = std::string(WaveSaver::kTemporaryPrefix) + std::to_string(::getpid()) + "-";
    for (int i = 0; i < 6; ++i) {
        name += kLetters[tag % kLetters.size()];
        tag /= kLetters.size();
    }
    return name;
}

} // namespace

bool WaveSaver::save(const ScratchFile& source, std::uint64_t bytes,
                     const std::filesystem::path& target, std::string& reason,
                     std::uint64_t waveLimit) {
    const std::filesystem::path folder = target.parent_path();
    const std::string name = target.string();
    if (!target.has_filename()) {
        reason = name + " names a folder, not a file";
        return false;
    }
    AtomicFile file(folder, temporaryName);
    if (file.fd() < 0) {
        reason = cannotWriteIn(folder, file.error());
        return false;
    }
    // A file saved over keeps its permissions; a new one has what the umask allows.
    struct stat existing {};
    if (::stat(target.c_str(), &existing) == 0) {
        ::fchmod(file.fd(), existing.st_mode & 07777);
    }
    const Reader read = [&source](std::uint64_t at, std::uint8_t* data, std::size_t want) {
        return source.readAt(at, data, want);
    };
    if (!write(file.fd(), read, bytes, name, reason, waveLimit)) {
        return false;
    }
    int error = file.finish();
    if (error == 0) {
        // An empty recording holds nothing worth keeping, so it never takes the place of a file
        // that is there already (after Reset, say, with the save window still open). Checked and
        // placed in one step, so a file that appears meanwhile is not replaced either.
        error = bytes == 0 ? file.placeNewAt(target) : file.placeAt(target);
        if (error == EEXIST && bytes == 0) {
            reason = "nothing was recorded, so the file already there was left as it was";
            return false;
        }
    }
    if (error != 0) {
        reason = "cannot write " + name + ": " + systemReason(error);
        return false;
    }
    return true;
}

std::filesystem::path WaveSaver::saveNew(int fd, std::uint64_t bytes,
                                         const std::filesystem::path& folder,
                                         const std::string& stem, std::string& reason) {
    AtomicFile file(folder, temporaryName);
    if (file.fd() < 0) {
        reason = cannotWriteIn(folder, file.error());
        return {};
    }
    const Reader read = [fd](std::uint64_t at, std::uint8_t* data, std::size_t want) {
        return ScratchFile::readAt(fd, at, data, want);
    };
    const std::filesystem::path first = folder / (stem + ".wav");
    if (!write(file.fd(), read, bytes, first.string(), reason, kWaveLimit)) {
        return {};
    }
    int error = file.finish();
    for (int n = 1; error == 0; ++n) {
        const std::filesystem::path target =
            n == 1 ? first : folder / (stem + "-" + std::to_string(n) + ".wav");
        error = file.placeNewAt(target);
        if (error == 0) {
            return target;
        }
        if (error == EEXIST) {
            error = 0;
        }
    }
    reason = "cannot write " + first.string() + ": " + systemReason(error);
    return {};
}

int WaveSaver::removeLeftovers(const std::filesystem::path& folder) {
    int removed = 0;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        const std::string name = entry.path().filename().native();
        const pid_t owner = OwnerProcess::fromName(name, kTemporaryPrefix);
        if (owner <= 0 || owner == ::getpid()) {
            continue;
        }
        // What mkstemp put after "<pid>-": six letters or digits.
        const std::string_view tail =
            std::string_view(name).substr(name.find('-', kTemporaryPrefix.size()) + 1);
        const bool temporaryName =
            tail.size() == 6 && std::all_of(tail.begin(), tail.end(), [](char c) {
                return std::isalnum(static_cast<unsigned char>(c)) != 0;
            });
        if (temporaryName && entry.is_regular_file(error) && !entry.is_symlink(error) &&
            !OwnerProcess::running(owner) && std::filesystem::remove(entry.path(), error)) {
            ++removed;
        }
    }
    return removed;
}

bool WaveSaver::write(int fd, const Reader& read, std::uint64_t bytes, const std::string& name,
                      std::string& reason, std::uint64_t waveLimit) {
    SF_INFO info{};
    info.samplerate = AudioPorts::kRate;
    info.channels = AudioPorts::kChannels;
    info.format = (bytes > waveLimit ? SF_FORMAT_RF64 : SF_FORMAT_WAV) | SF_FORMAT_PCM_16;
    SNDFILE* sound = sf_open_fd(fd, SFM_WRITE, &info, SF_FALSE);
    if (sound == nullptr) {
        reason = "cannot write " + name + ": " + sf_strerror(nullptr);
        return false;
    }
    bytes -= bytes % AudioPorts::kBytesPerFrame;
    std::vector<short> chunk(kChunkSamples);
    int error = 0;
    std::string libraryWhy;
    for (std::uint64_t at = 0; at < bytes && error == 0 && libraryWhy.empty();) {
        const std::size_t want =
            static_cast<std::size_t>(std::min<std::uint64_t>(bytes - at, kChunkSamples * 2));
        const std::size_t got = read(at, reinterpret_cast<std::uint8_t*>(chunk.data()), want);
        if (got != want) {
            reason = "the recording could not be read back";
            sf_close(sound);
            return false;
        }
        errno = 0;
        const auto samples = static_cast<sf_count_t>(got / 2);
        if (sf_write_short(sound, chunk.data(), samples) != samples) {
            error = errno;
            libraryWhy = sf_strerror(sound);
        }
        at += got;
    }
    errno = 0;
    if (sf_close(sound) != 0 && error == 0 && libraryWhy.empty()) {
        error = errno != 0 ? errno : EIO;
    }
    if (error == 0 && !libraryWhy.empty()) {
        reason = "cannot write " + name + ": " + libraryWhy;
        return false;
    }
    if (error != 0) {
        reason = "cannot write " + name + ": " + systemReason(error);
        return false;
    }
    return true;
}

} // namespace qf::mci
