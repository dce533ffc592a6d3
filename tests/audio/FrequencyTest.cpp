// Playback rate: a buffer's frequency is the rate its recording is read at, so it sets the pitch.

#include "tests/audio/SoundTestKit.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>
#include <span>

namespace qf::sound {
namespace {

using namespace testkit;

constexpr double kToneHz = 441.0;

class FrequencyTest : public ::testing::Test {
protected:
    // Pitch of the steady output, after the start has settled.
    static double measuredPitch(SoundDevice& device) {
        pull(device, kSettleFrames);
        const auto out = pull(device, kDeviceRate);
        const double l = toneFrequency(left(out), kDeviceRate);
        EXPECT_NEAR(toneFrequency(right(out), kDeviceRate), l, 1e-6 * l);
        return l;
    }

    TempDir dir_;
    std::string tone_ = writeTone(dir_, "tone.wav", kToneHz, kToneAmplitude);
};

TEST_F(FrequencyTest, RateScalesThePitch) {
    for (std::uint32_t hertz : {22050u, 11025u, 44100u, 8000u, 33075u, 30011u}) {
        SCOPED_TRACE(hertz);
        auto device = offlineDevice();
        auto buffer = loadBuffer(*device, tone_);
        ASSERT_EQ(buffer->SetFrequency(hertz), SoundResult::Ok);
        EXPECT_EQ(buffer->GetFrequency(), static_cast<int>(hertz));
        buffer->Play(DSBPLAY_LOOPING);
        const double expected = kToneHz * hertz / kRecordingRate;
        EXPECT_NEAR(measuredPitch(*device), expected, 0.005 * expected);
    }
}

TEST_F(FrequencyTest, ChangesWhilePlayingTakeEffect) {
    auto device = offlineDevice();
    auto buffer = loadBuffer(*device, tone_);
    buffer->Play(DSBPLAY_LOOPING);
    EXPECT_NEAR(measuredPitch(*device), kToneHz, 0.005 * kToneHz);
    ASSERT_EQ(buffer->SetFrequency(11025), SoundResult::Ok);
    EXPECT_NEAR(measuredPitch(*device), kToneHz / 2, 0.005 * kToneHz / 2);
    ASSERT_EQ(buffer->SetFrequency(0), SoundResult::Ok);
    EXPECT_NEAR(measuredPitch(*device), kToneHz, 0.005 * kToneHz);
}

TEST_F(FrequencyTest, OwnRateIsTheFilesRate) {
    for (int rate : {22050, 44100, 11025, 48000}) {
        SCOPED_TRACE(rate);
        const std::string path = writeTone(dir_, "rate" + std::to_string(rate) + ".wav", kToneHz,
                                           kToneAmplitude, static_cast<std::size_t>(rate), rate);
        auto device = offlineDevice();
        auto buffer = loadBuffer(*device, path);
        EXPECT_EQ(buffer->GetFrequency(), rate);
        buffer->Play(DSBPLAY_LOOPING);
        // At its own rate a recording plays at its own pitch, whatever the device runs at.
        EXPECT_NEAR(measuredPitch(*device), kToneHz, 0.005 * kToneHz);

        ASSERT_EQ(buffer->SetFrequency(static_cast<std::uint32_t>(rate) * 2), SoundResult::Ok);
        EXPECT_EQ(buffer->GetFrequency(), rate * 2);
        ASSERT_EQ(buffer->SetFrequency(0), SoundResult::Ok);
        EXPECT_EQ(buffer->GetFrequency(), rate);
        EXPECT_NEAR(measuredPitch(*device), kToneHz, 0.005 * kToneHz);
    }
}

TEST_F(FrequencyTest, OutOfRangeRatesAreRefusedAndChangeNothing) {
    auto device = offlineDevice();
    auto buffer = loadBuffer(*device, tone_);
    ASSERT_EQ(buffer->SetFrequency(16537), SoundResult::Ok);
    buffer->Play(DSBPLAY_LOOPING);
    const double before = measuredPitch(*device);

    for (std::uint32_t hertz : {DSBFREQUENCY_MIN - 1, DSBFREQUENCY_MAX + 1, 1u,
                                std::numeric_limits<std::uint32_t>::max()}) {
        SCOPED_TRACE(hertz);
        EXPECT_EQ(buffer->SetFrequency(hertz), SoundResult::InvalidParam);
        EXPECT_EQ(buffer->GetFrequency(), 16537);
    }
    EXPECT_NEAR(measuredPitch(*device), before, 1e-6 * before);

    // The limits themselves are allowed.
    EXPECT_EQ(buffer->SetFrequency(DSBFREQUENCY_MIN), SoundResult::Ok);
    EXPECT_EQ(buffer->GetFrequency(), static_cast<int>(DSBFREQUENCY_MIN));
    EXPECT_EQ(buffer->SetFrequency(DSBFREQUENCY_MAX), SoundResult::Ok);
    EXPECT_EQ(buffer->GetFrequency(), static_cast<int>(DSBFREQUENCY_MAX));
}

// How far a steady output is from a pure sine of the given frequency, in dB below its level:
// the sine's amplitude and phase are fitted by least squares, the rest is error.
double distortionDb(std::span<const float> x, double hertz, double rate) {
    double ss = 0, sc = 0, cc = 0, xs = 0, xc = 0;
    for (std::size_t n = 0; n < x.size(); ++n) {
        const double w = 2 * std::numbers::pi * hertz * static_cast<double>(n) / rate;
        const double s = std::sin(w);
        const double c = std::cos(w);
        ss += s * s;
        sc += s * c;
        cc += c * c;
        xs += x[n] * s;
        xc += x[n] * c;
    }
    const double det = ss * cc - sc * sc;
    const double a = (xs * cc - xc * sc) / det;
    const double b = (xc * ss - xs * sc) / det;
    double error = 0;
    double signal = 0;
    for (std::size_t n = 0; n < x.size(); ++n) {
        const double w = 2 * std::numbers::pi * hertz * static_cast<double>(n) / rate;
        const double fit = a * std::sin(w) + b * std::cos(w);
        error += (x[n] - fit) * (x[n] - fit);
        signal += fit * fit;
    }
    return 10 * std::log10(error / signal);
}

TEST_F(FrequencyTest, InterpolationFollowsTheWaveformClosely) {
    // Tones of 20 and 10 recorded samples a period, read at uneven steps. Reading between
    // samples along a straight line would leave errors near -41 and -29 dB here.
    struct Case {
        double toneHz;
        std::uint32_t rate;
        double limitDb;
    };
    for (const Case& c : {Case{1102.5, 22050, -55.0}, Case{1102.5, 30011, -55.0},
                          Case{2205.0, 22050, -40.0}, Case{2205.0, 16001, -40.0}}) {
        SCOPED_TRACE(::testing::Message() << c.toneHz << " Hz at " << c.rate);
        const std::string path = writeTone(dir_, "fast.wav", c.toneHz, kToneAmplitude);
        auto device = offlineDevice();
        auto buffer = loadBuffer(*device, path);
        buffer->SetFrequency(c.rate);
        buffer->Play(DSBPLAY_LOOPING);
        pull(*device, kSettleFrames);
        const auto out = left(pull(*device, kDeviceRate / 2));
        const double heard = c.toneHz * c.rate / kRecordingRate;
        EXPECT_LT(distortionDb(out, heard, kDeviceRate), c.limitDb);
    }
}

TEST_F(FrequencyTest, DeviceRateIsTheOneTheOutputReports) {
    // A device that did not give the rate asked for: recordings must still play at pitch.
    for (int deviceRate : {44100, 96000, 22050}) {
        SCOPED_TRACE(deviceRate);
        auto device = fixedRateDevice(deviceRate);
        EXPECT_EQ(device->mixer().deviceRate(), deviceRate);
        auto buffer = loadBuffer(*device, tone_);
        buffer->SetFrequency(33075);
        buffer->Play(DSBPLAY_LOOPING);
        pull(*device, kSettleFrames);
        const auto out = pull(*device, static_cast<std::size_t>(deviceRate));
        const double expected = kToneHz * 1.5;
        EXPECT_NEAR(toneFrequency(left(out), deviceRate), expected, 0.005 * expected);
    }
}

} // namespace
} // namespace qf::sound
