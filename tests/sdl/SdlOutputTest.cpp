// The real output through SDL2. SDL's `dummy` driver pulls the mixer from its own thread at
// the pace of a real device but makes no sound, so these run on machines without any.

#include "tests/audio/SoundTestKit.h"

#include "platform/device/AudioSystem.h"
#include "platform/device/DeviceAudioOutput.h"
#include "platform/sdl/SdlBackend.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <thread>

namespace qf::sound {
namespace {

using namespace testkit;
using namespace std::chrono_literals;

// Waits up to `limit` for the buffer to have moved past `from`; returns where it is then.
std::uint32_t waitForProgress(const VoiceHandle& buffer, std::uint32_t from,
                              std::chrono::milliseconds limit) {
    const auto until = std::chrono::steady_clock::now() + limit;
    std::uint32_t now = buffer.GetCurrentPosition();
    while (now == from && std::chrono::steady_clock::now() < until) {
        std::this_thread::sleep_for(5ms);
        now = buffer.GetCurrentPosition();
    }
    return now;
}

TEST(SdlOutputTest, DummyDriverPullsTheMixer) {
    ASSERT_EQ(setenv("SDL_AUDIODRIVER", "dummy", 1), 0);
    TempDir dir;
    // Ten seconds, so the position cannot wrap round while it is being watched.
    const std::string tone = writeTone(dir, "tone.wav", 441.0, 0.4, 10 * kRecordingRate);

    AudioSystem audio(std::make_unique<SdlBackend>());
    DirectSound root(DeviceAudioOutput::factory(audio));
    std::unique_ptr<SoundDevice> device;
    std::string reason;
    ASSERT_EQ(root.DirectSoundCreate("", device, &reason), SoundResult::Ok) << reason;
    auto* output = dynamic_cast<DeviceAudioOutput*>(device->output());
    ASSERT_NE(output, nullptr);
    // The mixer runs at whatever rate the device really took, and a period fits the request.
    EXPECT_GT(output->sampleRate(), 0);
    EXPECT_EQ(device->mixer().deviceRate(), output->sampleRate());
    EXPECT_GT(output->periodFrames(), 0);
    EXPECT_LE(output->periodFrames(), DeviceAudioOutput::kPeriodFrames);

    auto buffer = loadBuffer(*device, tone);
    EXPECT_EQ(buffer->GetCurrentPosition(), 0u);
    buffer->Play(DSBPLAY_LOOPING);
    const auto started = std::chrono::steady_clock::now();
    ASSERT_NE(waitForProgress(*buffer, 0, 2000ms), 0u) << "the device never pulled the mixer";
    std::this_thread::sleep_for(300ms);
    const std::uint32_t playedBytes = buffer->GetCurrentPosition();
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    // The dummy device keeps roughly to real time, as a sound card would.
    const double playedSeconds = playedBytes / 4.0 / kRecordingRate;
    EXPECT_GT(playedSeconds, 0.1);
    EXPECT_LT(playedSeconds, seconds + 0.2);

    // Stopped, the position comes to rest and stays.
    buffer->Stop();
    std::this_thread::sleep_for(100ms);
    const std::uint32_t stopped = buffer->GetCurrentPosition();
    std::this_thread::sleep_for(200ms);
    EXPECT_EQ(buffer->GetCurrentPosition(), stopped);
    EXPECT_EQ(output->reopenCount(), 0);

    // Closing while it plays, buffer last, is clean (sanitizers check the rest).
    buffer->Play(DSBPLAY_LOOPING);
    EXPECT_NE(waitForProgress(*buffer, stopped, 2000ms), stopped);
    device.reset();
    buffer.reset();

    // And the output can be opened again after closing.
    ASSERT_EQ(root.DirectSoundCreate("", device, &reason), SoundResult::Ok) << reason;
    buffer = loadBuffer(*device, tone);
    buffer->Play(DSBPLAY_LOOPING);
    EXPECT_NE(waitForProgress(*buffer, 0, 2000ms), 0u);
}

TEST(SdlOutputTest, UnknownDriverIsNoDriver) {
    ASSERT_EQ(setenv("SDL_AUDIODRIVER", "no-such-audio-driver", 1), 0);
    AudioSystem audio(std::make_unique<SdlBackend>());
    DirectSound root(DeviceAudioOutput::factory(audio));
    std::unique_ptr<SoundDevice> device;
    std::string reason;
    EXPECT_EQ(root.DirectSoundCreate("", device, &reason), SoundResult::NoDriver);
    EXPECT_EQ(device, nullptr);
    EXPECT_FALSE(reason.empty());
}

} // namespace
} // namespace qf::sound
