#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

// Two channels of one loop, levelled together by one gain and written as 16-bit PCM.
class StereoLoop {
public:
    StereoLoop(std::vector<double> left, std::vector<double> right);

    // Full scale is 1.0.
    double peakDbfs() const;
    void scale(double gain);

    std::vector<double> interleaved() const;
    std::vector<std::int16_t> interleavedPcm16() const;
    static void writeWav(const std::string& path, int sampleRate,
                         std::span<const std::int16_t> interleavedPcm16);

private:
    std::vector<double> left_;
    std::vector<double> right_;
};
