#include "settings/SettingsLocation.h"
#include "tests/settings/TempFolder.h"

#include "tests/support/ScopedEnv.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <unistd.h>

namespace fs = std::filesystem;
using qf::settings::SettingsLocation;
using qf::test::TempFolder;

namespace {

const std::string kZeroLine = "0,0,0,0,0,0,0,0,0,0,1000,1000,1000,1000,1000\r\n";

using qf::test::ScopedEnv;

class SettingsLocationRules : public ::testing::Test {
protected:
    // Writability as the tests decide, since root may write everywhere.
    SettingsLocation location() const {
        return SettingsLocation(app_.path(), user_, [this](const fs::path& p) {
            if (p == app_.path()) {
                return appFolderWritable_;
            }
            return p.parent_path() != app_.path() || appFileWritable_;
        });
    }
    void putApp() const { app_.put("settings.ini", kZeroLine); }
    void putUser() const {
        fs::create_directories(user_);
        std::ofstream(user_ / "settings.ini") << kZeroLine;
    }

    TempFolder app_;
    TempFolder home_;
    fs::path user_ = home_ / ".config" / "quietfield";
    bool appFolderWritable_ = true;
    bool appFileWritable_ = true;
};

} // namespace

TEST_F(SettingsLocationRules, AWritableApplicationFolderIsWhereTheFileLives) {
    EXPECT_EQ(location().readPath(), app_ / "settings.ini") << "no file anywhere";
    EXPECT_EQ(location().writePath(), app_ / "settings.ini");
    putUser();
    putApp();
    EXPECT_EQ(location().readPath(), app_ / "settings.ini");
    EXPECT_EQ(location().writePath(), app_ / "settings.ini");
}

TEST_F(SettingsLocationRules, TheUserFolderIsReadWhenTheApplicationFolderHasNoFile) {
    putUser();
    EXPECT_EQ(location().readPath(), user_ / "settings.ini");
}

TEST_F(SettingsLocationRules, AnUnwritableApplicationFolderSendsWritesToTheUserFolder) {
    appFolderWritable_ = false;
    EXPECT_EQ(location().readPath(), app_ / "settings.ini") << "no file anywhere";
    EXPECT_FALSE(fs::exists(user_)) << "reading creates nothing";
    EXPECT_EQ(location().writePath(), user_ / "settings.ini");
    EXPECT_TRUE(fs::is_directory(user_)) << "the folder is made ready for the write";
    EXPECT_EQ(TempFolder::modeOf(user_), 0700u);
    EXPECT_EQ(TempFolder::modeOf(user_.parent_path()), 0700u);
}

TEST_F(SettingsLocationRules, AnUnwritableApplicationFolderStillGivesItsFileAtFirstStart) {
    appFolderWritable_ = false;
    putApp();
    EXPECT_EQ(location().readPath(), app_ / "settings.ini");
    EXPECT_EQ(location().writePath(), user_ / "settings.ini");
}

// Otherwise a mix saved at exit to the user folder would be lost at every start.
TEST_F(SettingsLocationRules, WhatWasWrittenLastIsWhatIsRead) {
    appFolderWritable_ = false;
    putApp();
    putUser();
    EXPECT_EQ(location().readPath(), user_ / "settings.ini");
    EXPECT_EQ(location().writePath(), user_ / "settings.ini");
}

// A run with a read-only program folder saved to the user folder; once the folder is writable
// again, its older file must not win. Files changed at the same moment go by writePath().
TEST_F(SettingsLocationRules, OfTwoFilesTheNewerIsRead) {
    putApp();
    putUser();
    const auto now = fs::file_time_type::clock::now();
    fs::last_write_time(app_ / "settings.ini", now - std::chrono::hours(1));
    fs::last_write_time(user_ / "settings.ini", now);
    EXPECT_EQ(location().readPath(), user_ / "settings.ini");
    EXPECT_EQ(location().writePath(), app_ / "settings.ini");

    fs::last_write_time(app_ / "settings.ini", now + std::chrono::seconds(1));
    EXPECT_EQ(location().readPath(), app_ / "settings.ini");

    fs::last_write_time(user_ / "settings.ini", now + std::chrono::seconds(1));
    EXPECT_EQ(location().readPath(), app_ / "settings.ini") << "a tie goes to the write path";
    appFolderWritable_ = false;
    EXPECT_EQ(location().readPath(), user_ / "settings.ini") << "a tie goes to the write path";
}

TEST_F(SettingsLocationRules, AReadOnlyFileInTheApplicationFolderSendsWritesAway) {
    putApp();
    appFileWritable_ = false;
    EXPECT_EQ(location().writePath(), user_ / "settings.ini");
}

TEST_F(SettingsLocationRules, TheApplicationFolderFileIsFoundInAnyLetterCase) {
    app_.put("Settings.INI", kZeroLine);
    EXPECT_EQ(location().readPath(), app_ / "Settings.INI");
    EXPECT_EQ(location().writePath(), app_ / "Settings.INI") << "rewritten, not doubled";
}

TEST_F(SettingsLocationRules, WithoutAUserFolderEverythingStaysInTheApplicationFolder) {
    const SettingsLocation alone(app_.path(), fs::path(), [](const fs::path&) { return false; });
    EXPECT_EQ(alone.readPath(), app_ / "settings.ini");
    EXPECT_EQ(alone.writePath(), app_ / "settings.ini");
}

// A real check, not an injected one: a folder that is not there cannot be written, even by root.
TEST(SettingsLocation, AMissingApplicationFolderSendsWritesToTheUserFolder) {
    TempFolder home;
    const SettingsLocation location(home / "no-such-program-folder", home / "quietfield");
    EXPECT_FALSE(location.appFolderWritable());
    EXPECT_EQ(location.writePath(), home / "quietfield" / "settings.ini");
}

TEST(SettingsLocation, UserFolderFollowsXdgConfigHome) {
    const ScopedEnv xdg("XDG_CONFIG_HOME", "/srv/conf");
    const ScopedEnv home("HOME", "/home/someone");
    EXPECT_EQ(SettingsLocation::userFolderFromEnvironment(), fs::path("/srv/conf/quietfield"));
}
