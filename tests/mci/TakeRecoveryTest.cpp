// What a recorder that was killed leaves behind: its scratch file comes back as a WAV file in
// the recovered folder at the next start, holding what was captured; a running process's files
// are left alone; a killed save's temporary is removed.

#include "platform/mci/TakeRecovery.h"
#include "platform/mci/MediaControl.h"
#include "platform/mci/ScratchFile.h"
#include "platform/mci/WaveSaver.h"
#include "tests/audio/SoundTestKit.h"
#include "tests/mci/FakeAudioPorts.h"
#include "tests/mci/RecorderTestKit.h"

#include <gtest/gtest.h>
#include <sndfile.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <ctime>
#include <fstream>
#include <new>

namespace qf::mci {
namespace {

using testkit::fileBytes;
using testkit::readWave;
using testkit::waitFor;
namespace fs = std::filesystem;

pid_t sleeper() {
    const pid_t pid = fork();
    if (pid == 0) {
        for (;;) {
            pause();
        }
    }
    return pid;
}

pid_t endedProcess() {
    const pid_t pid = fork();
    if (pid == 0) {
        _exit(0);
    }
    waitpid(pid, nullptr, 0);
    return pid;
}

void killAndWait(pid_t pid) {
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
}

std::vector<fs::path> filesIn(const fs::path& folder) {
    std::vector<fs::path> found;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(folder, error)) {
        found.push_back(entry.path());
    }
    return found;
}

std::vector<std::uint8_t> countingBytes(std::size_t frames) {
    std::vector<std::uint8_t> bytes(frames * AudioPorts::kBytesPerFrame);
    fake::countingFrames(0, bytes.data(), frames);
    return bytes;
}

// Runs the recovery as a start would, and gives back what it said.
std::string recover(const fs::path& scratch, const fs::path& recovered,
                    std::vector<fs::path> saveFolders = {}) {
    char* text = nullptr;
    std::size_t size = 0;
    std::FILE* report = open_memstream(&text, &size);
    TakeRecovery(scratch, recovered, std::move(saveFolders)).run(report);
    std::fclose(report);
    std::string said(text, size);
    std::free(text);
    return said;
}

TEST(TakeRecoveryTest, ARecorderKilledMidTakeGetsItsTakeBackAsWave) {
    sound::testkit::TempDir dir;
    const fs::path scratch = dir.path() / "cache";
    const fs::path recovered = dir.path() / "recovered";
    // The fake input lives in memory the child shares, so the test learns how many frames it
    // delivered up to the kill.
    void* shared = mmap(nullptr, sizeof(fake::FakeSound), PROT_READ | PROT_WRITE,
                        MAP_SHARED | MAP_ANONYMOUS, -1, 0);
    ASSERT_NE(shared, MAP_FAILED);
    auto* sound = new (shared) fake::FakeSound;
    sound->pause = std::chrono::microseconds(2000);
    const pid_t recorder = fork();
    if (recorder == 0) {
        MediaControl media(std::make_unique<fake::FakeAudioPorts>(
                               std::shared_ptr<fake::FakeSound>(sound, [](fake::FakeSound*) {})),
                           scratch);
        if (media.send("open new type waveaudio alias capture", nullptr, 0) != 0 ||
            media.send("record capture", nullptr, 0) != 0) {
            _exit(1);
        }
        for (;;) {
            pause();
        }
    }
    ASSERT_GT(recorder, 0);
    // The recorder's only scratch file; its number depends on what this process made before.
    fs::path take;
    std::uint64_t spooled = 0;
    const bool started = waitFor([&] {
        const auto files = filesIn(scratch);
        std::error_code error;
        take = files.size() == 1 ? files.front() : fs::path();
        spooled = take.empty() ? 0 : fs::file_size(take, error);
        return !error && spooled >= 512 * 1024;
    });
    killAndWait(recorder);
    ASSERT_TRUE(started) << "the recorder did not spool in " << scratch;
    EXPECT_TRUE(
        take.filename().string().starts_with("recording-" + std::to_string(recorder) + "-"));
    const std::uint64_t delivered =
        std::uint64_t{sound->nextFrame.load()} * AudioPorts::kBytesPerFrame;
    const std::uint64_t period = std::uint64_t(sound->periodFrames) * AudioPorts::kBytesPerFrame;
    munmap(shared, sizeof(fake::FakeSound));
    ASSERT_TRUE(fs::exists(take));

    const std::string said = recover(scratch, recovered);
    const auto wavs = filesIn(recovered);
    ASSERT_EQ(wavs.size(), 1u) << said;
    const fs::path wav = wavs.front();
    EXPECT_TRUE(wav.filename().string().starts_with("recording-"));
    EXPECT_EQ(wav.extension(), ".wav");
    const auto wave = readWave(wav);
    ASSERT_TRUE(wave.opened);
    EXPECT_EQ(wave.format, SF_FORMAT_WAV | SF_FORMAT_PCM_16);
    EXPECT_EQ(wave.rate, 44100);
    EXPECT_EQ(wave.channels, 2);
    // All that reached the file before the kill, and at most what the input gave; what is
    // missing was still in the ring, in the chunk being written or in the period under way.
    EXPECT_GE(wave.bytes.size(), spooled);
    ASSERT_LE(wave.bytes.size(), delivered);
    EXPECT_LE(delivered - wave.bytes.size(),
              WaveAudioDevice::kCaptureRingBytes + WaveAudioDevice::kChunkBytes + period);
    EXPECT_TRUE(wave.bytes == countingBytes(wave.bytes.size() / AudioPorts::kBytesPerFrame))
        << "the recovered frames are not the captured ones";
    EXPECT_TRUE(filesIn(scratch).empty());
    EXPECT_NE(said.find(wav.string()), std::string::npos) << said;
}

TEST(TakeRecoveryTest, ARunningProcessKeepsItsTakeUntilItEnds) {
    sound::testkit::TempDir dir;
    const fs::path scratch = dir.path() / "cache";
    const fs::path recovered = dir.path() / "recovered";
    fs::create_directories(scratch);
    fs::create_directories(recovered);
    setenv("TZ", "UTC", 1);
    tzset();
    const pid_t live = sleeper();
    ASSERT_GT(live, 0);
    const auto frames = countingBytes(4410);
    const fs::path take = scratch / ("recording-" + std::to_string(live) + "-0.pcm");
    std::ofstream(take, std::ios::binary)
        .write(reinterpret_cast<const char*>(frames.data()), std::streamsize(frames.size()));
    std::tm when{};
    when.tm_year = 2026 - 1900;
    when.tm_mon = 11;
    when.tm_mday = 9;
    when.tm_hour = 14;
    when.tm_min = 3;
    when.tm_sec = 22;
    const timespec times[2] = {{timegm(&when), 0}, {timegm(&when), 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, take.c_str(), times, 0), 0);
    const fs::path empty = scratch / ("recording-" + std::to_string(endedProcess()) + "-3.pcm");
    std::ofstream{empty};
    const fs::path taken = recovered / "recording-2026-12-09-14-03-22.wav";
    std::ofstream(taken) << "an older take";

    EXPECT_EQ(recover(scratch, recovered), "");
    EXPECT_EQ(fileBytes(take), frames);
    EXPECT_FALSE(fs::exists(empty));
    EXPECT_EQ(filesIn(recovered).size(), 1u);

    killAndWait(live);
    const std::string said = recover(scratch, recovered);
    const fs::path next = recovered / "recording-2026-12-09-14-03-22-2.wav";
    EXPECT_EQ(readWave(next).bytes, frames);
    EXPECT_EQ(fileBytes(taken).size(), std::string("an older take").size());
    EXPECT_FALSE(fs::exists(take));
    EXPECT_NE(said.find(next.string()), std::string::npos) << said;
}

TEST(TakeRecoveryTest, ATakeThatCannotBeWrittenStaysForALaterStart) {
    sound::testkit::TempDir dir;
    const fs::path scratch = dir.path() / "cache";
    fs::create_directories(scratch);
    const auto frames = countingBytes(1000);
    std::ofstream(scratch / ("recording-" + std::to_string(endedProcess()) + "-0.pcm"),
                  std::ios::binary)
        .write(reinterpret_cast<const char*>(frames.data()), std::streamsize(frames.size()));
    // A file where the folder should be: no one, not even root, can make the folder.
    std::ofstream(dir.path() / "blocked") << "a file";
    const std::string said = recover(scratch, dir.path() / "blocked" / "recovered");
    EXPECT_NE(said.find("stays in"), std::string::npos) << said;
    auto kept = filesIn(scratch);
    ASSERT_EQ(kept.size(), 1u);
    EXPECT_EQ(fileBytes(kept.front()), frames);

    // This process holds it now; once it has ended, the next start writes it out.
    const pid_t later = fork();
    if (later == 0) {
        recover(scratch, dir.path() / "recovered");
        _exit(0);
    }
    waitpid(later, nullptr, 0);
    EXPECT_TRUE(fs::exists(kept.front())) << "taken while this process still holds it";
    // Now under another start's id, after that one ended.
    const pid_t last = fork();
    if (last == 0) {
        _exit(0);
    }
    waitpid(last, nullptr, 0);
    const fs::path released = scratch / ("recording-" + std::to_string(last) + "-0.pcm");
    fs::rename(kept.front(), released);
    recover(scratch, dir.path() / "recovered");
    const auto wavs = filesIn(dir.path() / "recovered");
    ASSERT_EQ(wavs.size(), 1u);
    EXPECT_EQ(readWave(wavs.front()).bytes, frames);
}

TEST(TakeRecoveryTest, AKilledSavesTemporaryGoesAndARunningOnesStays) {
    sound::testkit::TempDir dir;
    const fs::path folder = dir.path() / "home";
    fs::create_directories(folder);
    std::string reason;
    auto source = ScratchFile::create(dir.path() / "cache", reason);
    ASSERT_TRUE(source) << reason;
    const std::vector<std::uint8_t> audio(8 << 20, 0x11);
    int error = 0;
    ASSERT_EQ(source->writeAt(0, audio.data(), audio.size(), error), audio.size());

    // A saver killed while it writes; tried again when the kill lands between two saves.
    fs::path left;
    pid_t saver = 0;
    for (int attempt = 0; attempt < 20 && left.empty(); ++attempt) {
        saver = fork();
        if (saver == 0) {
            for (;;) {
                std::string why;
                WaveSaver::save(*source, audio.size(), folder / "take.wav", why);
            }
        }
        const std::string prefix = ".quietfield-save-" + std::to_string(saver) + "-";
        const auto temporary = [&] {
            for (const auto& path : filesIn(folder)) {
                if (path.filename().string().starts_with(prefix)) {
                    return path;
                }
            }
            return fs::path();
        };
        waitFor([&] { return !temporary().empty(); });
        killAndWait(saver);
        left = temporary();
    }
    ASSERT_FALSE(left.empty()) << "no kill landed during a save";

    const pid_t live = sleeper();
    ASSERT_GT(live, 0);
    const fs::path running = folder / (".quietfield-save-" + std::to_string(live) + "-a1B2c3");
    const fs::path notOurs = folder / (".quietfield-save-" + std::to_string(saver) + "-notes");
    for (const auto& path : {running, notOurs}) {
        std::ofstream(path) << "kept";
    }
    recover(dir.path() / "no-cache", dir.path() / "recovered", {folder});
    killAndWait(live);
    EXPECT_FALSE(fs::exists(left));
    EXPECT_TRUE(fs::exists(running));
    EXPECT_TRUE(fs::exists(notOurs));
}

} // namespace
} // namespace qf::mci
