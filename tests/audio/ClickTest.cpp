// Nothing the interface does may click: every change of level, start, stop or jump is faded.
// A click shows as one sample-to-sample step larger than any the steady tone makes.

#include "tests/audio/SoundTestKit.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <numbers>

namespace qf::sound {
namespace {

using namespace testkit;

// Enough after a change for any fade to finish and the tone to go on steadily.
constexpr std::size_t kAfterFrames = 4096;
// Changes are made at several points of the tone's period (about 109 output frames), so that
// some land near a peak, where a sudden change would step the most.
constexpr std::size_t kOffsets[] = {0, 13, 27, 40, 54, 67, 81, 94};

// Rising (or falling) all the way, but for rounding far below anything audible.
bool rising(std::span<const float> x, float tolerance) {
    for (std::size_t i = 1; i < x.size(); ++i) {
        if (x[i] < x[i - 1] - tolerance) {
            return false;
        }
    }
    return true;
}

bool falling(std::span<const float> x, float tolerance) {
    for (std::size_t i = 1; i < x.size(); ++i) {
        if (x[i] > x[i - 1] + tolerance) {
            return false;
        }
    }
    return true;
}

double largestStep(std::span<const float> stereo) {
    return std::max(maxStep(left(stereo)), maxStep(right(stereo)));
}

class ClickTest : public ::testing::Test {
protected:
    ClickTest() {
        auto device = offlineDevice();
        auto buffer = loadBuffer(*device, tone_);
        buffer->Play(DSBPLAY_LOOPING);
        pull(*device, kSettleFrames);
        steady_ = largestStep(pull(*device, kDeviceRate));
    }

    // The largest step from `lead` frames before `change` until well after it.
    static double stepAcross(SoundDevice& device, std::size_t lead,
                             const std::function<void()>& change) {
        auto out = pull(device, lead);
        change();
        const auto after = pull(device, kAfterFrames);
        out.insert(out.end(), after.begin(), after.end());
        return largestStep(out);
    }

    // Rounding may differ in the last place; a click is orders of magnitude more.
    double allowed() const { return steady_ * (1.0 + 1e-4); }

