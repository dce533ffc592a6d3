#include "tests/assets/SoundFile.h"

#include <sndfile.h>

#include <stdexcept>

SoundFile::SoundFile(const std::string& path) {
    SF_INFO info{};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    if (file == nullptr)
        throw std::runtime_error(path + ": " + sf_strerror(nullptr));
    sampleRate_ = info.samplerate;
    channels_ = info.channels;
    format_ = info.format;
    frames_ = static_cast<std::size_t>(info.frames);
    samples_.resize(frames_ * static_cast<std::size_t>(channels_));
    const sf_count_t read = sf_readf_float(file, samples_.data(), info.frames);
    sf_close(file);
    if (read != info.frames)
        throw std::runtime_error(path + ": file ended early");
}

std::vector<float> SoundFile::channel(int index) const {
    std::vector<float> out(frames_);
    for (std::size_t i = 0; i < frames_; ++i)
        out[i] =
            samples_[i * static_cast<std::size_t>(channels_) + static_cast<std::size_t>(index)];
    return out;
}
