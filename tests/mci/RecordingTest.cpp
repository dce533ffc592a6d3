// What a recording holds: every frame the input delivered, in order, in the scratch file, in
// playback and in the saved WAV file; a new recording in place of the old; our scratch files
// cleaned up and other processes' left alone; a device lost and reopened while recording.

#include "platform/device/AudioSystem.h"
#include "platform/mci/MediaControl.h"
#include "platform/mci/WaveSaver.h"
#include "tests/audio/SoundTestKit.h"
#include "tests/mci/FakeAudioPorts.h"
#include "tests/mci/RecorderTestKit.h"
#include "tests/sdl/FakeBackend.h"

#include <gtest/gtest.h>
#include <sndfile.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <thread>

namespace qf::mci {
namespace {

using namespace std::chrono_literals;
using testkit::fileBytes;
using testkit::readWave;
using testkit::waitFor;

class RecordingTest : public ::testing::Test {
protected:
    RecordingTest() {
        setenv("HOME", dir.path().c_str(), 1);
        EXPECT_EQ(tell("open new type waveaudio alias capture"), 0u);
        EXPECT_EQ(tell("set capture time format bytes"), 0u);
    }
    unsigned tell(const char* command) { return media.send(command, nullptr, 0); }
    std::string mode() {
        char reply[255];
        media.send("status capture mode", reply, sizeof reply);
        return reply;
    }
    std::uint64_t recordAtLeast(std::uint64_t bytes) {
        EXPECT_EQ(tell("record capture"), 0u);
        EXPECT_TRUE(waitFor([&] { return media.device()->length() >= bytes; }));
        EXPECT_EQ(tell("stop capture"), 0u);
        return media.device()->length();
    }

