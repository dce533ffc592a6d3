#include "Recording.h"

#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <limits>

namespace qf::sound {

namespace {

// Recordings far longer than any loop this program ships are refused rather than filling memory.
constexpr sf_count_t kMaxFrames = 48000LL * 60 * 20;

struct SndFileCloser {
    void operator()(SNDFILE* file) const { sf_close(file); }
};

} // namespace

Recording::Recording(std::vector<std::int16_t> interleaved, int sampleRate)
    : frames_(interleaved.size() / 2), sampleRate_(sampleRate) {
    padded_.resize(2 * (frames_ + kLeadFrames + kTailFrames));
    std::int16_t* body = padded_.data() + 2 * kLeadFrames;
    std::copy(interleaved.begin(), interleaved.begin() + 2 * frames_, body);
    for (std::size_t i = 0; i < kLeadFrames; ++i) {
        const std::size_t src = (frames_ - kLeadFrames + i) % frames_;
        padded_[2 * i] = body[2 * src];
        padded_[2 * i + 1] = body[2 * src + 1];
    }
    for (std::size_t i = 0; i < kTailFrames; ++i) {
        const std::size_t src = i % frames_;
        body[2 * (frames_ + i)] = body[2 * src];
        body[2 * (frames_ + i) + 1] = body[2 * src + 1];
    }
}

std::shared_ptr<const Recording> Recording::fromFrames(std::vector<std::int16_t> interleaved,
                                                       int sampleRate) {
    if (interleaved.size() < 2 || sampleRate <= 0) {
        return nullptr;
    }
    return std::shared_ptr<const Recording>(new Recording(std::move(interleaved), sampleRate));
}

std::shared_ptr<const Recording> Recording::load(const std::string& path, SoundResult& result,
                                                 std::string& reason) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) {
        result = SoundResult::FileNotFound;
        reason = "file not found";
        return nullptr;
    }
    SF_INFO info{};
    std::unique_ptr<SNDFILE, SndFileCloser> file(sf_open(path.c_str(), SFM_READ, &info));
    if (!file) {
        result = SoundResult::BadFormat;
        reason = sf_strerror(nullptr);
        return nullptr;
    }
    if (info.frames <= 0 || info.frames > kMaxFrames || info.channels < 1 || info.channels > 8 ||
        info.samplerate < 1000 || info.samplerate > 384000) {
        result = SoundResult::BadFormat;
        reason = "unsupported length, channel count or rate";
        return nullptr;
    }
    // Read as float, where libsndfile puts every encoding on the same full scale: 16-bit
    // samples come back exactly, and float files keep their level (reading them as short
    // would instead scale them to their own peak). Values beyond full scale are held, not wrapped.
    const auto channels = static_cast<std::size_t>(info.channels);
    std::vector<float> raw(static_cast<std::size_t>(info.frames) * channels);
    const sf_count_t got = sf_readf_float(file.get(), raw.data(), info.frames);
    if (got <= 0) {
        result = SoundResult::BadFormat;
        reason = "no audio data could be read";
        return nullptr;
    }
    const auto toSample = [](float x) {
        if (std::isnan(x)) {
            return std::int16_t{0};
        }
        const float scaled = std::clamp(x * 32768.0f, -32768.0f, 32767.0f);
        return static_cast<std::int16_t>(std::lrint(scaled));
    };
    std::vector<std::int16_t> stereo(static_cast<std::size_t>(got) * 2);
    for (std::size_t f = 0; f < static_cast<std::size_t>(got); ++f) {
        const std::int16_t left = toSample(raw[f * channels]);
        stereo[2 * f] = left;
        stereo[2 * f + 1] = channels > 1 ? toSample(raw[f * channels + 1]) : left;
    }
    result = SoundResult::Ok;
    return std::shared_ptr<const Recording>(new Recording(std::move(stereo), info.samplerate));
}

} // namespace qf::sound
