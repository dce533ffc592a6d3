#include "tests/assets/SoundFile.h"
#include "tests/support/SignalStats.h"
#include "tests/support/WelchAnalyser.h"

#include <sndfile.h>

#include <gtest/gtest.h>

#include <cmath>
#include <map>
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

TEST_P(NoiseRecordingTest, RmsIsMinus20Dbfs) {
    const double rms = signal_stats::rmsDbfs(recording().interleaved());
    RecordProperty("rms_dbfs", std::to_string(rms));
    EXPECT_NEAR(rms, -20.0, 0.5);
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
