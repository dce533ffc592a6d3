// Reading a recording at another rate: whatever the slider sets, the recording's own band up to
// 0.9 of its Nyquist frequency comes out at its level, and what the resampling adds on top (the
// images of that band, from 1.1 times its Nyquist frequency up) stays at least 60 dB down.
// When a voice reads faster than the output plays, the same holds with the output's Nyquist
// frequency in place of the recording's: what the output cannot carry is taken out, not folded
// back into the audible band.

#include "tests/audio/SoundTestKit.h"

#include "tests/support/WelchAnalyser.h"

#include "audio/Mixer.h"
#include "audio/Recording.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace qf::sound {
namespace {

using namespace testkit;

constexpr double kNyquist = kRecordingRate / 2.0;
constexpr double kPassbandEdge = 0.9;
constexpr double kStopbandEdge = 1.1;
constexpr double kFlatDb = 0.1;
constexpr double kImagesDb = -60.0;

double dB(double powerRatio) {
    return 10.0 * std::log10(powerRatio);
}

struct ToneMeasure {
    double levelDb = 0.0;     // the tone's power against the recorded sine's
    double worstSpurDb = 0.0; // the strongest other component against the tone
    double worstSpurHz = 0.0;
};

// Fine bins, so that the window's own skirts are far below 60 dB where images can lie.
constexpr std::size_t kToneSegment = 32768;

// The left side of a looping recording played at `rate` into a device at `deviceRate`, once
// every level has settled.
std::vector<float> playLooping(const std::string& path, std::uint32_t rate, int deviceRate) {
    auto device = fixedRateDevice(deviceRate);
    auto buffer = loadBuffer(*device, path);
    EXPECT_EQ(buffer->SetFrequency(rate), SoundResult::Ok);
    buffer->Play(DSBPLAY_LOOPING);
    pull(*device, kSettleFrames);
    return left(pull(*device, std::size_t{1} << 18));
}

// Plays a looping sine recording at `rate` and looks at the left side.
ToneMeasure playTone(const std::string& path, double toneHz, double amplitude, std::uint32_t rate,
                     int deviceRate = kDeviceRate) {
    const auto out = playLooping(path, rate, deviceRate);
    constexpr std::size_t segment = kToneSegment;
    const WelchAnalyser spectrum(out, segment);
    const auto& bins = spectrum.binPowers();
    const double binHz = static_cast<double>(deviceRate) / segment;
    const double heard = toneHz * rate / kRecordingRate;
    const double tone = spectrum.bandPower(deviceRate, heard - 8 * binHz, heard + 8 * binHz);

    ToneMeasure measure;
    measure.levelDb = dB(tone / (amplitude * amplitude / 2));
    // Any other component, with the few bins a Hann window spreads it over.
    double worst = 0.0;
    for (std::size_t k = 2; k + 2 < bins.size(); ++k) {
        const double hz = spectrum.binFrequency(k, deviceRate);
        if (std::abs(hz - heard) <= 30 * binHz) {
            continue;
        }
        const double power = bins[k - 2] + bins[k - 1] + bins[k] + bins[k + 1] + bins[k + 2];
        if (power > worst) {
            worst = power;
            measure.worstSpurHz = hz;
        }
    }
    measure.worstSpurDb = dB(worst / tone);
    return measure;
}

TEST(ResamplingTest, TonesUpToNinetyPercentOfNyquistKeepTheirLevelWithoutImages) {
    TempDir dir;
    constexpr double amplitude = 0.4;
    // Two seconds hold a whole number of periods of every tone here, so each loops seamlessly.
    const std::size_t frames = 2 * kRecordingRate;
    for (double fraction : {0.1, 0.5, 0.8, kPassbandEdge}) {
        const double toneHz = fraction * kNyquist;
        const std::string path = writeTone(dir, "tone.wav", toneHz, amplitude, frames);
        for (std::uint32_t rate : {1000u, 8000u, 17389u, 22050u, 32767u}) {
            SCOPED_TRACE(::testing::Message() << toneHz << " Hz recorded, played at " << rate);
            const ToneMeasure m = playTone(path, toneHz, amplitude, rate);
            EXPECT_LE(std::abs(m.levelDb), kFlatDb);
            EXPECT_LE(m.worstSpurDb, kImagesDb) << "at " << m.worstSpurHz << " Hz";
        }
    }
}

TEST(ResamplingTest, ToneTheOutputCannotCarryIsRemovedNotFoldedBack) {
    TempDir dir;
    constexpr double amplitude = 0.4;
    constexpr double recordedPower = amplitude * amplitude / 2;
    constexpr int outputRate = 16000;
    // 10 kHz lies above the 16 kHz output's Nyquist frequency; folded back it would be heard at
    // 6 kHz, at nearly its own level.
    const std::string path = writeTone(dir, "high.wav", 10000.0, amplitude, 2 * kRecordingRate);
    const auto out = playLooping(path, kRecordingRate, outputRate);
    const WelchAnalyser spectrum(out, kToneSegment);
    const double binHz = static_cast<double>(outputRate) / kToneSegment;
    const double alias = spectrum.bandPower(outputRate, 6000.0 - 8 * binHz, 6000.0 + 8 * binHz);
    EXPECT_LE(dB(alias / recordedPower), kImagesDb);
    // Nor anywhere else.
    const double all = rms(out) * rms(out);
    EXPECT_LE(dB(all / recordedPower), kImagesDb);
}

TEST(ResamplingTest, ReadingFasterThanTheOutputKeepsTheBandItCanCarry) {
    TempDir dir;
    constexpr double amplitude = 0.4;
    struct Case {
        double toneHz;
        std::uint32_t rate;
        int outputRate;
    };
    // Heard at 0.1, 0.5 and 0.9 of a 16 kHz output's Nyquist frequency, and at 0.88 of a
    // 32 kHz output's with the slider at its top. At 48 kHz the voice reads slower than the
    // output at every slider rate, which the tests above cover.
    for (const Case c : {Case{800.0, 22050, 16000}, Case{4000.0, 22050, 16000},
                         Case{7200.0, 22050, 16000}, Case{9500.0, 32767, 32000}}) {
        SCOPED_TRACE(::testing::Message() << c.toneHz << " Hz recorded, played at " << c.rate
                                          << " into " << c.outputRate);
        const std::string path =
            writeTone(dir, "tone.wav", c.toneHz, amplitude, 2 * kRecordingRate);
        const ToneMeasure m = playTone(path, c.toneHz, amplitude, c.rate, c.outputRate);
        EXPECT_LE(std::abs(m.levelDb), kFlatDb);
        EXPECT_LE(m.worstSpurDb, kImagesDb) << "at " << m.worstSpurHz << " Hz";
    }
}

// White noise through the whole chain, compared band by band with the recording itself over the
// same stretch of it: their ratio is the response of the read, free of the noise's own
// unevenness. Returns the response in dB over `bands` equal bands up to 0.9 of Nyquist.
struct NoiseMeasure {
    std::vector<double> responseDb;
    double imagesDb = 0.0; // density above 1.1 Nyquist against the density of the passband
    double peak = 0.0;
};

NoiseMeasure playNoise(const std::vector<std::int16_t>& recording, const std::string& path,
                       std::uint32_t rate, std::size_t recordingSegment, int bands) {
    auto device = offlineDevice();
    auto buffer = loadBuffer(*device, path);
    EXPECT_EQ(buffer->SetFrequency(rate), SoundResult::Ok);
    buffer->Play(DSBPLAY_LOOPING);
    pull(*device, kSettleFrames);
    const std::size_t start = buffer->GetCurrentPosition() / VoiceHandle::kBytesPerFrame;
    const auto out = left(pull(*device, std::size_t{1} << 19));

    // The same span of the recording, frame for frame, as it was heard.
    const std::size_t loop = recording.size() / 2;
    const std::size_t heard = out.size() * rate / kDeviceRate;
    std::vector<float> in(heard);
    for (std::size_t i = 0; i < heard; ++i) {
        in[i] = recording[2 * ((start + i) % loop)] / 32768.0f;
    }
    // Segments of equal duration, so both spectra have the same bins in the recording's terms.
    const std::size_t outputSegment = recordingSegment * kDeviceRate / rate;
    EXPECT_EQ(outputSegment * rate, recordingSegment * kDeviceRate);
    const WelchAnalyser inSpectrum(in, recordingSegment);
    const WelchAnalyser outSpectrum(out, outputSegment);
    const double scale = static_cast<double>(rate) / kRecordingRate;

    NoiseMeasure m;
    const double top = kPassbandEdge * kNyquist;
    const double low = 0.02 * kNyquist;
    for (int b = 0; b < bands; ++b) {
        const double from = low + (top - low) * b / bands;
        const double to = low + (top - low) * (b + 1) / bands;
        m.responseDb.push_back(dB(outSpectrum.bandPower(kDeviceRate, from * scale, to * scale) /
                                  inSpectrum.bandPower(kRecordingRate, from, to)));
    }
    const double passband = outSpectrum.averageBinPower(kDeviceRate, low * scale, top * scale);
    const double images = outSpectrum.averageBinPower(kDeviceRate, kStopbandEdge * kNyquist * scale,
                                                      kDeviceRate / 2.0);
    m.imagesDb = dB(images / passband);
    m.peak = peak(out);
    return m;
}

TEST(ResamplingTest, WhiteNoiseIsFlatToNinetyPercentOfNyquistAndImagesStaySixtyDbDown) {
    TempDir dir;
    // Twelve seconds of noise, far enough from full scale that the limiter never acts.
    const auto recording = toPcm16(noise(std::size_t{1} << 18, 2, 0.2, 17));
    const std::string path = dir.file("white.wav");
    writePcm16(path, kRecordingRate, 2, recording);

    struct Case {
        std::uint32_t rate;
        std::size_t recordingSegment; // 48000 / rate times it is a whole even number
    };
    for (const Case c :
         {Case{1000, 512}, Case{8000, 512}, Case{16000, 512}, Case{22050, 588}, Case{32000, 512}}) {
        SCOPED_TRACE(c.rate);
        const NoiseMeasure m = playNoise(recording, path, c.rate, c.recordingSegment, 10);
        ASSERT_LT(m.peak, 0.5);
        for (std::size_t b = 0; b < m.responseDb.size(); ++b) {
            EXPECT_LE(std::abs(m.responseDb[b]), kFlatDb) << "band " << b;
        }
        EXPECT_LE(m.imagesDb, kImagesDb);
    }
}

// The same scene through each mixing path this processor runs: loops long and shorter than a
// step, a one-shot play that ends, rates up and down, fades, and blocks of odd sizes.
std::vector<float> renderScene(SpanMixer::Path path) {
    Mixer mixer(kDeviceRate);
    const auto longNoise = Recording::fromFrames(toPcm16(noise(3001, 2, 0.3, 21)), 22050);
    const auto shortNoise = Recording::fromFrames(toPcm16(noise(5, 2, 0.3, 22)), 44100);
    Voice* loop = mixer.addVoice(longNoise);
    Voice* once = mixer.addVoice(longNoise);
    Voice* tiny = mixer.addVoice(shortNoise);
    for (Voice* voice : {loop, once, tiny}) {
        voice->usePath(path);
    }
    loop->setFrequency(17389);
    loop->setGains(0.7f, 0.4f);
    loop->play(true);
    once->setFrequency(31517);
    once->play(false);
    tiny->setFrequency(150001);
    tiny->setGains(0.2f, 0.3f);
    tiny->play(true);

    std::vector<float> out;
    std::size_t block = 1;
    for (int i = 0; i < 60; ++i) {
        block = (block * 7 + 3) % 613 + 1;
        if (i % 9 == 4) {
            loop->setGains(0.1f * static_cast<float>(i % 5), 0.5f);
            once->play(false);
        }
        std::vector<float> part(2 * block);
        mixer.render(part.data(), block);
        out.insert(out.end(), part.begin(), part.end());
    }
    return out;
}

TEST(ResamplingTest, EveryMixingPathGivesTheSameOutput) {
    const auto plain = renderScene(SpanMixer::Path::Plain);
    ASSERT_GT(peak(plain), 0.1);
    for (SpanMixer::Path path : {SpanMixer::Path::Sse2, SpanMixer::Path::Avx2}) {
        if (!SpanMixer::supports(path)) {
            continue;
        }
        SCOPED_TRACE(static_cast<int>(path));
        const auto fast = renderScene(path);
        ASSERT_EQ(fast.size(), plain.size());
        for (std::size_t i = 0; i < plain.size(); ++i) {
            ASSERT_EQ(fast[i], plain[i]) << i;
        }
    }
}

} // namespace
} // namespace qf::sound
