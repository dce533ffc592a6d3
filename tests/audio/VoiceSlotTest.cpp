// A buffer's voice goes back to the mixer when the buffer goes, so a program that makes and
// drops buffers for as long as it runs never runs out of them, and a buffer made in a slot used
// before starts as fresh as the first one did.

#include "tests/audio/SoundTestKit.h"

#include "audio/Mixer.h"
#include "audio/Recording.h"

#include <gtest/gtest.h>

#include <cmath>
#include <thread>

namespace qf::sound {
namespace {

using namespace testkit;

TEST(VoiceSlotTest, BuffersMadeAndDroppedWhileMixingNeverRunOut) {
    TempDir dir;
    const std::string tone = writeTone(dir, "tone.wav", 441.0, 0.4);
    const std::string shortTone = writeTone(dir, "short.wav", 441.0, 0.4, 300);
    auto device = offlineDevice();
    Mixer& mixer = device->mixer();
    auto kept = loadBuffer(*device, tone);

    // Stopped and joined however the test ends.
    std::jthread audio([&](std::stop_token stop) {
        std::vector<float> out(2 * kBlockFrames);
        while (!stop.stop_requested()) {
            mixer.render(out.data(), kBlockFrames);
        }
    });
    // Each one is left in a state a fresh buffer must not inherit: playing, panned hard to one
    // side, quiet, at another rate and place.
    for (int i = 0; i < 1000; ++i) {
        auto passing = loadBuffer(*device, i % 2 == 0 ? shortTone : tone);
        ASSERT_EQ(mixer.liveVoices(), 2u) << "after " << i;
        passing->SetPan(i % 3 == 0 ? DSBPAN_LEFT : DSBPAN_RIGHT);
        passing->SetVolume(-1500);
        passing->SetFrequency(8000 + static_cast<std::uint32_t>(i) * 37);
        passing->SetCurrentPosition(4 * 123);
        passing->Play(i % 4 == 0 ? 0u : DSBPLAY_LOOPING);
        if (i % 10 == 0) {
            std::this_thread::yield();
        }
    }
    audio.request_stop();
    audio.join();
    EXPECT_EQ(mixer.liveVoices(), 1u);

    // A slot every one of them has been through plays its new recording as the first buffer
    // would: full level on both sides, at the recording's own rate, from the start.
    auto fresh = loadBuffer(*device, tone);
    EXPECT_EQ(mixer.liveVoices(), 2u);
    EXPECT_EQ(fresh->GetCurrentPosition(), 0u);
    fresh->Play(DSBPLAY_LOOPING);
    pull(*device, kSettleFrames);
    const auto out = pull(*device, kDeviceRate);
    EXPECT_NEAR(rms(left(out)), 0.4 / std::sqrt(2.0), 0.004);
    EXPECT_NEAR(rms(right(out)), 0.4 / std::sqrt(2.0), 0.004);
    EXPECT_NEAR(toneFrequency(left(out), kDeviceRate), 441.0, 0.5);

    // And every other slot is free again.
    std::vector<std::unique_ptr<VoiceHandle>> all;
    for (std::size_t i = 2; i < Mixer::kMaxVoices; ++i) {
        all.push_back(loadBuffer(*device, shortTone));
    }
    EXPECT_EQ(mixer.liveVoices(), Mixer::kMaxVoices);
}

TEST(VoiceSlotTest, ReleasedVoiceLetsItsRecordingGoAndFallsSilent) {
    Mixer mixer(kDeviceRate);
    auto recording = Recording::fromFrames(std::vector<std::int16_t>(2 * 1000, 9830), kDeviceRate);
    const std::weak_ptr<const Recording> watch = recording;
    Voice* voice = mixer.addVoice(std::move(recording));
    ASSERT_NE(voice, nullptr);
    voice->play(true);
    ASSERT_GT(peak(mixer.render(kSettleFrames)), 0.25);

    mixer.releaseVoice(*voice);
    // No mix was running, so nothing can still be reading it.
    EXPECT_TRUE(watch.expired());
    EXPECT_EQ(mixer.liveVoices(), 0u);
    EXPECT_EQ(peak(mixer.render(kBlockFrames)), 0.0);
}

} // namespace
} // namespace qf::sound
