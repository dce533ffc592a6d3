// Volume and pan: what the numbers the engine passes do to the level of each side.

#include "tests/audio/SoundTestKit.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace qf::sound {
namespace {

using namespace testkit;

// 441 Hz has exactly 441 periods in one second at 48 kHz, so an RMS over it has no edge error.
constexpr std::size_t kOneSecond = kDeviceRate;

class LevelTest : public ::testing::Test {
protected:
    // Sides of one second of steady output, taken after every ramp has settled.
    struct Sides {
        double left;
        double right;
    };

    Sides playAt(std::int32_t volume, std::int32_t pan) {
        auto device = offlineDevice();
        auto buffer = loadBuffer(*device, tone_);
        EXPECT_EQ(buffer->SetVolume(volume), SoundResult::Ok);
        EXPECT_EQ(buffer->SetPan(pan), SoundResult::Ok);
        EXPECT_EQ(buffer->Play(DSBPLAY_LOOPING), SoundResult::Ok);
        pull(*device, kSettleFrames);
        const auto out = pull(*device, kOneSecond);
        return {rms(left(out)), rms(right(out))};
    }

    TempDir dir_;
    std::string tone_ = writeTone(dir_, "tone.wav", 441.0, kToneAmplitude);
};

TEST_F(LevelTest, VolumeIsHundredthsOfADecibel) {
    const Sides full = playAt(0, 0);
    // Full level is the recording's own level (RMS of a sine is amplitude / sqrt 2).
    EXPECT_NEAR(full.left / (kToneAmplitude / std::numbers::sqrt2), 1.0, 0.01);
    EXPECT_NEAR(full.right / (kToneAmplitude / std::numbers::sqrt2), 1.0, 0.01);

    for (std::int32_t volume : {-600, -1, -2000, -4500, -9000}) {
        SCOPED_TRACE(volume);
        const double expected = std::pow(10.0, volume / 2000.0);
        const Sides got = playAt(volume, 0);
        EXPECT_NEAR(got.left / full.left / expected, 1.0, 0.01);
        EXPECT_NEAR(got.right / full.right / expected, 1.0, 0.01);
    }
}

TEST_F(LevelTest, LowestVolumeIsSilence) {
    auto device = offlineDevice();
    auto buffer = loadBuffer(*device, tone_);
    ASSERT_EQ(buffer->SetVolume(DSBVOLUME_MIN), SoundResult::Ok);
    buffer->Play(DSBPLAY_LOOPING);
    const auto out = pull(*device, kOneSecond);
    EXPECT_EQ(peak(out), 0.0);
}

TEST_F(LevelTest, PanAttenuatesOnlyTheFarSide) {
    const Sides centre = playAt(0, 0);
    struct Case {
        std::int32_t volume;
        std::int32_t pan;
        double leftDb;
        double rightDb;
    };
    const Case cases[] = {
        {0, 3000, -30.0, 0.0},      {0, -3000, 0.0, -30.0}, {0, 10000, -100.0, 0.0},
        {0, -10000, 0.0, -100.0},   {0, 1, -0.01, 0.0},     {-600, 3000, -36.0, -6.0},
        {-600, -1500, -6.0, -21.0},
    };
    // At the ends of the range the far side is 100 dB down or silent altogether.
    auto expectLevel = [](double got, double wanted) {
        if (wanted <= -100.0) {
            EXPECT_LE(got, -99.9);
        } else {
            EXPECT_NEAR(got, wanted, 0.1);
        }
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "volume " << c.volume << " pan " << c.pan);
        const Sides got = playAt(c.volume, c.pan);
        expectLevel(decibels(got.left / centre.left), c.leftDb);
        expectLevel(decibels(got.right / centre.right), c.rightDb);
    }
}

TEST_F(LevelTest, OutOfRangeValuesAreRefusedAndChangeNothing) {
    auto device = offlineDevice();
    auto buffer = loadBuffer(*device, tone_);
    ASSERT_EQ(buffer->SetVolume(-600), SoundResult::Ok);
    ASSERT_EQ(buffer->SetPan(3000), SoundResult::Ok);
    buffer->Play(DSBPLAY_LOOPING);
    pull(*device, kSettleFrames);
    const auto before = pull(*device, kOneSecond);

    EXPECT_EQ(buffer->SetVolume(1), SoundResult::InvalidParam);
    EXPECT_EQ(buffer->SetVolume(-10001), SoundResult::InvalidParam);
    EXPECT_EQ(buffer->SetPan(10001), SoundResult::InvalidParam);
    EXPECT_EQ(buffer->SetPan(-10001), SoundResult::InvalidParam);
    EXPECT_EQ(buffer->GetVolume(), -600);
    EXPECT_EQ(buffer->GetPan(), 3000);

    pull(*device, kSettleFrames);
    const auto after = pull(*device, kOneSecond);
    EXPECT_NEAR(rms(left(after)), rms(left(before)), 1e-4 * rms(left(before)));
    EXPECT_NEAR(rms(right(after)), rms(right(before)), 1e-4 * rms(right(before)));
}

TEST_F(LevelTest, ControlsMissingFromTheFlagsAreUnavailable) {
    auto device = offlineDevice();
    auto plain = loadBuffer(*device, tone_, DSBCAPS_STATIC);
    EXPECT_EQ(plain->SetVolume(-600), SoundResult::ControlUnavailable);
    EXPECT_EQ(plain->SetPan(3000), SoundResult::ControlUnavailable);
    EXPECT_EQ(plain->SetFrequency(11025), SoundResult::ControlUnavailable);
    EXPECT_EQ(plain->GetFrequency(), kRecordingRate);

    // Each control flag enables its own control and no other.
    auto volumeOnly = loadBuffer(*device, tone_, DSBCAPS_CTRLVOLUME);
    EXPECT_EQ(volumeOnly->SetVolume(-600), SoundResult::Ok);
    EXPECT_EQ(volumeOnly->SetPan(3000), SoundResult::ControlUnavailable);
    auto panOnly = loadBuffer(*device, tone_, DSBCAPS_CTRLPAN);
    EXPECT_EQ(panOnly->SetPan(3000), SoundResult::Ok);
    EXPECT_EQ(panOnly->SetFrequency(11025), SoundResult::ControlUnavailable);
    auto frequencyOnly = loadBuffer(*device, tone_, DSBCAPS_CTRLFREQUENCY);
    EXPECT_EQ(frequencyOnly->SetFrequency(11025), SoundResult::Ok);
    EXPECT_EQ(frequencyOnly->SetVolume(-600), SoundResult::ControlUnavailable);
}

} // namespace
} // namespace qf::sound
