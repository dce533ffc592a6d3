#pragma once

#include <span>
#include <string>
#include <vector>

// A sound file read whole through libsndfile, as floats with full scale 1.0.
class SoundFile {
public:
    explicit SoundFile(const std::string& path);

    int sampleRate() const { return sampleRate_; }
    int channels() const { return channels_; }
    int format() const { return format_; }
    std::size_t frames() const { return frames_; }

    std::span<const float> interleaved() const { return samples_; }
    std::vector<float> channel(int index) const;

private:
    int sampleRate_ = 0;
    int channels_ = 0;
    int format_ = 0;
    std::size_t frames_ = 0;
    std::vector<float> samples_;
};
