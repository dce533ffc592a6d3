// The interface thread and the audio thread share each voice through atomics only. These tests
// put interface calls between the audio thread's look at a voice and its mixing of the period,
// where a real audio thread may be preempted at any time, and check that nothing asked is lost
// or written over.

#include "tests/audio/SoundTestKit.h"

#include "audio/Mixer.h"
#include "audio/Recording.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

namespace qf::sound {
namespace {

using namespace testkit;

constexpr std::size_t kPeriod = 512;
// Read at the device's own rate, so that one output frame is one recorded frame.
constexpr int kRate = kDeviceRate;

class VoiceInterleavingTest : public ::testing::Test {
protected:
    // A recording whose value tells the frame it came from, and is nowhere zero.
    static float valueAt(std::size_t frame) {
        return (static_cast<float>(frame) - 20000.5f) / 32768.0f;
    }
    void attach(std::size_t frames) {
        std::vector<std::int16_t> ramp(2 * frames);
        for (std::size_t f = 0; f < frames; ++f) {
            ramp[2 * f] = ramp[2 * f + 1] = static_cast<std::int16_t>(valueAt(f) * 32768.0f);
        }
        voice_ = mixer_.addVoice(Recording::fromFrames(ramp, kRate));
        ASSERT_NE(voice_, nullptr);
    }

    // One period mixed by the audio thread, with `meanwhile` done by the interface after the
    // audio thread has looked at the voice and before it mixes.
    std::vector<float> period(const std::function<void()>& meanwhile = [] {}) {
        const Voice::Period seen = voice_->snapshot();
        meanwhile();
        std::vector<float> out(2 * kPeriod);
        voice_->mix(seen, out.data(), kPeriod);
        return out;
    }

    Mixer mixer_{kDeviceRate};
    Voice* voice_ = nullptr;
};

TEST_F(VoiceInterleavingTest, PlayArrivingAsAOneShotEndsStartsItAgain) {
    // 1800 frames: the fourth period reaches the end.
    attach(1800);
    voice_->play(false);
    for (int i = 0; i < 3; ++i) {
        period();
    }
    ASSERT_TRUE(voice_->isPlaying());
    const auto ending = period([&] { voice_->play(false); });
    // The end was reached and the recording was heard to it ...
    EXPECT_NE(ending[2 * (1800 - 3 * kPeriod) - 2], 0.0f);
    EXPECT_EQ(ending[2 * (1800 - 3 * kPeriod)], 0.0f);
    // ... but the Play that came meanwhile stands: it plays again, fading in from the top.
    EXPECT_TRUE(voice_->isPlaying());
    EXPECT_EQ(voice_->position(), 0u);
    const auto again = period();
    EXPECT_GT(peak(again), 0.0);
    EXPECT_EQ(voice_->position(), kPeriod);
}

TEST_F(VoiceInterleavingTest, OneShotEndsWhenNothingIsAskedMeanwhile) {
    attach(1800);
    voice_->play(false);
    for (int i = 0; i < 3; ++i) {
        period();
    }
    // A Play while it still plays, before the audio thread looks: nothing to start.
    voice_->play(false);
    period();
    EXPECT_FALSE(voice_->isPlaying());
    EXPECT_EQ(peak(period()), 0.0);
    EXPECT_EQ(voice_->position(), 0u);
}

TEST_F(VoiceInterleavingTest, StopArrivingAsAOneShotEndsStopsIt) {
    attach(1800);
    voice_->play(false);
    for (int i = 0; i < 3; ++i) {
        period();
    }
    period([&] { voice_->stop(); });
    EXPECT_FALSE(voice_->isPlaying());
    EXPECT_EQ(peak(period()), 0.0);
}

TEST_F(VoiceInterleavingTest, SeekDuringAPeriodIsReportedUntilItIsMade) {
    attach(40000);
    // While silent: the audio thread would report its own place at the end of the period.
    period([&] { voice_->seek(30000); });
    EXPECT_EQ(voice_->position(), 30000u);
    period();
    EXPECT_EQ(voice_->position(), 30000u);

    // While playing: the old place fades out, then the jump is made and play goes on from there.
    voice_->play(true);
    period();
    period();
    ASSERT_EQ(voice_->position(), 30000u + 2 * kPeriod);
    period([&] { voice_->seek(5000); });
    EXPECT_EQ(voice_->position(), 5000u);
    period();
    EXPECT_EQ(voice_->position(), 5000u);
    const auto resumed = period();
    EXPECT_EQ(voice_->position(), 5000u + kPeriod);
    // And the sound is the recording from the new place.
    EXPECT_NEAR(resumed[2 * (kPeriod - 1)], valueAt(5000 + kPeriod - 1), 1.0f / 32768);
}

TEST_F(VoiceInterleavingTest, LaterSeekWinsOverOneBeingMade) {
    attach(40000);
    period([&] { voice_->seek(7000); });
    // The audio thread makes the first jump while the second seek comes in.
    period([&] { voice_->seek(9000); });
    EXPECT_EQ(voice_->position(), 9000u);
    period();
    voice_->play(true);
    const auto out = period();
    EXPECT_EQ(voice_->position(), 9000u + kPeriod);
    EXPECT_NEAR(out[2 * (kPeriod - 1)], valueAt(9000 + kPeriod - 1), 1.0f / 32768);
}

} // namespace
} // namespace qf::sound
