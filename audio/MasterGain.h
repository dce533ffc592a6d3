#pragma once

#include "audio/ChangeBell.h"

#include <atomic>
#include <cstddef>
#include <cstdint>

namespace qf::sound {

// The level of the whole mix, applied after the limiter: what pausing and the sleep timer fade.
// The interface thread asks for a fade to a level over a time; the audio thread moves there one
// frame at a time, in equal steps of gain (Linear) or of decibels (Decibels), so that no fade
// steps the waveform. A fade asked for while another runs starts from wherever that one got to.
class MasterGain {
public:
    enum class Curve : std::uint8_t { Linear, Decibels };

    explicit MasterGain(int deviceRate, const ChangeBell* bell = nullptr) noexcept
        : deviceRate_(deviceRate), bell_(bell) {}
    MasterGain(const MasterGain&) = delete;
    MasterGain& operator=(const MasterGain&) = delete;

    // Interface thread. A Decibels fade from or to silence is made linearly, since silence
    // lies infinitely many decibels away.
    void fadeTo(float gain, double seconds, Curve curve = Curve::Linear) noexcept;
    // A linear fade to `gain` that begins at silence wherever the audio thread takes it up, also
    // when a render is put back to before it: for a start, before anything is heard.
    void riseFromSilence(float gain, double seconds) noexcept;
    // True once the audio thread has arrived at the level last asked for.
    bool settled() const noexcept;
    // The level at the end of the last period mixed.
    float level() const noexcept { return level_.load(std::memory_order_relaxed); }

    // Audio thread, at the start of each period: takes up what was asked, and returns false
    // when the whole period is silent, so that mixing it can be skipped.
    bool begin() noexcept;
    // Audio thread: scales `frames` interleaved stereo frames.
    void apply(float* out, std::size_t frames) noexcept;

    // The audio thread's own state between two periods. Put back, the fade goes on from there
    // exactly as it did, and takes up the interface's request of now.
    struct Resume {
        std::uint64_t seen;
        double gain;
        double target;
        double step;
        double factor;
        bool multiply;
        std::uint32_t remaining;
    };
    Resume save() const noexcept {
        return {seen_, gain_, target_, step_, factor_, multiply_, remaining_};
    }
    void restore(const Resume& state) noexcept;

private:
    // A request in one word, so that it crosses threads whole: the level's bits, the length in
    // frames (up to six hours at 48 kHz), the curve and whether it starts at silence.
    static constexpr std::uint64_t kDecibelsBit = std::uint64_t{1} << 63;
    static constexpr std::uint64_t kFromSilenceBit = std::uint64_t{1} << 62;
    static constexpr std::uint32_t kMaxFrames = 0x3fffffff;
    static std::uint64_t encode(float gain, std::uint32_t frames, Curve curve) noexcept;
    void ask(std::uint64_t request) noexcept;
    std::uint32_t framesOf(double seconds) const noexcept;
    void start(std::uint64_t request) noexcept;
    void publish() noexcept;

    const int deviceRate_;
    const ChangeBell* bell_;
    std::atomic<std::uint64_t> request_{encode(1.0f, 0, Curve::Linear)};
    std::atomic<std::uint64_t> reached_{encode(1.0f, 0, Curve::Linear)};
    std::atomic<float> level_{1.0f};

    // Audio thread only. Double precision keeps a minute-long run of per-frame products exact
    // to far below anything audible.
    std::uint64_t seen_ = encode(1.0f, 0, Curve::Linear);
    double gain_ = 1.0;
    double target_ = 1.0;
    double step_ = 0.0;
    double factor_ = 1.0;
    bool multiply_ = false;
    std::uint32_t remaining_ = 0;
};

} // namespace qf::sound
