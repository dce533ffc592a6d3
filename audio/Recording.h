#pragma once

#include "audio/ResamplingFilter.h"
#include "audio/SoundResult.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace qf::sound {

// A whole recording decoded into memory as 16-bit stereo, each side in a row of its own. Each
// row carries a wrapped margin as wide as the resampling filter reaches (the end of the
// recording before frame 0, its start after the last frame), so the filter reads across the
// loop point without any index arithmetic in the mixing loop.
class Recording {
public:
    static constexpr std::size_t kLeadFrames = ResamplingFilter::kTapsBefore;
    static constexpr std::size_t kTailFrames = ResamplingFilter::kTapsAfter;

    // Decodes any PCM or float WAV that libsndfile reads; mono is spread to both sides. Refuses
    // damaged files (cut short, or a sample size that is not whole bytes) with the reason.
    static std::shared_ptr<const Recording> load(const std::string& path, SoundResult& result,
                                                 std::string& reason);

    // Builds a recording from interleaved stereo samples (tests and generated sounds).
    static std::shared_ptr<const Recording> fromFrames(const std::vector<std::int16_t>& interleaved,
                                                       int sampleRate);

    int sampleRate() const { return sampleRate_; }
    std::size_t frames() const { return frames_; }

    // One side's samples (0 left, 1 right): index 0 is frame 0, and every index from
    // -kLeadFrames to frames() + kTailFrames - 1 is readable.
    const std::int16_t* side(int which) const noexcept {
        return samples_.data() + static_cast<std::size_t>(which) * stride_ + kLeadFrames;
    }

private:
    // Room for `capacity` frames; the frames are written through writableSide(), then wrap().
    Recording(std::size_t capacity, int sampleRate);
    std::int16_t* writableSide(int which) {
        return samples_.data() + static_cast<std::size_t>(which) * stride_ + kLeadFrames;
    }
    // Takes the first `frames` frames as the recording and fills the margins around them.
    void wrap(std::size_t frames);

    std::size_t stride_ = 0;
    std::vector<std::int16_t> samples_;
    std::size_t frames_ = 0;
    int sampleRate_ = 0;
};

} // namespace qf::sound
