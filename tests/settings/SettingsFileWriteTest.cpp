#include "settings/SettingsFile.h"
#include "settings/SettingsText.h"
#include "tests/settings/ChildProcess.h"
#include "tests/settings/StatusPrinter.h"
#include "tests/settings/TempFolder.h"

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using qf::settings::MixerSettings;
using qf::settings::SettingsFile;
using qf::settings::SettingsText;
using qf::test::TempFolder;

namespace {

const std::string kOld = "0,0,0,0,0,0,0,0,0,0,1000,1000,1000,1000,1000\r\n";

MixerSettings someMix() {
    MixerSettings mix = MixerSettings::defaults();
    mix.setCheck(2, 1);
    mix.setVolume(2, -700);
    mix.setFrequency(2, 44100 / 2);
    return mix;
}

// A failed write must leave the old file as it was and nothing of its own behind.
void expectOldFileAlone(const TempFolder& folder, const std::string& name) {
    EXPECT_EQ(TempFolder::bytesOf(folder / name), kOld);
    EXPECT_EQ(folder.temporariesOf(name), 0);
}

} // namespace

TEST(SettingsFileWrite, WritesExactlyTheLineAndNothingElse) {
    TempFolder folder;
    std::string error;
    ASSERT_TRUE(SettingsFile::write(folder / "settings.ini", MixerSettings::defaults(), error))
        << error;
    EXPECT_EQ(TempFolder::bytesOf(folder / "settings.ini"), kOld);
    ASSERT_TRUE(SettingsFile::write(folder / "mix.qfc", someMix(), error)) << error;
    EXPECT_EQ(TempFolder::bytesOf(folder / "mix.qfc"),
              "0,1,0,0,0,0,-700,0,0,0,1000,22050,1000,1000,1000\r\n");
    EXPECT_EQ(folder.temporariesOf("settings.ini"), 0);
    EXPECT_EQ(folder.temporariesOf("mix.qfc"), 0);
}

TEST(SettingsFileWrite, ReplacesAnOldFileWhole) {
    TempFolder folder;
    folder.put("settings.ini", std::string(300, 'z') + "\r\nsecond line\r\n");
    std::string error;
    ASSERT_TRUE(SettingsFile::write(folder / "settings.ini", someMix(), error)) << error;
    EXPECT_EQ(TempFolder::bytesOf(folder / "settings.ini"), SettingsText::format(someMix()));
    const auto read = SettingsFile::read(folder / "settings.ini");
    EXPECT_EQ(read.status, SettingsFile::Status::Ok);
    EXPECT_EQ(read.settings, someMix());
}

TEST(SettingsFileWrite, ANewFileGetsTheModeTheUmaskAllows) {
    TempFolder folder;
    std::string error;
    const mode_t saved = ::umask(022);
    const bool wide = SettingsFile::write(folder / "a.qfc", someMix(), error);
    ::umask(077);
    const bool narrow = SettingsFile::write(folder / "b.qfc", someMix(), error);
    ::umask(saved);
    ASSERT_TRUE(wide && narrow) << error;
    EXPECT_EQ(TempFolder::modeOf(folder / "a.qfc"), 0644u);
    EXPECT_EQ(TempFolder::modeOf(folder / "b.qfc"), 0600u);
}

TEST(SettingsFileWrite, AReadOnlyOldFileInAWritableFolderIsReplaced) {
    TempFolder folder;
    const auto file = folder.put("settings.ini", kOld);
    ::chmod(file.c_str(), 0444);
    std::string error;
    ASSERT_TRUE(SettingsFile::write(file, someMix(), error)) << error;
    EXPECT_EQ(SettingsFile::read(file).settings, someMix());
}

TEST(SettingsFileWrite, ARelativeNameIsWrittenInTheCurrentFolder) {
    TempFolder folder;
    const auto before = std::filesystem::current_path();
    std::filesystem::current_path(folder.path());
    std::string error;
    const bool written = SettingsFile::write("settings.ini", someMix(), error);
    std::filesystem::current_path(before);
    ASSERT_TRUE(written) << error;
    EXPECT_EQ(SettingsFile::read(folder / "settings.ini").settings, someMix());
    EXPECT_EQ(folder.temporariesOf("settings.ini"), 0);
}

TEST(SettingsFileWrite, AFolderOfThatNameIsNotReplaced) {
    TempFolder folder;
    std::filesystem::create_directory(folder / "settings.ini");
    folder.put("settings.ini/keep", "x");
    std::string error;
    EXPECT_FALSE(SettingsFile::write(folder / "settings.ini", someMix(), error));
    EXPECT_EQ(error, "Is a directory");
    EXPECT_EQ(TempFolder::bytesOf(folder / "settings.ini" / "keep"), "x");
    EXPECT_EQ(folder.temporariesOf("settings.ini"), 0);
}

TEST(SettingsFileWrite, AFolderThatDoesNotExistFailsWithTheReason) {
    TempFolder folder;
    std::string error;
    EXPECT_FALSE(SettingsFile::write(folder / "gone" / "mix.qfc", someMix(), error));
    EXPECT_EQ(error, "No such file or directory");
}

// Holds even for root, for whom permission bits stop nothing.
TEST(SettingsFileWrite, AFolderThatIsAFileFailsWithTheReason) {
    TempFolder folder;
    folder.put("plain", "not a folder");
    std::string error;
    EXPECT_FALSE(SettingsFile::write(folder / "plain" / "mix.qfc", someMix(), error));
    EXPECT_EQ(error, "Not a directory");
    EXPECT_EQ(TempFolder::bytesOf(folder / "plain"), "not a folder");
}

TEST(SettingsFileWrite, AFolderWithoutWritePermissionFailsAndKeepsTheOldFile) {
    if (::geteuid() == 0) {
        GTEST_SKIP() << "permission bits do not stop root from writing";
    }
    TempFolder folder;
    folder.put("settings.ini", kOld);
    ::chmod(folder.path().c_str(), 0555);
    std::string error;
    EXPECT_FALSE(SettingsFile::write(folder / "settings.ini", someMix(), error));
    ::chmod(folder.path().c_str(), 0755);
    EXPECT_EQ(error, "Permission denied");
    expectOldFileAlone(folder, "settings.ini");
}

// The file size limit makes the data write itself fail part way, as a full disk would.
TEST(SettingsFileWrite, AWriteThatFailsPartWayKeepsTheOldFile) {
    TempFolder folder;
    folder.put("settings.ini", kOld);
    const auto result = qf::test::ChildProcess::run([&]() -> std::string {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{10, 10};
        if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) {
            return "setrlimit failed";
        }
        std::string error;
        if (SettingsFile::write(folder / "settings.ini", someMix(), error)) {
            return "the write succeeded past the size limit";
        }
        return error == "File too large" ? "" : "reason: " + error;
    });
    ASSERT_TRUE(result.exited) << "signal " << result.signal;
    EXPECT_EQ(result.report, "");
    expectOldFileAlone(folder, "settings.ini");
}
