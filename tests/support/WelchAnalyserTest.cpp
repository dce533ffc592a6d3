#include "tests/support/WelchAnalyser.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <numbers>
#include <random>
#include <stdexcept>
#include <vector>

namespace {

constexpr double rate = 22050.0;

std::vector<float> whiteNoise(std::size_t length, std::uint64_t seed) {
    std::mt19937_64 engine(seed);
    std::vector<float> out(length);
    for (float& x : out)
        x = static_cast<float>(static_cast<double>(engine() >> 11) * 0x1.0p-53 - 0.5);
    return out;
}

std::vector<float> sine(std::size_t length, double frequency, double amplitude) {
    std::vector<float> out(length);
    for (std::size_t n = 0; n < length; ++n)
        out[n] = static_cast<float>(amplitude * std::sin(2.0 * std::numbers::pi * frequency *
                                                         static_cast<double>(n) / rate));
    return out;
}

// First difference: |H| = 2 sin(w / 2), which rises by 6.02 dB per octave well below Nyquist.
std::vector<float> differentiated(const std::vector<float>& x) {
    std::vector<float> y(x.size());
    for (std::size_t n = 1; n < x.size(); ++n)
        y[n] = x[n] - x[n - 1];
    return y;
}

// Leaky running sum: falls by 6.02 dB per octave above a corner far below the test bands.
std::vector<float> integrated(const std::vector<float>& x) {
    std::vector<float> y(x.size());
    double state = 0.0;
    for (std::size_t n = 0; n < x.size(); ++n) {
        state = 0.9999 * state + x[n];
        y[n] = static_cast<float>(state);
    }
    return y;
}

double meanSquare(const std::vector<float>& x) {
    double sum = 0.0;
    for (float v : x)
        sum += static_cast<double>(v) * v;
    return sum / static_cast<double>(x.size());
}

} // namespace

TEST(WelchAnalyserLevels, ToneBandHoldsHalfTheSquaredAmplitude) {
    const WelchAnalyser analyser(sine(1 << 18, 1000.0, 0.5));
    EXPECT_NEAR(analyser.bandPower(rate, 900.0, 1100.0), 0.125, 0.125 * 0.01);
    EXPECT_LT(analyser.bandPower(rate, 1500.0, 11025.0), 1e-8);
}

TEST(WelchAnalyserLevels, StrongestBinSitsAtTheToneFrequency) {
    const WelchAnalyser analyser(sine(1 << 17, 3000.0, 0.25));
    const std::vector<double>& power = analyser.binPowers();
    std::size_t strongest = 0;
    for (std::size_t k = 1; k < power.size(); ++k)
        if (power[k] > power[strongest])
            strongest = k;
    EXPECT_NEAR(analyser.binFrequency(strongest, rate), 3000.0, rate / 8192.0);
}

TEST(WelchAnalyserLevels, AllBinsAddUpToTheMeanSquare) {
    const std::vector<float> noise = whiteNoise(1 << 19, 11);
    const WelchAnalyser analyser(noise);
    EXPECT_NEAR(analyser.bandPower(rate, 0.0, rate), meanSquare(noise), meanSquare(noise) * 0.02);
    EXPECT_EQ(analyser.segmentCount(), (noise.size() - 8192) / 4096 + 1);
}

TEST(WelchAnalyserSlope, WhiteNoiseIsFlat) {
    const WelchAnalyser analyser(whiteNoise(30 * 22050, 21));
    EXPECT_NEAR(analyser.fittedSlopeDbPerOctave(rate, 50.0, 8000.0), 0.0, 0.1);
}

TEST(WelchAnalyserSlope, DifferencedNoiseRisesSixDecibelsPerOctave) {
    const WelchAnalyser analyser(differentiated(whiteNoise(30 * 22050, 31)));
    EXPECT_NEAR(analyser.fittedSlopeDbPerOctave(rate, 100.0, 2000.0), 6.02, 0.1);
}

TEST(WelchAnalyserSlope, SummedNoiseFallsSixDecibelsPerOctave) {
    const WelchAnalyser analyser(integrated(whiteNoise(30 * 22050, 41)));
    EXPECT_NEAR(analyser.fittedSlopeDbPerOctave(rate, 100.0, 2000.0), -6.02, 0.1);
}

TEST(WelchAnalyserSlope, ResultDoesNotDependOnBandWidth) {
    // Averaging (not summing) the bins is what keeps wider bands from reading louder.
    const WelchAnalyser analyser(whiteNoise(30 * 22050, 51));
    EXPECT_NEAR(analyser.fittedSlopeDbPerOctave(rate, 50.0, 8000.0, 1), 0.0, 0.1);
    EXPECT_NEAR(analyser.fittedSlopeDbPerOctave(rate, 50.0, 8000.0, 6), 0.0, 0.1);
}

TEST(WelchAnalyserInput, RejectsSignalsShorterThanOneSegment) {
    EXPECT_THROW(WelchAnalyser(std::vector<float>(8191, 0.0f)), std::invalid_argument);
    EXPECT_THROW(WelchAnalyser(std::vector<float>(100, 0.0f), 7), std::invalid_argument);
}

TEST(WelchAnalyserInput, RejectsBandsWithoutBins) {
    const WelchAnalyser analyser(whiteNoise(8192, 61));
    EXPECT_THROW(analyser.averageBinPower(rate, 100.0, 101.0), std::invalid_argument);
    EXPECT_THROW(analyser.fittedSlopeDbPerOctave(rate, 100.0, 100.5), std::invalid_argument);
}
