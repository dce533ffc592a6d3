#include "assets/NoiseLevel.h"
#include "tests/assets/SoundFile.h"
#include "tests/support/SignalStats.h"
#include "tests/support/WelchAnalyser.h"

#include <ebur128.h>
#include <sndfile.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <memory>
#include <ostream>
#include <string>

namespace {

struct NoiseFile {
    const char* name;
    const char* file;
    double slopeDbPerOctave;
};

const NoiseFile noiseFiles[] = {
    {"Brown", "Brown_Noise.Wav", -6.02}, {"Pink", "Pink_Noise.Wav", -3.01},
    {"White", "White_Noise.Wav", 0.0},   {"Blue", "Blue_Noise.Wav", 3.01},
    {"Violet", "violet.Wav", 6.02},
};

// Names the file in failure messages instead of dumping the struct's bytes.
void PrintTo(const NoiseFile& noise, std::ostream* out) {
    *out << noise.file;
}

class NoiseRecordingTest : public ::testing::TestWithParam<NoiseFile> {
protected:
    // Each file is read once and shared by all the checks on it.
    const SoundFile& recording() const {
        static std::map<std::string, SoundFile> cache;
        const std::string file = GetParam().file;
        auto it = cache.find(file);
        if (it == cache.end())
            it = cache.emplace(file, SoundFile(std::string(QF_APP_DIR) + "/" + file)).first;
        return it->second;
    }
};

std::string channelName(int channel) {
    return channel == 0 ? "left" : "right";
}

struct R128 {
    double integratedLufs;
    double truePeakDbtp;
};

// Measured here on the samples as libsndfile reads them, not taken on the generator's word.
R128 measureR128(const SoundFile& r) {
    std::unique_ptr<ebur128_state, void (*)(ebur128_state*)> state(
        ebur128_init(static_cast<unsigned>(r.channels()),
                     static_cast<unsigned long>(r.sampleRate()),
                     EBUR128_MODE_I | EBUR128_MODE_TRUE_PEAK),
        [](ebur128_state* s) { ebur128_destroy(&s); });
    EXPECT_NE(state, nullptr);
    if (!state)
        return {};
    EXPECT_EQ(ebur128_add_frames_float(state.get(), r.interleaved().data(), r.frames()),
              EBUR128_SUCCESS);
    R128 result{};
    EXPECT_EQ(ebur128_loudness_global(state.get(), &result.integratedLufs), EBUR128_SUCCESS);
    double peak = 0.0;
    for (int channel = 0; channel < r.channels(); ++channel) {
        double channelPeak = 0.0;
        EXPECT_EQ(ebur128_true_peak(state.get(), static_cast<unsigned>(channel), &channelPeak),
                  EBUR128_SUCCESS);
        peak = std::max(peak, channelPeak);
    }
    result.truePeakDbtp = 20.0 * std::log10(peak);
    return result;
}

} // namespace

TEST_P(NoiseRecordingTest, Is22050HzStereo16BitPcmWav) {
    const SoundFile& r = recording();
    EXPECT_EQ(r.sampleRate(), 22050);
    EXPECT_EQ(r.channels(), 2);
    EXPECT_EQ(r.format(), SF_FORMAT_WAV | SF_FORMAT_PCM_16);
}

TEST_P(NoiseRecordingTest, LastsAtLeastThirtySeconds) {
    EXPECT_GE(recording().frames(), 30u * 22050u);
}

TEST_P(NoiseRecordingTest, StandsAtTheCommonLoudnessWithTruePeakAtMostMinus1Dbtp) {
    const R128 measured = measureR128(recording());
    const double samplePeak = signal_stats::peakDbfs(recording().interleaved());
    std::printf("%s: integrated %.2f LUFS, true peak %.2f dBTP, sample peak %.2f dBFS\n",
                GetParam().file, measured.integratedLufs, measured.truePeakDbtp, samplePeak);
    RecordProperty("integrated_lufs", std::to_string(measured.integratedLufs));
    RecordProperty("true_peak_dbtp", std::to_string(measured.truePeakDbtp));
    EXPECT_NEAR(measured.integratedLufs, noiseLoudnessLufs, 0.1);
    EXPECT_LE(measured.truePeakDbtp, -1.0);
}

TEST_P(NoiseRecordingTest, PeaksStayBelowMinus1Dbfs) {
    const double peak = signal_stats::peakDbfs(recording().interleaved());
    RecordProperty("peak_dbfs", std::to_string(peak));
    EXPECT_LT(peak, -1.0);
}

TEST_P(NoiseRecordingTest, SpectralSlopeMatchesItsColour) {
    for (int channel = 0; channel < 2; ++channel) {
        const WelchAnalyser analyser(recording().channel(channel));
        const double slope = analyser.fittedSlopeDbPerOctave(22050.0, 50.0, 8000.0);
        std::printf("%s: %s slope %.3f dB/octave\n", GetParam().file, channelName(channel).c_str(),
                    slope);
        RecordProperty("slope_" + channelName(channel), std::to_string(slope));
        EXPECT_NEAR(slope, GetParam().slopeDbPerOctave, 0.1) << channelName(channel);
    }
}

TEST_P(NoiseRecordingTest, LoopsWithoutASeam) {
    // Played as a loop, the last sample is followed by the first; that step must look like any
    // other step in the file, or every pass through the loop would tick.
    for (int channel = 0; channel < 2; ++channel) {
        const std::vector<float> x = recording().channel(channel);
        const double wrapStep = std::abs(static_cast<double>(x.front()) - x.back());
        const double typical = signal_stats::stepQuantile(x, 0.99);
        RecordProperty("wrap_step_" + channelName(channel), std::to_string(wrapStep));
        RecordProperty("p99_step_" + channelName(channel), std::to_string(typical));
        EXPECT_LE(wrapStep, typical) << channelName(channel);
    }
}

TEST_P(NoiseRecordingTest, LeftAndRightAreUncorrelated) {
    const double r =
        signal_stats::pearsonCorrelation(recording().channel(0), recording().channel(1));
    RecordProperty("correlation", std::to_string(r));
    EXPECT_LT(std::abs(r), 0.05);
}

INSTANTIATE_TEST_SUITE_P(Colours, NoiseRecordingTest, ::testing::ValuesIn(noiseFiles),
                         [](const auto& info) { return std::string(info.param.name); });
