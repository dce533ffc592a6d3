// Where the program keeps the user's files: the XDG variables when they hold absolute paths,
// else the usual folders under the home folder, which the user database gives without $HOME.

#include "platform/files/UserFolders.h"

#include "tests/support/ScopedEnv.h"

#include <gtest/gtest.h>

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <optional>
#include <string>

namespace fs = std::filesystem;
using qf::UserFolders;

namespace {

using qf::test::ScopedEnv;

} // namespace

TEST(UserFolders, AnAbsoluteXdgFolderIsTakenAndAnyOtherFallsBackUnderHome) {
    const ScopedEnv home("HOME", "/home/someone");
    {
        const ScopedEnv config("XDG_CONFIG_HOME", "/srv/conf");
        const ScopedEnv data("XDG_DATA_HOME", "/srv/data");
        const ScopedEnv cache("XDG_CACHE_HOME", "/srv/cache");
        EXPECT_EQ(UserFolders::configHome(), fs::path("/srv/conf"));
        EXPECT_EQ(UserFolders::dataHome(), fs::path("/srv/data"));
        EXPECT_EQ(UserFolders::cacheHome(), fs::path("/srv/cache"));
    }
    for (const char* value : {static_cast<const char*>(nullptr), "", "relative/folder"}) {
        const ScopedEnv config("XDG_CONFIG_HOME", value);
        const ScopedEnv data("XDG_DATA_HOME", value);
        const ScopedEnv cache("XDG_CACHE_HOME", value);
        const char* what = value ? value : "unset";
        EXPECT_EQ(UserFolders::configHome(), fs::path("/home/someone/.config")) << what;
        EXPECT_EQ(UserFolders::dataHome(), fs::path("/home/someone/.local/share")) << what;
        EXPECT_EQ(UserFolders::cacheHome(), fs::path("/home/someone/.cache")) << what;
    }
}

TEST(UserFolders, WithoutAnAbsoluteHomeTheUserDatabaseGivesTheHomeFolder) {
    const ScopedEnv config("XDG_CONFIG_HOME", nullptr);
    const passwd* entry = ::getpwuid(::getuid());
    ASSERT_NE(entry, nullptr);
    const fs::path known = entry->pw_dir;
    for (const char* value : {static_cast<const char*>(nullptr), "", "relative/home"}) {
        const ScopedEnv home("HOME", value);
        const char* what = value ? value : "unset";
        EXPECT_EQ(UserFolders::home(), known) << what;
        EXPECT_EQ(UserFolders::configHome(), known / ".config") << what;
    }
}
