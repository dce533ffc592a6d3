// Where a buffer plays from: stopping keeps the place, seeking moves it, looping wraps it.

#include "tests/audio/SoundTestKit.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace qf::sound {
namespace {

using namespace testkit;

// A slow ramp says by its value where in the recording the output came from.
constexpr std::size_t kRampFrames = 2 * kRecordingRate;
constexpr double kRampLow = -0.45;
constexpr double kRampSpan = 0.9;
// Recording frames advanced per output frame at the recording's own rate.
constexpr double kStep = static_cast<double>(kRecordingRate) / kDeviceRate;

double frameOf(float value) {
    return (value - kRampLow) / kRampSpan * kRampFrames;
}

std::uint32_t framesAt(const VoiceHandle& buffer) {
    return buffer.GetCurrentPosition() / VoiceHandle::kBytesPerFrame;
}

class PositionTest : public ::testing::Test {
protected:
    PositionTest() {
        std::vector<float> ramp(2 * kRampFrames);
        for (std::size_t f = 0; f < kRampFrames; ++f) {
            ramp[2 * f] = ramp[2 * f + 1] =
                static_cast<float>(kRampLow + kRampSpan * static_cast<double>(f) / kRampFrames);
        }
        writePcm16(ramp_, kRecordingRate, 2, toPcm16(ramp));
        buffer_ = loadBuffer(*device_, ramp_);
    }

