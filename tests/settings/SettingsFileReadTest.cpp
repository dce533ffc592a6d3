#include "settings/SettingsFile.h"
#include "settings/SettingsText.h"
#include "tests/settings/StatusPrinter.h"
#include "tests/settings/TempFolder.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

using qf::settings::MixerSettings;
using qf::settings::SettingsFile;
using qf::settings::SettingsText;
using Status = SettingsFile::Status;

namespace {

const std::string kLine = "1,0,0,1,0,-1200,0,-250,-3000,0,22050,1000,1000,8000,1000\r\n";

MixerSettings lineMix() {
    return SettingsText::parse(kLine).settings;
}

// Bytes this process has read through system calls so far.
long long bytesReadSoFar() {
    std::ifstream io("/proc/self/io");
    std::string key;
    long long value = 0;
    while (io >> key >> value) {
        if (key == "rchar:") {
            return value;
        }
    }
    return -1;
}

} // namespace

TEST(SettingsFileRead, AGoodFileReadsAsItsMix) {
    qf::test::TempFolder folder;
    const auto read = SettingsFile::read(folder.put("settings.ini", kLine));
    EXPECT_EQ(read.status, Status::Ok) << read.error;
    EXPECT_EQ(read.settings, lineMix());
    EXPECT_TRUE(read.error.empty());
}

TEST(SettingsFileRead, NoFileIsMissingAndLeavesTheDefaults) {
    qf::test::TempFolder folder;
    EXPECT_FALSE(SettingsFile::exists(folder / "settings.ini"));
    const auto read = SettingsFile::read(folder / "settings.ini");
    EXPECT_EQ(read.status, Status::Missing);
    EXPECT_EQ(read.settings, MixerSettings::defaults());
    EXPECT_EQ(SettingsFile::read(folder / "no-folder" / "settings.ini").status, Status::Missing);
}

TEST(SettingsFileRead, AFolderOfThatNameIsNoFile) {
    qf::test::TempFolder folder;
    std::filesystem::create_directory(folder / "settings.ini");
    EXPECT_FALSE(SettingsFile::exists(folder / "settings.ini"));
    EXPECT_EQ(SettingsFile::read(folder / "settings.ini").status, Status::Missing);
}

TEST(SettingsFileRead, ReadOnlyAndHiddenFilesCount) {
    qf::test::TempFolder folder;
    const auto readOnly = folder.put("settings.ini", kLine);
    ::chmod(readOnly.c_str(), 0444);
    EXPECT_TRUE(SettingsFile::exists(readOnly));
    EXPECT_EQ(SettingsFile::read(readOnly).status, Status::Ok);
    const auto hidden = folder.put(".hidden.qfc", kLine);
    EXPECT_TRUE(SettingsFile::exists(hidden));
    EXPECT_EQ(SettingsFile::read(hidden).status, Status::Ok);
}

TEST(SettingsFileRead, AFileWithoutReadPermissionIsUnreadable) {
    if (::geteuid() == 0) {
        GTEST_SKIP() << "permission bits do not stop root from reading";
    }
    qf::test::TempFolder folder;
    const auto file = folder.put("settings.ini", kLine);
    ::chmod(file.c_str(), 0000);
    EXPECT_TRUE(SettingsFile::exists(file));
    const auto read = SettingsFile::read(file);
    EXPECT_EQ(read.status, Status::Unreadable);
    EXPECT_EQ(read.error, "Permission denied");
}

TEST(SettingsFileRead, APipeOfThatNameIsUnreadableAndDoesNotHang) {
    qf::test::TempFolder folder;
    const auto pipe = folder / "settings.ini";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    const auto read = SettingsFile::read(pipe);
    EXPECT_EQ(read.status, Status::Unreadable);
    EXPECT_EQ(read.error, "not a regular file");
}

