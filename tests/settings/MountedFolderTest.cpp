#include "settings/SettingsFile.h"
#include "settings/SettingsLocation.h"
#include "settings/SettingsText.h"
#include "tests/settings/ChildProcess.h"
#include "tests/settings/TempFolder.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <unistd.h>

namespace fs = std::filesystem;
using qf::settings::MixerSettings;
using qf::settings::SettingsFile;
using qf::settings::SettingsLocation;
using qf::settings::SettingsText;
using qf::test::ChildProcess;
using qf::test::TempFolder;

namespace {

MixerSettings oldMix() {
    return MixerSettings::defaults();
}

MixerSettings newMix() {
    MixerSettings mix = MixerSettings::defaults();
    mix.setCheck(3, 1);
    mix.setVolume(3, -250);
    return mix;
}

std::string failure(const char* what) {
    return std::string(what) + ": " + std::strerror(errno);
}

// Runs `body` in a child process with a view of the mounts of its own and a small fresh tmpfs
// at `where`, so a full or read-only disk can be had for real, also as root. The mount goes
// away with the child. Where mounting is not allowed the test is skipped.
ChildProcess::Result onTmpfs(const fs::path& where, const std::function<std::string()>& body) {
    return ChildProcess::run([&]() -> std::string {
        if (::unshare(CLONE_NEWNS) != 0) {
            return "skip: " + failure("no mount namespace of our own");
        }
        if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) {
            return "skip: " + failure("cannot make mounts private");
        }
        if (::mount("tmpfs", where.c_str(), "tmpfs", 0, "size=16k") != 0) {
            return "skip: " + failure("cannot mount a tmpfs");
        }
        return body();
    });
}

// Takes the rest of the file system's space.
std::string fill(const fs::path& filler) {
    const int fd = ::open(filler.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0) {
        return failure("cannot make the filler");
    }
    const std::string block(4096, 'f');
    while (::write(fd, block.data(), block.size()) > 0) {
    }
    const int err = errno;
    ::close(fd);
    return err == ENOSPC ? "" : "filling stopped with: " + std::string(std::strerror(err));
}

std::string checkOldFileAlone(const fs::path& file) {
    const auto read = SettingsFile::read(file);
    if (read.status != SettingsFile::Status::Ok || read.settings != oldMix()) {
        return "the old file was damaged: " + TempFolder::bytesOf(file);
    }
    for (const auto& entry : fs::directory_iterator(file.parent_path())) {
        const std::string name = entry.path().filename().string();
        if (name != "settings.ini" && name != "filler") {
            return "left behind: " + name;
        }
    }
    return "";
}

#define EXPECT_CHILD_OK(result)                                                                    \
    do {                                                                                           \
        const ChildProcess::Result r = (result);                                                   \
        if (ChildProcess::isSkip(r.report)) {                                                      \
            GTEST_SKIP() << r.report;                                                              \
        }                                                                                          \
        ASSERT_TRUE(r.exited) << "signal " << r.signal;                                            \
        EXPECT_EQ(r.report, "");                                                                   \
    } while (false)

} // namespace

TEST(MountedFolder, AFullDiskFailsTheWriteAndKeepsTheOldFile) {
    TempFolder folder;
    const fs::path disk = folder.path();
    EXPECT_CHILD_OK(onTmpfs(disk, [&]() -> std::string {
        std::string error;
        if (!SettingsFile::write(disk / "settings.ini", oldMix(), error)) {
            return "the first write failed: " + error;
        }
        if (const std::string filled = fill(disk / "filler"); !filled.empty()) {
            return filled;
        }
        if (SettingsFile::write(disk / "settings.ini", newMix(), error)) {
            return "the write succeeded on a full disk";
        }
        if (error != "No space left on device") {
            return "reason: " + error;
        }
        return checkOldFileAlone(disk / "settings.ini");
    }));
}

TEST(MountedFolder, AReadOnlyDiskFailsTheWriteAndKeepsTheOldFile) {
    TempFolder folder;
    const fs::path disk = folder.path();
    EXPECT_CHILD_OK(onTmpfs(disk, [&]() -> std::string {
        std::string error;
        if (!SettingsFile::write(disk / "settings.ini", oldMix(), error)) {
            return "the first write failed: " + error;
        }
        if (::mount(nullptr, disk.c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr) != 0) {
            return "skip: " + failure("cannot make the tmpfs read-only");
        }
        if (SettingsFile::write(disk / "settings.ini", newMix(), error)) {
            return "the write succeeded on a read-only disk";
        }
        if (error != "Read-only file system") {
            return "reason: " + error;
        }
        return checkOldFileAlone(disk / "settings.ini");
    }));
}

// The one place where even root cannot write, so the real writability check is seen to fail.
TEST(MountedFolder, AReadOnlyApplicationFolderSendsTheFileToTheUserFolder) {
    TempFolder app;
    TempFolder home;
    const fs::path user = home / ".config" / "quietfield";
    EXPECT_CHILD_OK(onTmpfs(app.path(), [&]() -> std::string {
        std::string error;
        if (!SettingsFile::write(app / "settings.ini", oldMix(), error)) {
            return "the first write failed: " + error;
        }
        if (::mount(nullptr, app.path().c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr) != 0) {
            return "skip: " + failure("cannot make the tmpfs read-only");
        }
        const SettingsLocation location(app.path(), user);
        if (location.readPath() != app / "settings.ini") {
            return "first start did not read the application folder's file";
        }
        if (location.writePath() != user / "settings.ini") {
            return "the write did not go to the user folder: " + location.writePath().string();
        }
        if (!SettingsFile::write(location.writePath(), newMix(), error)) {
            return "writing to the user folder failed: " + error;
        }
        if (location.readPath() != user / "settings.ini") {
            return "the next start would not read what was written: " +
                   location.readPath().string();
        }
        return SettingsFile::read(location.readPath()).settings == newMix() ? "" : "wrong mix read";
    }));
}
