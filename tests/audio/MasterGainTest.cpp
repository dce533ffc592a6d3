// The level of the whole mix, as pausing and the sleep timer fade it. A steady recording makes
// the gain itself visible sample by sample; a tone shows the sound coming back as it was.

#include "tests/audio/SoundTestKit.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace qf::sound {
namespace {

using namespace testkit;

constexpr float kSteady = 0.25f;
constexpr std::size_t kFadeFrames = 14400; // 0.3 s at 48 kHz
constexpr std::size_t kSecond = kDeviceRate;

class MasterGainTest : public ::testing::Test {
protected:
    // A looping recording of one constant value: the output is that value times the gains.
    void startSteady() {
        const std::vector<std::int16_t> samples(2 * kRecordingRate,
                                                static_cast<std::int16_t>(kSteady * 32768));
        const std::string path = dir_.file("steady.wav");
        writePcm16(path, kRecordingRate, 2, samples);
        buffer_ = loadBuffer(*device_, path);
        buffer_->Play(DSBPLAY_LOOPING);
    }
    void playSteady() {
        startSteady();
        steady_ = pull(*device_, kSecond).back();
    }

    MasterGain& master() { return device_->mixer().master(); }

    TempDir dir_;
    std::unique_ptr<SoundDevice> device_ = offlineDevice();
    std::unique_ptr<VoiceHandle> buffer_;
    float steady_ = 0.0f;
};

// The largest change from one frame to the next, on the left side, with the frame before.
double largestStep(float before, std::span<const float> stereo) {
    double step = 0.0;
    float last = before;
    for (std::size_t i = 0; i < stereo.size(); i += 2) {
        step = std::max(step, static_cast<double>(std::fabs(stereo[i] - last)));
        last = stereo[i];
    }
    return step;
}

TEST_F(MasterGainTest, PauseFadesToSilenceInAThirdOfASecondInEvenSteps) {
    playSteady();
    ASSERT_NEAR(steady_, kSteady, 0.01f);
    // The largest step a 0.3 s fade of the whole level may take.
    const double rampStep = steady_ / kFadeFrames * 1.001;

    master().fadeTo(0.0f, 0.3);
    const auto fade = pull(*device_, kFadeFrames + kBlockFrames);
    EXPECT_GT(fade[2 * (kFadeFrames - 2)], 0.0f) << "silent before the 0.3 s were up";
    EXPECT_EQ(fade[2 * (kFadeFrames - 1)], 0.0f) << "not silent after 0.3 s";
    EXPECT_LE(largestStep(steady_, fade), rampStep);
    EXPECT_TRUE(master().settled());
    EXPECT_EQ(master().level(), 0.0f);

    // Played again half-way down a new fade: it turns back from where it got to, no jump.
    master().fadeTo(1.0f, 0.3);
    auto out = pull(*device_, kFadeFrames / 2);
    master().fadeTo(0.0f, 0.3);
    const auto more = pull(*device_, kFadeFrames / 4);
    out.insert(out.end(), more.begin(), more.end());
    master().fadeTo(1.0f, 0.3);
    const auto back = pull(*device_, kFadeFrames + kBlockFrames);
    out.insert(out.end(), back.begin(), back.end());
    EXPECT_LE(largestStep(0.0f, out), rampStep);
    EXPECT_FLOAT_EQ(out.back(), steady_);
}

TEST_F(MasterGainTest, PlayFadesBackToTheSameLevelFromWhereItStopped) {
    buffer_ = loadBuffer(*device_, writeTone(dir_, "tone.wav", 441.0, 0.4));
    buffer_->Play(DSBPLAY_LOOPING);
    pull(*device_, kSettleFrames);
    const auto before = pull(*device_, kSecond);
    const double steadyStep = std::max(maxStep(left(before)), maxStep(right(before)));

    master().fadeTo(0.0f, 0.3);
    pull(*device_, kFadeFrames + kBlockFrames);
    // Silent, nothing is mixed: the recording waits where it was.
    const std::uint32_t stoppedAt = buffer_->GetCurrentPosition();
    const auto silence = pull(*device_, kSecond);
    EXPECT_EQ(peak(silence), 0.0);
    EXPECT_EQ(buffer_->GetCurrentPosition(), stoppedAt);

    master().fadeTo(1.0f, 0.3);
    const auto fadeIn = pull(*device_, kFadeFrames + kBlockFrames);
    EXPECT_NE(buffer_->GetCurrentPosition(), stoppedAt);
    // Scaling a tone down never steepens it, so a fade in steps no more than the tone does.
    EXPECT_LE(std::max(maxStep(left(fadeIn)), maxStep(right(fadeIn))), steadyStep * 1.001);
    const auto after = pull(*device_, kSecond);
    EXPECT_NEAR(decibels(rms(after) / rms(before)), 0.0, 0.01);
}

// The start: silence rising evenly to the level, whenever the output first mixes, and again
// from silence when what was rendered before the rise was asked is rendered again.
TEST_F(MasterGainTest, AStartRisesFromSilenceAlsoWhenRenderedAgain) {
    startSteady();
    Mixer::Resume before{};
    device_->mixer().save(before);
    master().riseFromSilence(1.0f, 0.3);
    for (int take = 0; take < 2; ++take) {
        SCOPED_TRACE(take);
        const auto rise = pull(*device_, kFadeFrames + kBlockFrames);
        // The recording's own 5 ms start comes on top: twice the rise's step at most.
        const double rampStep = 2 * kSteady / kFadeFrames * 1.01;
        EXPECT_LE(rise[0], rampStep) << "the rise began above silence";
        EXPECT_LE(largestStep(0.0f, rise), rampStep);
        EXPECT_NEAR(rise.back(), kSteady, 0.01f);
        // Put back to before the rise was asked for, as a queue written over is.
        device_->mixer().restore(before);
    }
}

TEST_F(MasterGainTest, SleepFadeFallsSixtyDecibelsEvenlyOverAMinute) {
    playSteady();
    master().fadeTo(0.001f, 60.0, MasterGain::Curve::Decibels);
    // Where the level must be, in seconds into the fade: down one decibel a second.
    const std::vector<double> checks{1, 6, 15, 30, 45, 59.5, 60};
    std::size_t next = 0;
    // Each block falls by the same number of decibels: 512 / 48000 of one.
    const double blockDrop = static_cast<double>(kBlockFrames) / kDeviceRate;
    double worstDrop = 0.0;
    float last = steady_;
    for (std::size_t frame = 0; frame < 60 * kSecond; frame += kBlockFrames) {
        const auto out = pull(*device_, kBlockFrames);
        const float blockStart = last;
        for (std::size_t i = 0; i < out.size(); i += 2) {
            ASSERT_LT(out[i], last) << "not falling at frame " << frame + i / 2;
            last = out[i];
        }
        worstDrop =
            std::max(worstDrop, std::fabs(decibels(blockStart / last) - blockDrop) / blockDrop);
        const double seconds = static_cast<double>(frame + kBlockFrames) / kDeviceRate;
        if (next < checks.size() && seconds >= checks[next]) {
            EXPECT_NEAR(decibels(out.back() / steady_), -checks[next], 0.01)
                << "at " << checks[next] << " s";
            ++next;
        }
    }
    EXPECT_EQ(next, checks.size());
    EXPECT_LT(worstDrop, 0.01) << "a block fell more or less than its share";
    EXPECT_TRUE(master().settled());

    // Then silence, without a step above the floor's own size.
    master().fadeTo(0.0f, 0.3);
    const auto end = pull(*device_, kFadeFrames + kBlockFrames);
    EXPECT_EQ(end.back(), 0.0f);
    EXPECT_LE(largestStep(last, end), steady_ * 0.001 / kFadeFrames * 1.001);
}

} // namespace
} // namespace qf::sound
