#include "assets/StereoLoop.h"

#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace {

double toDb(double linear) {
    return 20.0 * std::log10(linear);
}

std::int16_t toPcm16(double sample) {
    // lround breaks ties away from zero on every platform, unlike the current rounding mode.
    const long scaled = std::lround(sample * 32768.0);
    return static_cast<std::int16_t>(std::clamp(scaled, -32768L, 32767L));
}

} // namespace

StereoLoop::StereoLoop(std::vector<double> left, std::vector<double> right)
    : left_(std::move(left)), right_(std::move(right)) {
    if (left_.size() != right_.size() || left_.empty())
        throw std::invalid_argument("channels must be the same, non-zero length");
}

double StereoLoop::peakDbfs() const {
    double peak = 0.0;
    for (double x : left_)
        peak = std::max(peak, std::abs(x));
    for (double x : right_)
        peak = std::max(peak, std::abs(x));
    return toDb(peak);
}

void StereoLoop::scale(double gain) {
    for (double& x : left_)
        x *= gain;
    for (double& x : right_)
        x *= gain;
}

std::vector<double> StereoLoop::interleaved() const {
    std::vector<double> out(2 * left_.size());
    for (std::size_t i = 0; i < left_.size(); ++i) {
        out[2 * i] = left_[i];
        out[2 * i + 1] = right_[i];
    }
    return out;
}

std::vector<std::int16_t> StereoLoop::interleavedPcm16() const {
    std::vector<std::int16_t> out(2 * left_.size());
    for (std::size_t i = 0; i < left_.size(); ++i) {
        out[2 * i] = toPcm16(left_[i]);
        out[2 * i + 1] = toPcm16(right_[i]);
    }
    return out;
}

void StereoLoop::writeWav(const std::string& path, int sampleRate,
                          std::span<const std::int16_t> interleavedPcm16) {
    SF_INFO info{};
    info.samplerate = sampleRate;
    info.channels = 2;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    if (file == nullptr)
        throw std::runtime_error(path + ": " + sf_strerror(nullptr));

    const auto frames = static_cast<sf_count_t>(interleavedPcm16.size() / 2);
    const sf_count_t written = sf_writef_short(file, interleavedPcm16.data(), frames);
    const int closed = sf_close(file);
    if (written != frames || closed != 0)
        throw std::runtime_error(path + ": could not write every frame");
}