    sound::testkit::TempDir dir;
    std::shared_ptr<fake::FakeSound> sound = std::make_shared<fake::FakeSound>();
    MediaControl media{std::make_unique<fake::FakeAudioPorts>(sound), dir.path() / "cache"};
};

TEST_F(RecordingTest, EveryFrameReachesTheFilePlaybackAndTheSavedWave) {
    const std::uint64_t length = recordAtLeast(2 * 176400);
    const auto scratch = fileBytes(media.device()->scratchPath());
    ASSERT_EQ(scratch.size(), length);
    EXPECT_TRUE(fake::countsUp(scratch.data(), scratch.size())) << "frames lost or repeated";
    EXPECT_EQ(media.device()->dropped(), 0u);

    ASSERT_EQ(tell("play capture from 0"), 0u);
    ASSERT_TRUE(waitFor([&] { return mode() == "stopped"; }));
    const auto played = sound->played();
    ASSERT_GE(played.size(), length);
    EXPECT_EQ(std::memcmp(played.data(), scratch.data(), length), 0);
    // After the end, silence.
    EXPECT_TRUE(std::all_of(played.begin() + static_cast<long>(length), played.end(),
                            [](std::uint8_t b) { return b == 0; }));

    const unsigned code = tell("save capture c:\\my first take.wav");
    ASSERT_EQ(code, 0u) << media.errorText(code);
    const auto saved = dir.path() / "my first take.wav";
    const auto wave = readWave(saved);
    ASSERT_TRUE(wave.opened);
    EXPECT_EQ(wave.rate, 44100);
    EXPECT_EQ(wave.channels, 2);
    EXPECT_EQ(wave.format, SF_FORMAT_WAV | SF_FORMAT_PCM_16);
    EXPECT_EQ(wave.bytes, scratch);
    // A canonical file: the 44-byte header and the samples, nothing else.
    EXPECT_EQ(std::filesystem::file_size(saved), 44 + length);
}

TEST_F(RecordingTest, RecordingAgainStartsANewRecordingFromTheStart) {
    const std::uint64_t first = recordAtLeast(4 * 176400);
    const auto old = fileBytes(media.device()->scratchPath());
    ASSERT_EQ(tell("record capture"), 0u);
    // Long enough for the spooling thread to have written to the file.
    std::this_thread::sleep_for(30ms);
    EXPECT_LT(media.device()->length(), first);
    ASSERT_EQ(tell("stop capture"), 0u);
    const auto fresh = fileBytes(media.device()->scratchPath());
    ASSERT_GE(fresh.size(), 4u);
    EXPECT_EQ(fresh.size(), media.device()->length());
    EXPECT_TRUE(fake::countsUp(fresh.data(), fresh.size())) << "old frames left in the new take";
    EXPECT_NE(std::memcmp(fresh.data(), old.data(), 4), 0);

    // Recording again while recording does the same.
    ASSERT_EQ(tell("record capture"), 0u);
    ASSERT_TRUE(waitFor([&] { return media.device()->length() > 176400; }));
    ASSERT_EQ(tell("record capture"), 0u);
    EXPECT_LT(media.device()->length(), 176400u);
    EXPECT_EQ(mode(), "recording");
}

// The input hands over what it heard a little later; a take stopped at a moment holds what was
// heard up to it, not only what had come through by then.
TEST_F(RecordingTest, AStoppedTakeKeepsWhatTheInputHadHeardButNotYetHandedOver) {
    constexpr std::uint64_t kHeld = 4096;
    const auto period = static_cast<std::uint64_t>(sound->periodFrames);
    sound->pause = 5ms;
    sound->heldFrames = static_cast<int>(kHeld);
    ASSERT_EQ(tell("record capture"), 0u);
    ASSERT_TRUE(waitFor([&] { return media.device()->length() >= 8 * period * 4; }));
    const std::uint64_t heardByStop = sound->nextFrame.load();
    ASSERT_EQ(tell("stop capture"), 0u);
    const std::uint64_t frames = media.device()->length() / AudioPorts::kBytesPerFrame;
    EXPECT_GE(frames + period, heardByStop + kHeld);
    // Not everything until the wait for it runs out (50 periods).
    EXPECT_LE(frames, heardByStop + kHeld + 10 * period);
    const auto scratch = fileBytes(media.device()->scratchPath());
    EXPECT_TRUE(fake::countsUp(scratch.data(), scratch.size()));
}

TEST_F(RecordingTest, AFailedSaveSaysWhyAndLeavesTheOldFile) {
    recordAtLeast(176400);
    const unsigned code = tell("save capture c:\\no such folder\\take.wav");
    EXPECT_EQ(code, static_cast<unsigned>(MediaError::SaveFailed));
    const std::string why = media.errorText(code);
    EXPECT_NE(why.find("not saved"), std::string::npos) << why;
    EXPECT_NE(why.find("does not exist"), std::string::npos) << why;

    // The target is a folder: the rename fails and the temporary goes.
    std::filesystem::create_directory(dir.path() / "taken.wav");
    EXPECT_EQ(tell("save capture c:\\taken.wav"), static_cast<unsigned>(MediaError::SaveFailed));
    EXPECT_TRUE(std::filesystem::is_directory(dir.path() / "taken.wav"));
    for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
        EXPECT_EQ(entry.path().filename().string().find(".quietfield-save"), std::string::npos)
            << "a temporary was left: " << entry.path();
    }

