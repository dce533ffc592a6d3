#include "audio/Recording.h"

#include <sndfile.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
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
        std::snprintf(text, sizeof text, "%#.3g seconds", seconds);
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

// How many bytes a sample of this encoding takes, or 0 when samples are not whole bytes each
// (the ADPCM and other block encodings).
std::uint64_t bytesPerSample(const SF_INFO& info) {
    switch (info.format & SF_FORMAT_SUBMASK) {
    case SF_FORMAT_PCM_S8:
    case SF_FORMAT_PCM_U8:
    case SF_FORMAT_ULAW:
    case SF_FORMAT_ALAW:
        return 1;
    case SF_FORMAT_PCM_16:
        return 2;
    case SF_FORMAT_PCM_24:
        return 3;
    case SF_FORMAT_PCM_32:
    case SF_FORMAT_FLOAT:
        return 4;
    case SF_FORMAT_DOUBLE:
        return 8;
    default:
        return 0;
    }
}

bool isPcm(const SF_INFO& info) {
    switch (info.format & SF_FORMAT_SUBMASK) {
    case SF_FORMAT_PCM_S8:
    case SF_FORMAT_PCM_U8:
    case SF_FORMAT_PCM_16:
    case SF_FORMAT_PCM_24:
    case SF_FORMAT_PCM_32:
        return true;
    default:
        return false;
    }
}

// The bits per sample a WAV header states. libsndfile rounds them up to whole bytes and keeps
// the stated number only in the log it writes while parsing the format chunk; 0 when that log
// has no such line.
int statedBitsPerSample(SNDFILE* file) {
    std::array<char, 4096> log{};
    sf_command(file, SFC_GET_LOG_INFO, log.data(), static_cast<int>(log.size()));
    const char* line = std::strstr(log.data(), "Bit Width");
    const char* colon = line != nullptr ? std::strchr(line, ':') : nullptr;
    if (colon == nullptr) {
        return 0;
    }
    return static_cast<int>(std::strtol(colon + 1, nullptr, 10));
}

// A header claiming more sound than the file holds means the copy was cut short, whatever the
// amount: libsndfile would play only the part that is there, and a few bytes of it loop into a
// buzz instead of the recording. Empty when the file holds all it claims.
std::string cutShortReason(SNDFILE* file, const SF_INFO& info, std::uint64_t fileBytes) {
    const std::uint64_t claimed = claimedDataBytes(file);
    // Writers that cannot seek back leave the size at 0 or 0xFFFFFFFF, meaning "to the end of
    // the file": an unknown size is no claim. (At 0 libsndfile finds no frames either, so such a
    // file is refused as empty.)
    if (claimed == 0 || claimed == 0xFFFFFFFFu) {
        return {};
    }
    const std::uint64_t sampleBytes = bytesPerSample(info);
    if (sampleBytes == 0) {
        // Block encodings give no exact count in bytes; only a claim beyond the whole file is
        // certain to be damage.
        if (claimed <= fileBytes) {
            return {};
        }
        return "the file is cut short: its header claims " + std::to_string(claimed) +
               " bytes of sound but the whole file has " + std::to_string(fileBytes);
    }
    const std::uint64_t frameBytes = sampleBytes * static_cast<std::uint64_t>(info.channels);
    const auto frames = static_cast<std::uint64_t>(info.frames);
    const std::uint64_t held = frames * frameBytes;
    // Data of odd length is followed by a pad byte; some writers count it in the size, and a
    // copy may end before it. Dividing drops a trailing part of a frame, which holds no sound.
    const bool onlyThePadByte = held % 2 == 1 && claimed == held + 1;
    if (claimed / frameBytes <= frames || onlyThePadByte) {
        return {};
    }
    std::string claims = duration(static_cast<double>(claimed / frameBytes), info.samplerate);
    std::string holds = duration(static_cast<double>(frames), info.samplerate);
    // So little missing that both round to the same time: count the bytes instead.
    if (claims == holds) {
        claims = std::to_string(claimed) + " bytes";
        holds = std::to_string(held);
    }
    return "the file is cut short: its header claims " + claims + " of sound but it holds " + holds;
}

// Plain PCM WAV samples are whole bytes (other sizes go in an extensible header, whose stated
// width is the container's), so any other size means a damaged header. libsndfile would round it
// up and read on regardless: 16-bit data under a 7-bit header plays a byte a sample, 14 dB too
// loud and clipped. Empty when the stated size is whole bytes.
std::string oddSampleSizeReason(SNDFILE* file, const SF_INFO& info) {
    if (!isPcm(info)) {
        return {};
    }
    const int bits = statedBitsPerSample(file);
    if (bits % 8 == 0) {
        return {};
    }
    return std::to_string(bits) + " bits per sample is not a whole number of bytes";
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
    if (info.channels < 1 || info.channels > 8 || info.samplerate < 1000 ||
        info.samplerate > 384000) {
        result = SoundResult::BadFormat;
        reason = "unsupported channel count or rate";
        return nullptr;
    }
    for (const std::string& damage :
         {cutShortReason(file.get(), info, fileBytes), oddSampleSizeReason(file.get(), info)}) {
        if (!damage.empty()) {
            result = SoundResult::BadFormat;
            reason = damage;
            return nullptr;
        }
    }
    if (info.frames <= 0) {
        result = SoundResult::BadFormat;
        reason = "the file holds no sound";
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