    TempDir dir_;
    std::string ramp_ = dir_.file("ramp.wav");
    std::unique_ptr<SoundDevice> device_ = offlineDevice();
    std::unique_ptr<VoiceHandle> buffer_;
};

TEST_F(PositionTest, StopKeepsThePlaceAndPlayResumesFromIt) {
    EXPECT_EQ(framesAt(*buffer_), 0u);
    buffer_->Play(DSBPLAY_LOOPING);
    pull(*device_, kDeviceRate / 2);
    const double reached = kDeviceRate / 2 * kStep;
    EXPECT_NEAR(framesAt(*buffer_), reached, 1.0);

    buffer_->Stop();
    pull(*device_, kSettleFrames);
    const std::uint32_t stopped = framesAt(*buffer_);
    // The fade-out may carry it on a little (under 10 ms), no more.
    EXPECT_GE(stopped, reached - 1);
    EXPECT_LE(stopped, reached + 0.010 * kRecordingRate);
    EXPECT_FALSE(buffer_->IsPlaying());

    // Stopped, it neither moves nor sounds.
    const auto silent = pull(*device_, kDeviceRate);
    EXPECT_EQ(peak(silent), 0.0);
    EXPECT_EQ(framesAt(*buffer_), stopped);

    buffer_->Play(DSBPLAY_LOOPING);
    pull(*device_, kSettleFrames);
    const auto resumed = pull(*device_, 1);
    const double expected = stopped + kSettleFrames * kStep;
    // The sound itself comes from where it stopped, not from the start.
    EXPECT_NEAR(frameOf(resumed[0]), expected, 4.0);
    EXPECT_NEAR(frameOf(resumed[1]), expected, 4.0);
    EXPECT_NEAR(framesAt(*buffer_), expected, 2.0);
}

TEST_F(PositionTest, SettingPositionZeroRestartsFromTheBeginning) {
    // Each way the engine may restart a buffer that has been playing for a while.
    enum class Way { WhilePlaying, StopSeekPlay, StopRenderSeekRenderPlay };
    for (Way way : {Way::WhilePlaying, Way::StopSeekPlay, Way::StopRenderSeekRenderPlay}) {
        SCOPED_TRACE(static_cast<int>(way));
        auto device = offlineDevice();
        auto buffer = loadBuffer(*device, ramp_);
        buffer->Play(DSBPLAY_LOOPING);
        pull(*device, kDeviceRate);
        ASSERT_GT(framesAt(*buffer), kRampFrames / 3);

        if (way != Way::WhilePlaying) {
            buffer->Stop();
        }
        if (way == Way::StopRenderSeekRenderPlay) {
            pull(*device, kSettleFrames);
        }
        ASSERT_EQ(buffer->SetCurrentPosition(0), SoundResult::Ok);
        EXPECT_EQ(buffer->GetCurrentPosition(), 0u);
        if (way == Way::StopRenderSeekRenderPlay) {
            pull(*device, kSettleFrames);
            EXPECT_EQ(buffer->GetCurrentPosition(), 0u);
        }
        if (way != Way::WhilePlaying) {
            buffer->Play(DSBPLAY_LOOPING);
        }

        // Fading out the old place, jumping and fading in take a few periods at most.
        const std::size_t window = 8 * kBlockFrames;
        pull(*device, window);
        const std::uint32_t now = framesAt(*buffer);
        EXPECT_LE(now, window * kStep + 1);
        EXPECT_GT(now, 0u);
        const auto out = pull(*device, 1);
        EXPECT_NEAR(frameOf(out[0]), now, 4.0);
    }
}

TEST_F(PositionTest, PlayStartsFromAnyPositionSet) {
    const std::uint32_t target = 30000;
    ASSERT_EQ(buffer_->SetCurrentPosition(target * VoiceHandle::kBytesPerFrame + 3),
              SoundResult::Ok);
    EXPECT_EQ(framesAt(*buffer_), target);
    buffer_->Play(DSBPLAY_LOOPING);
    pull(*device_, kSettleFrames + kBlockFrames);
    // It plays on from the position set; making the jump may cost one period of silence.
    const std::uint32_t now = framesAt(*buffer_);
    EXPECT_GE(now, target + kSettleFrames * kStep - 1);
    EXPECT_LE(now, target + (kSettleFrames + kBlockFrames) * kStep + 1);
    const auto out = pull(*device_, 1);
    EXPECT_NEAR(frameOf(out[0]), now, 4.0);
}

TEST_F(PositionTest, PositionReadAfterASeekIsTheNewPlaceWhileTheJumpIsMade) {
    buffer_->Play(DSBPLAY_LOOPING);
    pull(*device_, kDeviceRate);
    const std::uint32_t target = 5000;
    ASSERT_GT(framesAt(*buffer_), 4 * target);
    ASSERT_EQ(buffer_->SetCurrentPosition(target * VoiceHandle::kBytesPerFrame), SoundResult::Ok);
    // Fading out the old place and jumping take a few short periods; meanwhile the position is
    // already the new one, and from then on it only moves on from there.
    const std::size_t shortPeriod = 64;
    for (std::size_t period = 1; period <= 12; ++period) {
        SCOPED_TRACE(period);
        pull(*device_, shortPeriod, shortPeriod);
        const std::uint32_t now = framesAt(*buffer_);
        EXPECT_GE(now, target);
        EXPECT_LE(now, target + period * shortPeriod * kStep + 1);
    }
}

TEST_F(PositionTest, PositionsPastTheEndAreRefused) {
    ASSERT_EQ(buffer_->SetCurrentPosition(1000 * VoiceHandle::kBytesPerFrame), SoundResult::Ok);
    EXPECT_EQ(buffer_->SetCurrentPosition(kRampFrames * VoiceHandle::kBytesPerFrame),
              SoundResult::InvalidParam);
    EXPECT_EQ(buffer_->SetCurrentPosition(0xFFFFFFFFu), SoundResult::InvalidParam);
    EXPECT_EQ(framesAt(*buffer_), 1000u);
    EXPECT_EQ(buffer_->SetCurrentPosition((kRampFrames - 1) * VoiceHandle::kBytesPerFrame),
              SoundResult::Ok);
}

TEST_F(PositionTest, OneShotPlayEndsWithTheRecordingAndStartsAgainFromTheTop) {
    buffer_->Play(0);
    const std::size_t recordingLength = static_cast<std::size_t>(kRampFrames / kStep);
    pull(*device_, recordingLength - kDeviceRate / 10);
    EXPECT_TRUE(buffer_->IsPlaying());
    pull(*device_, kDeviceRate / 10 + kBlockFrames);
    EXPECT_FALSE(buffer_->IsPlaying());
    EXPECT_EQ(peak(pull(*device_, kDeviceRate / 4)), 0.0);
    EXPECT_EQ(framesAt(*buffer_), 0u);

    buffer_->Play(0);
    pull(*device_, kSettleFrames);
    const auto out = pull(*device_, 1);
    EXPECT_NEAR(frameOf(out[0]), kSettleFrames * kStep, 4.0);
}

// Steps of the output near each loop point, and everywhere else once the start has settled.
struct WrapSteps {
    double nearWrap = 0.0;
    double elsewhere = 0.0;
    int wraps = 0;
};

WrapSteps stepsAroundWraps(const std::string& path, std::size_t loopFrames, std::uint32_t hertz) {
    auto device = offlineDevice();
    auto buffer = loadBuffer(*device, path);
    buffer->SetFrequency(hertz);
    buffer->Play(DSBPLAY_LOOPING);
    const auto out = left(pull(*device, kDeviceRate));
    const double step = static_cast<double>(hertz) / kDeviceRate;

    std::vector<bool> near(out.size(), false);
    WrapSteps result;
    for (int k = 1;; ++k) {
        const auto at = static_cast<std::size_t>(std::ceil(k * loopFrames / step));
        if (at + 8 >= out.size()) {
            break;
        }
        std::fill(near.begin() + static_cast<std::ptrdiff_t>(at - 8),
                  near.begin() + static_cast<std::ptrdiff_t>(at + 8), true);
        ++result.wraps;
    }
    for (std::size_t i = kSettleFrames; i < out.size(); ++i) {
        const double s = std::abs(static_cast<double>(out[i]) - out[i - 1]);
        double& top = near[i] ? result.nearWrap : result.elsewhere;
        top = std::max(top, s);
    }
    return result;
}

TEST_F(PositionTest, LoopingWrapsWithoutADiscontinuity) {
    // 44 whole periods of 441 Hz: a seamless loop, wrapped many times a second.
    const std::size_t loop = 2200;
    const std::string seamless = writeTone(dir_, "seamless.wav", 441.0, 0.4, loop);
    for (std::uint32_t hertz : {22050u, 30011u, 13001u, 96000u}) {
        SCOPED_TRACE(hertz);
        const WrapSteps steps = stepsAroundWraps(seamless, loop, hertz);
        ASSERT_GE(steps.wraps, 5);
        EXPECT_LE(steps.nearWrap, steps.elsewhere * (1.0 + 1e-4));
    }

    // The same measure does see a seam when there is one: the recording is cut near a trough
    // here, so it jumps back to zero at each wrap.
    const std::size_t cut = loop - 13;
    const std::string seamed = writeTone(dir_, "seamed.wav", 441.0, 0.4, cut);
    const WrapSteps steps = stepsAroundWraps(seamed, cut, 22050);
    EXPECT_GT(steps.nearWrap, steps.elsewhere * 1.5);
}

TEST_F(PositionTest, LoopShorterThanOneOutputStepStillLoops) {
    // A few frames read at the highest rate on a slow device: every output frame jumps over
    // the whole loop more than once. A constant recording must give back the constant.
    for (std::size_t frames : {1u, 2u, 3u, 5u, 24u}) {
        SCOPED_TRACE(frames);
        const std::string path = dir_.file("short" + std::to_string(frames) + ".wav");
        writePcm16(path, kRecordingRate, 2, std::vector<std::int16_t>(2 * frames, 9830));
        auto device = fixedRateDevice(8000);
        auto buffer = loadBuffer(*device, path);
        ASSERT_EQ(buffer->SetFrequency(DSBFREQUENCY_MAX), SoundResult::Ok);
        buffer->Play(DSBPLAY_LOOPING);
        pull(*device, kSettleFrames);
        const auto out = pull(*device, 4000);
        for (float x : out) {
            ASSERT_EQ(x, 9830.0f / 32768.0f);
        }
        EXPECT_LT(framesAt(*buffer), frames);
    }
}

} // namespace
} // namespace qf::sound
