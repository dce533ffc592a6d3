#include "Recording.h"

#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>

namespace qf::sound {

namespace {

// Recordings far longer than any loop this program ships are refused rather than filling memory.
constexpr sf_count_t kMaxFrames = 48000LL * 60 * 20;
// Frames decoded at a time: the only float copy of the sound that is ever held.
constexpr sf_count_t kChunkFrames = 4096;

struct SndFileCloser {
    void operator()(SNDFILE* file) const { sf_close(file); }
};

// Read as float, where libsndfile puts every encoding on the same full scale: 16-bit samples
// come back exactly, and float files keep their level (reading them as short would instead
// scale them to their own peak). Values beyond full scale are held, not wrapped.
std::int16_t toSample(float x) {
    if (std::isnan(x)) {
        return 0;
    }
    const float scaled = std::clamp(x * 32768.0f, -32768.0f, 32767.0f);
    return static_cast<std::int16_t>(std::lrint(scaled));
}

std::string duration(double frames, int rate) {
    const double seconds = frames / rate;
    char text[64];
    if (seconds >= 3600.0) {
        std::snprintf(text, sizeof text, "%.1f hours", seconds / 3600.0);
    } else if (seconds >= 60.0) {
        std::snprintf(text, sizeof text, "%.1f minutes", seconds / 60.0);
    } else {
        std::snprintf(text, sizeof text, "%.3g seconds", seconds);
    }
    return text;
}

// What the header's data chunk says it holds, as libsndfile's parser found it; 0 when the format
// has no such chunk.
std::uint64_t claimedDataBytes(SNDFILE* file) {
    SF_CHUNK_INFO wanted{};
    std::strcpy(wanted.id, "data");
    wanted.id_size = 4;
    SF_CHUNK_ITERATOR* chunk = sf_get_chunk_iterator(file, &wanted);
    SF_CHUNK_INFO found{};
    if (chunk == nullptr || sf_get_chunk_size(chunk, &found) != SF_ERR_NO_ERROR) {
        return 0;
    }
    return found.datalen;
}

// How many bytes a frame of uncompressed sound takes; encodings not listed count one byte a
// sample, so that a claim in bytes is never undercounted in frames.
std::uint64_t bytesPerFrame(const SF_INFO& info) {
    std::uint64_t sampleBytes = 1;
    switch (info.format & SF_FORMAT_SUBMASK) {
    case SF_FORMAT_PCM_16:
        sampleBytes = 2;
        break;
    case SF_FORMAT_PCM_24:
        sampleBytes = 3;
        break;
    case SF_FORMAT_PCM_32:
    case SF_FORMAT_FLOAT:
        sampleBytes = 4;
        break;
    case SF_FORMAT_DOUBLE:
        sampleBytes = 8;
        break;
    default:
        break;
    }
    return sampleBytes * static_cast<std::uint64_t>(info.channels);
}

} // namespace

Recording::Recording(std::size_t capacity, int sampleRate)
    : stride_(kLeadFrames + capacity + kTailFrames), samples_(2 * stride_),
      sampleRate_(sampleRate) {}

void Recording::wrap(std::size_t frames) {
    frames_ = frames;
    for (int which = 0; which < 2; ++which) {
        std::int16_t* body = writableSide(which);
        for (std::size_t i = 1; i <= kLeadFrames; ++i) {
            body[-static_cast<std::ptrdiff_t>(i)] = body[frames - 1 - (i - 1) % frames];
        }
        for (std::size_t i = 0; i < kTailFrames; ++i) {
            body[frames + i] = body[i % frames];
        }
    }
}

std::shared_ptr<const Recording> Recording::fromFrames(const std::vector<std::int16_t>& interleaved,
                                                       int sampleRate) {
    const std::size_t frames = interleaved.size() / 2;
    if (frames == 0 || sampleRate <= 0) {
        return nullptr;
    }
    std::shared_ptr<Recording> recording(new Recording(frames, sampleRate));
    std::int16_t* left = recording->writableSide(0);
    std::int16_t* right = recording->writableSide(1);
    for (std::size_t f = 0; f < frames; ++f) {
        left[f] = interleaved[2 * f];
        right[f] = interleaved[2 * f + 1];
    }
    recording->wrap(frames);
    return recording;
}

std::shared_ptr<const Recording> Recording::load(const std::string& path, SoundResult& result,
                                                 std::string& reason) {
    std::error_code ec;
    const std::uint64_t fileBytes = std::filesystem::file_size(path, ec);
    if (ec || !std::filesystem::is_regular_file(path, ec)) {
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
    if (info.frames <= 0 || info.channels < 1 || info.channels > 8 || info.samplerate < 1000 ||
        info.samplerate > 384000) {
        result = SoundResult::BadFormat;
        reason = "unsupported length, channel count or rate";
        return nullptr;
    }
    // libsndfile reads only what the file holds, whatever its header says. A copy cut short is
    // still worth hearing, but a header claiming more than any recording may last is damaged,
    // and the few bytes behind it would only make a buzzing loop.
    if (const std::uint64_t claimed = claimedDataBytes(file.get());
        claimed > fileBytes &&
        claimed / bytesPerFrame(info) > static_cast<std::uint64_t>(kMaxFrames)) {
        result = SoundResult::BadFormat;
        reason = "the header claims " +
                 duration(static_cast<double>(claimed / bytesPerFrame(info)), info.samplerate) +
                 " of sound, but the file holds only " +
                 duration(static_cast<double>(info.frames), info.samplerate);
        return nullptr;
    }
    if (info.frames > kMaxFrames) {
        result = SoundResult::BadFormat;
        reason = "longer than the " + duration(static_cast<double>(kMaxFrames), 48000) +
                 " a recording may last";
        return nullptr;
    }

    std::shared_ptr<Recording> recording(
        new Recording(static_cast<std::size_t>(info.frames), info.samplerate));
    std::int16_t* left = recording->writableSide(0);
    std::int16_t* right = recording->writableSide(1);
    const auto channels = static_cast<std::size_t>(info.channels);
    std::vector<float> chunk(static_cast<std::size_t>(kChunkFrames) * channels);
    sf_count_t done = 0;
    while (done < info.frames) {
        const sf_count_t wanted = std::min(kChunkFrames, info.frames - done);
        const sf_count_t got = sf_readf_float(file.get(), chunk.data(), wanted);
        if (got <= 0) {
            break;
        }
        for (std::size_t f = 0; f < static_cast<std::size_t>(got); ++f) {
            const auto at = static_cast<std::size_t>(done) + f;
            left[at] = toSample(chunk[f * channels]);
            right[at] = channels > 1 ? toSample(chunk[f * channels + 1]) : left[at];
        }
        done += got;
        if (got < wanted) {
            break;
        }
    }
    if (done <= 0) {
        result = SoundResult::BadFormat;
        reason = "no audio data could be read";
        return nullptr;
    }
    recording->wrap(static_cast<std::size_t>(done));
    result = SoundResult::Ok;
    return recording;
}

} // namespace qf::sound