    TempDir dir_;
    // A cosine starts at its peak, so an abrupt start at the top of the file would step fully.
    std::string tone_ = writeTone(dir_, "cosine.wav", 441.0, kToneAmplitude, kRecordingRate,
                                  kRecordingRate, 2, std::numbers::pi / 2);
    double steady_ = 0.0;
};

TEST_F(ClickTest, SteadyToneIsTheYardstick) {
    // 441 Hz at 48 kHz steps at most 2 A sin(pi f / fs) a sample.
    EXPECT_NEAR(steady_, 2 * kToneAmplitude * std::sin(std::numbers::pi * 441.0 / kDeviceRate),
                0.01 * steady_);
}

TEST_F(ClickTest, VolumeJumpsAreFaded) {
    const std::pair<std::int32_t, std::int32_t> jumps[] = {
        {-3000, 0}, {0, -3000}, {DSBVOLUME_MIN, 0}, {0, DSBVOLUME_MIN}};
    for (const auto& [from, to] : jumps) {
        for (std::size_t offset : kOffsets) {
            SCOPED_TRACE(::testing::Message() << from << " to " << to << " at +" << offset);
            auto device = offlineDevice();
            auto buffer = loadBuffer(*device, tone_);
            buffer->SetVolume(from);
            buffer->Play(DSBPLAY_LOOPING);
            pull(*device, kSettleFrames);
            EXPECT_LE(
                stepAcross(*device, offset + 1, [&, level = to] { buffer->SetVolume(level); }),
                allowed());
        }
    }
}

TEST_F(ClickTest, PanJumpsAreFaded) {
    for (std::size_t offset : kOffsets) {
        SCOPED_TRACE(offset);
        auto device = offlineDevice();
        auto buffer = loadBuffer(*device, tone_);
        buffer->Play(DSBPLAY_LOOPING);
        pull(*device, kSettleFrames);
        EXPECT_LE(stepAcross(*device, offset + 1, [&] { buffer->SetPan(DSBPAN_RIGHT); }),
                  allowed());
        EXPECT_LE(stepAcross(*device, offset + 1, [&] { buffer->SetPan(DSBPAN_LEFT); }), allowed());
    }
}

TEST_F(ClickTest, PlayFadesIn) {
    // Starting at the file's first frame (the cosine's peak) and at other points of a period.
    for (std::uint32_t frame : {0u, 6u, 12u, 19u, 31u, 44u}) {
        SCOPED_TRACE(frame);
        auto device = offlineDevice();
        auto buffer = loadBuffer(*device, tone_);
        buffer->SetCurrentPosition(frame * VoiceHandle::kBytesPerFrame);
        pull(*device, kBlockFrames);
        EXPECT_LE(stepAcross(*device, 8, [&] { buffer->Play(DSBPLAY_LOOPING); }), allowed());
    }
}

TEST_F(ClickTest, StopFadesOut) {
    for (std::size_t offset : kOffsets) {
        SCOPED_TRACE(offset);
        auto device = offlineDevice();
        auto buffer = loadBuffer(*device, tone_);
        buffer->Play(DSBPLAY_LOOPING);
        pull(*device, kSettleFrames);
        EXPECT_LE(stepAcross(*device, offset + 1, [&] { buffer->Stop(); }), allowed());
        // And then it is silent.
        EXPECT_EQ(peak(pull(*device, kBlockFrames)), 0.0);
    }
}

TEST_F(ClickTest, ResumingAndSeekingWhilePlayingAreFaded) {
    for (std::size_t offset : kOffsets) {
        SCOPED_TRACE(offset);
        auto device = offlineDevice();
        auto buffer = loadBuffer(*device, tone_);
        buffer->Play(DSBPLAY_LOOPING);
        pull(*device, kSettleFrames);
        EXPECT_LE(
            stepAcross(*device, offset + 1,
                       [&] { buffer->SetCurrentPosition(1013 * VoiceHandle::kBytesPerFrame); }),
            allowed());
        buffer->Stop();
        pull(*device, kSettleFrames + offset);
        EXPECT_LE(stepAcross(*device, 8, [&] { buffer->Play(DSBPLAY_LOOPING); }), allowed());
    }
}

TEST_F(ClickTest, FadesAreShort) {
    // On a constant level the fade is the envelope itself: it must take a moment, not an
    // instant, and be over within 10 ms so that the controls still feel immediate.
    const std::string path = dir_.file("level.wav");
    const std::int16_t level = 13107; // 0.4 of full scale
    writePcm16(path, kRecordingRate, 2, std::vector<std::int16_t>(2 * kRecordingRate, level));
    const float full = level / 32768.0f;
    const std::size_t tenMs = kDeviceRate / 100;

    auto device = offlineDevice();
    auto buffer = loadBuffer(*device, path);
    buffer->Play(DSBPLAY_LOOPING);
    auto in = left(pull(*device, tenMs));
    EXPECT_LT(in.front(), 0.1f * full);
    EXPECT_TRUE(rising(in, 1e-5f * full));
    EXPECT_FLOAT_EQ(in.back(), full);

    buffer->SetVolume(-600);
    auto down = left(pull(*device, tenMs));
    EXPECT_GT(down.front(), 0.9f * full);
    EXPECT_TRUE(falling(down, 1e-5f * full));
    EXPECT_NEAR(down.back(), full * std::pow(10.0, -0.3), 1e-6);

    buffer->Stop();
    auto out = left(pull(*device, tenMs));
    EXPECT_GT(out.front(), 0.9f * down.back());
    EXPECT_TRUE(falling(out, 1e-5f * full));
    EXPECT_EQ(out.back(), 0.0f);
}

} // namespace
} // namespace qf::sound
