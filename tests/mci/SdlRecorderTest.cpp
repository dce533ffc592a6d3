// The recorder through the real audio system and SDL's `dummy` driver, which records silence
// and plays nothing at the pace of a real device: the whole round of commands, in real time.

#include "platform/device/AudioSystem.h"
#include "platform/mci/MediaControl.h"
#include "platform/sdl/SdlBackend.h"
#include "tests/audio/SoundTestKit.h"
#include "tests/mci/RecorderTestKit.h"

#include <gtest/gtest.h>
#include <sndfile.h>

#include <cstdlib>
#include <string>
#include <thread>

namespace qf::mci {
namespace {

using namespace std::chrono_literals;
using testkit::waitFor;

TEST(SdlRecorderTest, RecordsPlaysAndSavesThroughTheDummyDriver) {
    ASSERT_EQ(setenv("SDL_AUDIODRIVER", "dummy", 1), 0);
    sound::testkit::TempDir dir;
    ASSERT_EQ(setenv("XDG_CACHE_HOME", (dir.path() / "cache").c_str(), 1), 0);
    ASSERT_EQ(setenv("HOME", dir.path().c_str(), 1), 0);

    sound::AudioSystem audio(std::make_unique<sound::SdlBackend>());
    MediaControl media(audio);
    char reply[255];
    const auto ask = [&](const char* command) {
        EXPECT_EQ(media.send(command, reply, sizeof reply), 0u) << command;
        return std::string(reply);
    };
    ask("close all");
    ask("open new type waveaudio alias capture");
    ask("seek capture to start");
    ask("set capture samplespersec 44100 channels 2 bitspersample 16 alignment 4 bytespersec "
        "176400");
    ask("record capture");
    const auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(ask("status capture mode"), "recording");
    std::this_thread::sleep_for(800ms);
    ask("stop capture");
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    ask("set capture time format bytes");
    const std::uint64_t length = std::stoull(ask("status capture length"));
    EXPECT_EQ(length % 4, 0u);
    // At about the pace of a real device: not all at once, not starved.
    EXPECT_GT(length, static_cast<std::uint64_t>(0.4 * 176400));
    EXPECT_LT(length, static_cast<std::uint64_t>((seconds + 0.2) * 176400));

    ask("play capture from 0");
    EXPECT_EQ(ask("status capture mode"), "playing");
    const auto playStart = std::chrono::steady_clock::now();
    ASSERT_TRUE(waitFor([&] { return ask("status capture mode") == "stopped"; }, 5000ms));
    const double played =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - playStart).count();
    // Played at the device's pace, then stopped by itself.
    EXPECT_GT(played, 0.5 * static_cast<double>(length) / 176400);
    EXPECT_LT(played, static_cast<double>(length) / 176400 + 1.5);

    ask("save capture c:\\dummy take.wav");
    SF_INFO info{};
    SNDFILE* file = sf_open((dir.path() / "dummy take.wav").c_str(), SFM_READ, &info);
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(info.samplerate, 44100);
    EXPECT_EQ(info.channels, 2);
    EXPECT_EQ(info.format, SF_FORMAT_WAV | SF_FORMAT_PCM_16);
    EXPECT_EQ(static_cast<std::uint64_t>(info.frames), length / 4);
    sf_close(file);
    ask("close capture");
    EXPECT_TRUE(std::filesystem::is_empty(dir.path() / "cache" / "quietfield"));
}

} // namespace
} // namespace qf::mci
