#include "tests/support/SignalStats.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <numbers>
#include <random>
#include <vector>

namespace {

std::vector<float> uniformNoise(std::size_t length, std::uint64_t seed) {
    std::mt19937_64 engine(seed);
    std::vector<float> out(length);
    for (float& x : out)
        x = static_cast<float>(static_cast<double>(engine() >> 11) * 0x1.0p-53 * 2.0 - 1.0);
    return out;
}

// A quarter of the sample rate lands exactly on the crests, so the peak is exactly 1.
std::vector<float> fullScaleQuarterRateSine(std::size_t length) {
    std::vector<float> out(length);
    for (std::size_t n = 0; n < length; ++n)
        out[n] = static_cast<float>(std::sin(std::numbers::pi / 2.0 * static_cast<double>(n)));
    return out;
}

} // namespace

TEST(SignalStatsLevel, FullScaleSineIsThreeDecibelsBelowFullScaleRms) {
    const std::vector<float> tone = fullScaleQuarterRateSine(4000);
    EXPECT_NEAR(signal_stats::rmsDbfs(tone), -3.0103, 0.001);
    EXPECT_NEAR(signal_stats::peakDbfs(tone), 0.0, 1e-6);
}

TEST(SignalStatsLevel, NegativePeaksCount) {
    const std::vector<float> signal{0.1f, -0.5f, 0.25f};
    EXPECT_NEAR(signal_stats::peakDbfs(signal), 20.0 * std::log10(0.5), 1e-9);
}

TEST(SignalStatsCorrelation, ScaledAndInvertedCopies) {
    const std::vector<float> a = uniformNoise(10000, 1);
    std::vector<float> scaled(a.size()), inverted(a.size());
    for (std::size_t i = 0; i < a.size(); ++i) {
        scaled[i] = 3.0f * a[i] + 0.25f;
        inverted[i] = -a[i];
    }
    EXPECT_NEAR(signal_stats::pearsonCorrelation(a, scaled), 1.0, 1e-6);
    EXPECT_NEAR(signal_stats::pearsonCorrelation(a, inverted), -1.0, 1e-6);
}

TEST(SignalStatsCorrelation, IndependentNoisesAreNearZero) {
    const std::vector<float> a = uniformNoise(200000, 2);
    const std::vector<float> b = uniformNoise(200000, 3);
    EXPECT_NEAR(signal_stats::pearsonCorrelation(a, b), 0.0, 0.01);
}

TEST(SignalStatsCorrelation, ConstantSignalSharesNothing) {
    const std::vector<float> a = uniformNoise(100, 4);
    const std::vector<float> flat(100, 0.5f);
    EXPECT_EQ(signal_stats::pearsonCorrelation(a, flat), 0.0);
}

TEST(SignalStatsSteps, ClickStandsAboveTheTypicalStep) {
    std::vector<float> signal(10000);
    for (std::size_t n = 0; n < signal.size(); ++n)
        signal[n] = static_cast<float>(0.5 * std::sin(0.01 * static_cast<double>(n)));
    const double typical = signal_stats::stepQuantile(signal, 0.99);
    // The sine's largest step is 0.5 * 0.01; one jump must not move the 99th percentile.
    EXPECT_NEAR(typical, 0.005, 0.0005);
    signal[5000] += 0.3f;
    EXPECT_NEAR(signal_stats::stepQuantile(signal, 0.99), typical, 0.0005);
    EXPECT_NEAR(signal_stats::stepQuantile(signal, 1.0), 0.3, 0.01);
}
