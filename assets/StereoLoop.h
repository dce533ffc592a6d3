#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Two channels of one loop, levelled together and written as 16-bit PCM.
class StereoLoop {
public:
    StereoLoop(std::vector<double> left, std::vector<double> right);

    // Full scale is 1.0; the RMS is taken over every sample of both channels.
    double rmsDbfs() const;
    double peakDbfs() const;
    void scaleToRmsDbfs(double target);

    std::vector<std::int16_t> interleavedPcm16() const;
    void writeWav(const std::string& path, int sampleRate) const;

private:
    std::vector<double> left_;
    std::vector<double> right_;
};
