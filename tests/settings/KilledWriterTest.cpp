#include "settings/SettingsFile.h"
#include "settings/SettingsText.h"
#include "tests/settings/StatusPrinter.h"
#include "tests/settings/TempFolder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <iostream>
#include <random>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using qf::settings::MixerSettings;
using qf::settings::SettingsFile;
using qf::settings::SettingsText;
using qf::test::TempFolder;

namespace {

constexpr int kKills = 1000;
constexpr int kMaxDelayMicroseconds = 4000;

MixerSettings recordA() {
    MixerSettings mix = MixerSettings::defaults();
    mix.setCheck(1, 1);
    mix.setVolume(1, -1200);
    mix.setFrequency(1, 22050);
    return mix;
}

MixerSettings recordB() {
    MixerSettings mix;
    for (int row = 1; row <= 5; ++row) {
        mix.setCheck(row, 1);
        mix.setVolume(row, -3000);
        mix.setFrequency(row, 32767);
    }
    return mix;
}

// Writes B and A by turns until it is killed.
pid_t startWriter(const std::filesystem::path& file) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        const MixerSettings records[] = {recordB(), recordA()};
        std::string error;
        for (unsigned n = 0;; ++n) {
            if (!SettingsFile::write(file, records[n % 2], error)) {
                ::_exit(3);
            }
        }
    }
    return pid;
}

} // namespace

// Kills a writer at random moments, so some kills land while a temporary is half written, some
// between writing and renaming, some during the rename. After every one the file must read as
// one record or the other, never as a mixture, a truncation or nothing.
TEST(KilledWriter, EveryKillLeavesTheOldOrTheNewRecord) {
    TempFolder folder;
    const auto file = folder / "settings.ini";
    const std::string textA = SettingsText::format(recordA());
    const std::string textB = SettingsText::format(recordB());
    std::string error;
    ASSERT_TRUE(SettingsFile::write(file, recordA(), error)) << error;

    const unsigned seed = std::random_device{}();
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> delay(0, kMaxDelayMicroseconds);
    int readA = 0;
    int readB = 0;
    int killsWithTemporary = 0;
    int mostTemporaries = 0;
    for (int kill = 0; kill < kKills; ++kill) {
        const pid_t writer = startWriter(file);
        ASSERT_GT(writer, 0);
        std::this_thread::sleep_for(std::chrono::microseconds(delay(random)));
        ::kill(writer, SIGKILL);
        int status = 0;
        ASSERT_EQ(::waitpid(writer, &status, 0), writer);
        ASSERT_TRUE(WIFSIGNALED(status)) << "the writer stopped by itself: a write failed";

        const auto read = SettingsFile::read(file);
        ASSERT_EQ(read.status, SettingsFile::Status::Ok)
            << "kill " << kill << " (seed " << seed << "): " << read.error;
        const std::string bytes = TempFolder::bytesOf(file);
        ASSERT_TRUE(bytes == textA || bytes == textB)
            << "kill " << kill << " (seed " << seed << ") left: " << bytes;
        (read.settings == recordA() ? readA : readB) += 1;

        // The next writer clears what this one left, so at most its own temporary is there.
        const int temporaries = folder.temporariesOf("settings.ini");
        ASSERT_LE(temporaries, 1) << "kill " << kill << " (seed " << seed << ")";
        killsWithTemporary += temporaries;
        mostTemporaries = std::max(mostTemporaries, temporaries);
    }
    ASSERT_TRUE(SettingsFile::write(file, recordA(), error)) << error;
    EXPECT_EQ(folder.temporariesOf("settings.ini"), 0);

    std::cout << "kills " << kKills << ", read A " << readA << ", read B " << readB
              << ", kills that left a temporary " << killsWithTemporary << ", seed " << seed
              << "\n";
    RecordProperty("kills", kKills);
    RecordProperty("readA", readA);
    RecordProperty("readB", readB);
    RecordProperty("killsWithTemporary", killsWithTemporary);
    // Both records turning up shows that the kills did land among completed writes.
    EXPECT_GT(readA, 0);
    EXPECT_GT(readB, 0);
}
