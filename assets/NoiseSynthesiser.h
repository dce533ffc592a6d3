#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// Makes one channel of coloured noise in the frequency domain: every bin gets the amplitude
// of the wanted power law and a random phase, and one inverse FFT over the whole length
// turns it into a signal that repeats exactly, so it loops without a seam.
class NoiseSynthesiser {
public:
    NoiseSynthesiser(double sampleRate, std::size_t frames);

    // Unscaled samples; the level is set later for both channels together.
    std::vector<double> loop(double slopeDbPerOctave, std::uint64_t seed) const;

private:
    double amplitudeAt(double frequency, double slopeDbPerOctave) const;

    double sampleRate_;
    std::size_t frames_;
};
