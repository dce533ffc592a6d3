#include "platform/files/AtomicFile.h"
#include "tests/settings/TempFolder.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <sys/wait.h>
#include <unistd.h>

using qf::AtomicFile;
using qf::test::TempFolder;

namespace {

// The id of a process that has come and gone.
long deadPid() {
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::_exit(0);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return pid;
}

// A streaming writer's temporaries, of a shape the target's own clean-up does not know.
std::string streamName(unsigned tag) {
    return ".stream-" + std::to_string(tag);
}

int filesIn(const TempFolder& folder) {
    int count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder.path())) {
        ++count;
    }
    return count;
}

void put(int fd, std::string_view bytes) {
    ASSERT_EQ(::write(fd, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
}

} // namespace

TEST(AtomicFile, TemporaryNamesNameTheTargetAndTheWriter) {
    const std::string name = AtomicFile::temporaryName("settings.ini", 4321, 0xabcdef01u);
    EXPECT_EQ(name, "settings.ini.4321.abcdef01.tmp");
    EXPECT_EQ(AtomicFile::ownerOf("settings.ini", name), 4321);
    EXPECT_EQ(AtomicFile::ownerOf("settings.ini", AtomicFile::temporaryName("settings.ini", 7, 0)),
              7);
}

TEST(AtomicFile, OtherFilesAreNotTakenForTemporaries) {
    for (const char* other :
         {"settings.ini", "settings.ini.bad", "settings.ini.tmp", "settings.ini.4321.tmp",
          "settings.ini.4321.abcdef0.tmp", "settings.ini.4321.ABCDEF01.tmp",
          "settings.ini.43a1.abcdef01.tmp", "settings.ini.0.abcdef01.tmp",
          "settings.ini.99999999.abcdef01.tmp", "other.ini.4321.abcdef01.tmp",
          "settings.ini.4321.abcdef01.tmp.old", "xsettings.ini.4321.abcdef01.tmp"}) {
        EXPECT_FALSE(AtomicFile::ownerOf("settings.ini", other)) << other;
    }
}

TEST(AtomicFile, TemporariesOfGoneWritersAreRemovedAndOthersKept) {
    TempFolder folder;
    const long gone = deadPid();
    folder.put(AtomicFile::temporaryName("settings.ini", gone, 1), "half");
    folder.put(AtomicFile::temporaryName("settings.ini", gone, 2), "");
    const auto own = folder.put(AtomicFile::temporaryName("settings.ini", ::getpid(), 3), "busy");
    const auto init = folder.put(AtomicFile::temporaryName("settings.ini", 1, 4), "busy");
    const auto otherTarget = folder.put(AtomicFile::temporaryName("mix.qfc", gone, 5), "x");
    const auto unrelated = folder.put("settings.ini.bad", "x");

    EXPECT_EQ(AtomicFile::removeStale(folder / "settings.ini"), 2);
    EXPECT_TRUE(std::filesystem::exists(own)) << "this process may be writing it";
    EXPECT_TRUE(std::filesystem::exists(init)) << "a live process may be writing it";
    EXPECT_TRUE(std::filesystem::exists(otherTarget));
    EXPECT_TRUE(std::filesystem::exists(unrelated));
    EXPECT_EQ(folder.temporariesOf("settings.ini"), 2);
}

TEST(AtomicFile, ReplacingClearsWhatAKilledWriterLeft) {
    TempFolder folder;
    folder.put(AtomicFile::temporaryName("settings.ini", deadPid(), 9), "0,0,0");
    std::string error;
    ASSERT_TRUE(AtomicFile::replace(folder / "settings.ini", "new\r\n", error)) << error;
    EXPECT_EQ(TempFolder::bytesOf(folder / "settings.ini"), "new\r\n");
    EXPECT_EQ(folder.temporariesOf("settings.ini"), 0);
}

// A save given up half way, and a new file that may not take an existing one's place: the old
// file stays as it was and no temporary is left beside it.
TEST(AtomicFile, WhatIsNotPlacedLeavesTheOldFileAndNothingElse) {
    TempFolder folder;
    const auto target = folder.put("take.wav", "old");
    {
        AtomicFile abandoned(folder.path(), streamName);
        ASSERT_GE(abandoned.fd(), 0) << abandoned.error();
        put(abandoned.fd(), "half");
    }
    {
        AtomicFile refused(folder.path(), streamName);
        ASSERT_GE(refused.fd(), 0) << refused.error();
        put(refused.fd(), "new");
        ASSERT_EQ(refused.finish(), 0);
        EXPECT_EQ(refused.placeNewAt(target), EEXIST);
    }
    EXPECT_EQ(TempFolder::bytesOf(target), "old");
    EXPECT_EQ(filesIn(folder), 1);

    AtomicFile placed(folder.path(), streamName);
    put(placed.fd(), "new");
    ASSERT_EQ(placed.finish(), 0);
    ASSERT_EQ(placed.placeAt(target), 0);
    EXPECT_EQ(TempFolder::bytesOf(target), "new");
    EXPECT_EQ(filesIn(folder), 1);
}
