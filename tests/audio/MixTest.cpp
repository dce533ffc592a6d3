// The sum of all buffers: loud mixes are held inside full scale, quiet ones are left alone.

#include "tests/audio/SoundTestKit.h"

#include "audio/SoftLimiter.h"

#include <gtest/gtest.h>

#include <cmath>

namespace qf::sound {
namespace {

using namespace testkit;

TEST(SoftLimiterTest, PassesEverythingUpToTheKneeUntouched) {
    for (int i = -1'000'000; i <= 1'000'000; ++i) {
        const float x = SoftLimiter::kKnee * static_cast<float>(i) / 1'000'000.0f;
        ASSERT_EQ(SoftLimiter::process(x), x) << x;
    }
    EXPECT_EQ(SoftLimiter::process(0.5f), 0.5f);
    EXPECT_EQ(SoftLimiter::process(-0.5f), -0.5f);
}

TEST(SoftLimiterTest, AboveTheKneeBendsSmoothlyAndStaysInside) {
    float previous = SoftLimiter::process(SoftLimiter::kKnee);
    for (int i = 1; i <= 1'000'000; ++i) {
        // From the knee to 64 times full scale, more than every voice at once can reach.
        const float x = SoftLimiter::kKnee + 64.0f * static_cast<float>(i) / 1'000'000.0f;
        const float y = SoftLimiter::process(x);
        ASSERT_LT(y, 1.0f) << x;
        ASSERT_LE(y, x) << x;
        ASSERT_GE(y, previous) << x;
        ASSERT_EQ(SoftLimiter::process(-x), -y) << x;
        previous = y;
    }
    for (float huge : {1e3f, 1e6f, 1e9f}) {
        EXPECT_LE(SoftLimiter::process(huge), 1.0f);
        EXPECT_GE(SoftLimiter::process(-huge), -1.0f);
    }
    // No corner at the knee: the slope just above it is still about one.
    const float h = 1e-3f;
    const float slope = (SoftLimiter::process(SoftLimiter::kKnee + h) - SoftLimiter::kKnee) / h;
    EXPECT_NEAR(slope, 1.0f, 0.01f);
}

class MixTest : public ::testing::Test {
protected:
    TempDir dir_;
};

TEST_F(MixTest, FiveLoudChannelsNeverExceedFullScale) {
    // Full-scale noise, near-full-scale tones and a square wave, whose interpolation overshoots.
    const std::size_t frames = kRecordingRate;
    std::vector<std::string> paths;
    paths.push_back(dir_.file("noise1.wav"));
    writePcm16(paths.back(), kRecordingRate, 2, toPcm16(noise(frames, 2, 1.0, 1)));
    paths.push_back(dir_.file("noise2.wav"));
    writePcm16(paths.back(), kRecordingRate, 2, toPcm16(noise(frames, 2, 1.0, 2)));
    paths.push_back(writeTone(dir_, "tone1.wav", 441.0, 0.99));
    paths.push_back(writeTone(dir_, "tone2.wav", 63.0, 0.99));
    std::vector<std::int16_t> square(2 * frames);
    for (std::size_t f = 0; f < frames; ++f) {
        square[2 * f] = square[2 * f + 1] = (f / 25) % 2 == 0 ? 32767 : -32768;
    }
    paths.push_back(dir_.file("square.wav"));
    writePcm16(paths.back(), kRecordingRate, 2, square);

    auto device = offlineDevice();
    std::vector<std::unique_ptr<VoiceHandle>> buffers;
    for (const auto& path : paths) {
        buffers.push_back(loadBuffer(*device, path));
        buffers.back()->Play(DSBPLAY_LOOPING);
    }
    auto out = pull(*device, 2 * kDeviceRate);
    // Changing rates and pans on the way, so that ramps and odd read steps are mixed too.
    for (std::size_t i = 0; i < buffers.size(); ++i) {
        buffers[i]->SetFrequency(static_cast<std::uint32_t>(15000 + 7919 * i));
        buffers[i]->SetPan(i % 2 == 0 ? 2000 : -2000);
    }
    const auto more = pull(*device, 2 * kDeviceRate);
    out.insert(out.end(), more.begin(), more.end());

    for (float x : out) {
        ASSERT_TRUE(std::isfinite(x));
        ASSERT_LE(std::abs(x), 1.0f);
    }
    // The mix was really loud enough to need holding in.
    EXPECT_GT(peak(out), 0.9);
}

TEST_F(MixTest, QuietVoiceAtItsOwnRateComesOutBitExact) {
    // On a device at the recording's own rate each output frame is one recorded frame.
    const std::size_t frames = kRecordingRate;
    const auto samples = toPcm16(noise(frames, 2, 0.45, 3));
    const std::string path = dir_.file("quiet.wav");
    writePcm16(path, kRecordingRate, 2, samples);

    auto device = fixedRateDevice(kRecordingRate);
    auto buffer = loadBuffer(*device, path);
    buffer->Play(DSBPLAY_LOOPING);
    pull(*device, kSettleFrames);
    const auto out = pull(*device, frames);
    for (std::size_t i = 0; i < out.size(); ++i) {
        const std::size_t at = (2 * kSettleFrames + i) % samples.size();
        ASSERT_EQ(out[i], samples[at] / 32768.0f) << i;
    }
}

TEST_F(MixTest, LimiterTouchesOnlySamplesAboveTheKnee) {
    const std::size_t frames = kRecordingRate;
    const auto samples = toPcm16(noise(frames, 2, 0.95, 4));
    const std::string path = dir_.file("loud.wav");
    writePcm16(path, kRecordingRate, 2, samples);

    auto device = fixedRateDevice(kRecordingRate);
    auto buffer = loadBuffer(*device, path);
    buffer->Play(DSBPLAY_LOOPING);
    pull(*device, kSettleFrames);
    const auto out = pull(*device, frames);
    std::size_t bent = 0;
    for (std::size_t i = 0; i < out.size(); ++i) {
        const float in = samples[(2 * kSettleFrames + i) % samples.size()] / 32768.0f;
        if (std::abs(in) <= SoftLimiter::kKnee) {
            ASSERT_EQ(out[i], in) << i;
        } else {
            ASSERT_LE(std::abs(out[i]), std::abs(in)) << i;
            ASSERT_GT(out[i] * in, 0.0f) << i;
            bent += out[i] != in ? 1 : 0;
        }
    }
    EXPECT_GT(bent, out.size() / 4);
}

TEST_F(MixTest, VoicesBelowTheKneeAddExactly) {
    // Two voices whose sum stays under the knee: the mix is exactly what each gives alone,
    // added, so nothing in the output stage colours a quiet mix.
    const std::string a = dir_.file("a.wav");
    const std::string b = dir_.file("b.wav");
    writePcm16(a, kRecordingRate, 2, toPcm16(noise(kRecordingRate, 2, 0.18, 5)));
    writePcm16(b, kRecordingRate, 2, toPcm16(noise(kRecordingRate, 2, 0.18, 6)));

    auto render = [&](bool withA, bool withB) {
        auto device = offlineDevice();
        std::vector<std::unique_ptr<VoiceHandle>> buffers;
        for (const auto& [path, wanted, hertz] :
             {std::tuple{a, withA, 22050u}, std::tuple{b, withB, 17389u}}) {
            buffers.push_back(loadBuffer(*device, path));
            buffers.back()->SetFrequency(hertz);
            buffers.back()->SetVolume(-300);
            buffers.back()->SetPan(-700);
            if (wanted) {
                buffers.back()->Play(DSBPLAY_LOOPING);
            }
        }
        return pull(*device, kDeviceRate);
    };
    const auto onlyA = render(true, false);
    const auto onlyB = render(false, true);
    const auto both = render(true, true);
    ASSERT_GT(peak(both), 0.15);
    ASSERT_LT(peak(both), SoftLimiter::kKnee);
    for (std::size_t i = 0; i < both.size(); ++i) {
        ASSERT_EQ(both[i], onlyA[i] + onlyB[i]) << i;
    }
}

} // namespace
} // namespace qf::sound