TEST(SettingsFileRead, ALoopOfLinksIsUnreadableWithTheReason) {
    qf::test::TempFolder folder;
    std::filesystem::create_symlink(folder / "b", folder / "a");
    std::filesystem::create_symlink(folder / "a", folder / "b");
    const auto read = SettingsFile::read(folder / "a");
    EXPECT_EQ(read.status, Status::Unreadable);
    EXPECT_EQ(read.error, "Too many levels of symbolic links");
}

TEST(SettingsFileRead, ABrokenFileIsInvalidWithTheReason) {
    qf::test::TempFolder folder;
    const auto read = SettingsFile::read(folder.put("settings.ini", "1,0,0,1,0,-1200,0,x\r\n"));
    EXPECT_EQ(read.status, Status::Invalid);
    EXPECT_EQ(read.error, "field 8 (row 3 volume): \"x\" is not a whole number");
    EXPECT_EQ(read.settings, MixerSettings::defaults()) << "nothing of a broken file is kept";
    const auto empty = SettingsFile::read(folder.put("empty.qfc", ""));
    EXPECT_EQ(empty.status, Status::Invalid);
    EXPECT_EQ(empty.error, "the file is empty");
}

TEST(SettingsFileRead, AGoodLineBeforeTenMegabytesOfJunkIsReadWithoutTheJunk) {
    qf::test::TempFolder folder;
    const auto file = folder.put("settings.ini", kLine + std::string(10 << 20, '\xA5'));
    const long long before = bytesReadSoFar();
    const auto read = SettingsFile::read(file);
    const long long after = bytesReadSoFar();
    EXPECT_EQ(read.status, Status::Ok) << read.error;
    EXPECT_EQ(read.settings, lineMix());
    ASSERT_GE(before, 0) << "no /proc/self/io to count with";
    EXPECT_LT(after - before, static_cast<long long>(2 * SettingsFile::kMaxBytes));
}

TEST(SettingsFileRead, AGiganticFileOfDigitsIsNotASettingsFile) {
    qf::test::TempFolder folder;
    const auto digits = SettingsFile::read(folder.put("digits.qfc", std::string(1 << 20, '7')));
    EXPECT_EQ(digits.status, Status::Invalid);
    EXPECT_EQ(digits.error,
              "the file is not a settings file: no fifteen values in its first 4096 bytes");
    std::string commas;
    while (commas.size() < (1u << 20)) {
        commas += "0,";
    }
    const auto fields = SettingsFile::read(folder.put("commas.qfc", commas));
    EXPECT_EQ(fields.status, Status::Invalid);
    EXPECT_EQ(fields.error, "field 11 (row 1 frequency): 0 is outside 1000 to 32767")
        << "a wrong value inside the prefix is reported as such";
}

TEST(SettingsFileRead, ValuesThatTheLimitCutsShortAreNotTrusted) {
    qf::test::TempFolder folder;
    // Padding puts the limit between "3276" and "7" of the last field: read as 3276 it would be
    // a valid but wrong mix.
    const std::string head = "1,0,0,1,0,-1200,0,-250,-3000,0,22050,1000,1000,8000,";
    const std::string padded = std::string(SettingsFile::kMaxBytes - head.size() - 4, ' ');
    const auto read = SettingsFile::read(folder.put("cut.qfc", padded + head + "32767\r\n"));
    EXPECT_EQ(read.status, Status::Invalid);
    EXPECT_EQ(read.error,
              "the file is not a settings file: no fifteen values in its first 4096 bytes");
}

TEST(SettingsFileRead, ValuesThatEndInsideTheLimitAreRead) {
    qf::test::TempFolder folder;
    // The line ends exactly at the limit, and then one more byte follows.
    const std::string padded = std::string(SettingsFile::kMaxBytes - kLine.size(), ' ');
    const auto exact = SettingsFile::read(folder.put("exact.qfc", padded + kLine));
    EXPECT_EQ(exact.status, Status::Ok) << exact.error;
    const auto more = SettingsFile::read(folder.put("more.qfc", padded + kLine + "x"));
    EXPECT_EQ(more.status, Status::Ok) << more.error;
    EXPECT_EQ(more.settings, lineMix());
}
