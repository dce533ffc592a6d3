#pragma once

#include "SoundTypes.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace qf::sound {

// A whole recording decoded into memory as 16-bit stereo frames. The frames are stored with a
// wrapped margin (one frame before, three after) so that four-point interpolation can read
// across the loop point without any index arithmetic in the mixing loop.
class Recording {
public:
    static constexpr std::size_t kLeadFrames = 1;
    static constexpr std::size_t kTailFrames = 3;

    // Decodes any PCM or float WAV that libsndfile reads; mono is spread to both sides.
    static std::shared_ptr<const Recording> load(const std::string& path, SoundResult& result,
                                                 std::string& reason);

    // Builds a recording from interleaved stereo samples (tests and generated sounds).
    static std::shared_ptr<const Recording> fromFrames(std::vector<std::int16_t> interleaved,
                                                       int sampleRate);

    int sampleRate() const { return sampleRate_; }
    std::size_t frames() const { return frames_; }

    // Interleaved L/R samples; index 0 is frame 0, and frames -1 .. frames()+2 are readable.
    const std::int16_t* frameData() const { return padded_.data() + 2 * kLeadFrames; }

private:
    Recording(std::vector<std::int16_t> interleaved, int sampleRate);

    std::vector<std::int16_t> padded_;
    std::size_t frames_ = 0;
    int sampleRate_ = 0;
};

} // namespace qf::sound