    // Saving over an existing file replaces it whole, keeping its permissions.
    const auto target = dir.path() / "take.wav";
    std::ofstream(target) << "an older file";
    std::filesystem::permissions(target, std::filesystem::perms::owner_read |
                                             std::filesystem::perms::owner_write |
                                             std::filesystem::perms::others_read);
    ASSERT_EQ(media.send(("save capture " + target.string()).c_str(), nullptr, 0), 0u);
    EXPECT_EQ(readWave(target).bytes.size(), media.device()->length());
    EXPECT_EQ(std::filesystem::status(target).permissions() & std::filesystem::perms::all,
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write |
                  std::filesystem::perms::others_read);
}

TEST_F(RecordingTest, PastTheWaveLimitTheFileIsRf64) {
    const std::uint64_t length = recordAtLeast(176400);
    const auto scratch = fileBytes(media.device()->scratchPath());
    std::string reason;
    // The same writer with the limit lowered to below this recording, and just at it.
    auto source = ScratchFile::create(dir.path() / "copy", reason);
    ASSERT_TRUE(source);
    int error = 0;
    ASSERT_EQ(source->writeAt(0, scratch.data(), scratch.size(), error), scratch.size());

    ASSERT_TRUE(WaveSaver::save(*source, length, dir.path() / "big.wav", reason, length - 4))
        << reason;
    const auto big = readWave(dir.path() / "big.wav");
    EXPECT_EQ(big.format, SF_FORMAT_RF64 | SF_FORMAT_PCM_16);
    EXPECT_EQ(big.rate, 44100);
    EXPECT_EQ(big.bytes, scratch);

    ASSERT_TRUE(WaveSaver::save(*source, length, dir.path() / "small.wav", reason, length))
        << reason;
    EXPECT_EQ(readWave(dir.path() / "small.wav").format, SF_FORMAT_WAV | SF_FORMAT_PCM_16);
}

TEST_F(RecordingTest, ScratchFilesOfOtherProcessesAreLeftForRecoveryAndOursRemovedAtClose) {
    const auto cache = dir.path() / "cache";
    // A process that has ended, and one that runs (the test's parent).
    const pid_t child = fork();
    if (child == 0) {
        _exit(0);
    }
    ASSERT_GT(child, 0);
    waitpid(child, nullptr, 0);
    const auto ended = cache / ("recording-" + std::to_string(child) + "-0.pcm");
    const auto running = cache / ("recording-" + std::to_string(getppid()) + "-0.pcm");
    const auto other = cache / "notes.txt";
    for (const auto& path : {ended, running, other}) {
        std::ofstream(path) << "left";
    }
    ASSERT_EQ(tell("close all"), 0u);
    ASSERT_EQ(tell("open new type waveaudio alias capture"), 0u);
    // An ended process's take is given back at the next start, not thrown away here.
    EXPECT_TRUE(std::filesystem::exists(ended));
    EXPECT_EQ(ScratchFile::leftovers(cache), std::vector<std::filesystem::path>{ended});
    EXPECT_TRUE(std::filesystem::exists(running));
    EXPECT_TRUE(std::filesystem::exists(other));

    const auto ours = media.device()->scratchPath();
    EXPECT_EQ(ours.parent_path(), cache);
    EXPECT_NE(ours.filename().string().find(std::to_string(getpid())), std::string::npos);
    recordAtLeast(1000);
    ASSERT_EQ(tell("close all"), 0u);
    EXPECT_FALSE(std::filesystem::exists(ours));
}

TEST(RecordingDeviceLostTest, RecordingGoesOnWhenTheInputComesBack) {
    sound::testkit::TempDir dir;
    auto server = std::make_shared<sound::fake::FakeServer>();
    sound::AudioSystem audio(std::make_unique<sound::fake::FakeBackend>(server));
    MediaControl media(audio);
    setenv("XDG_CACHE_HOME", dir.path().c_str(), 1);
    ASSERT_EQ(media.send("open new type waveaudio alias capture", nullptr, 0), 0u);
    ASSERT_EQ(media.send("record capture", nullptr, 0), 0u);
    WaveAudioDevice& device = *media.device();
    EXPECT_EQ(device.scratchPath().parent_path(), dir.path() / "quietfield");
    ASSERT_TRUE(waitFor([&] { return device.length() > 10000; }));

    server->setUp(false);
    std::this_thread::sleep_for(400ms);
    const std::uint64_t kept = device.length();
    std::this_thread::sleep_for(200ms);
    EXPECT_EQ(device.length(), kept) << "audio arrived with the server gone";
    EXPECT_EQ(device.mode(), WaveAudioDevice::Mode::Recording);

    server->setUp(true);
    ASSERT_TRUE(waitFor([&] { return device.length() > kept + 20000; }))
        << "recording did not go on after the device came back";
    EXPECT_EQ(device.mode(), WaveAudioDevice::Mode::Recording);
    ASSERT_EQ(media.send("stop capture", nullptr, 0), 0u);
    EXPECT_EQ(std::filesystem::file_size(device.scratchPath()), device.length());
}

} // namespace
} // namespace qf::mci
