#pragma once

#include <cstddef>
#include <span>
#include <vector>

// Welch-averaged power spectrum of a mono signal: Hann-windowed segments overlapping by half.
// Each bin is scaled so that all bins together add up to the signal's mean square, which lets
// a test read a band's level straight off the sum of its bins.
class WelchAnalyser {
public:
    explicit WelchAnalyser(std::span<const float> signal, std::size_t segmentLength = 8192);

    std::size_t segmentLength() const { return segmentLength_; }
    std::size_t segmentCount() const { return segmentCount_; }

    // Bins 0 .. segmentLength / 2; bin k holds the mean square carried near k * rate / length.
    const std::vector<double>& binPowers() const { return power_; }
    double binFrequency(std::size_t bin, double sampleRate) const;

    // Sum of the bins whose frequency lies in [fLow, fHigh): the band's mean square.
    double bandPower(double sampleRate, double fLow, double fHigh) const;

    // Mean of those bins: a density, so that bands of different widths can be compared.
    // Throws if no bin lies in the band.
    double averageBinPower(double sampleRate, double fLow, double fHigh) const;

    // Least-squares slope of 10 log10(average bin power) against log2(band centre), over
    // log-spaced bands of 1 / bandsPerOctave octave from fLow to fHigh.
    double fittedSlopeDbPerOctave(double sampleRate, double fLow, double fHigh,
                                  int bandsPerOctave = 3) const;

private:
    struct BandSum {
        double sum = 0.0;
        std::size_t bins = 0;
    };
    BandSum sumBand(double sampleRate, double fLow, double fHigh) const;

    std::size_t segmentLength_;
    std::size_t segmentCount_ = 0;
    std::vector<double> power_;
};
