#pragma once

#include "audio/Recording.h"
#include "audio/ResamplingFilter.h"
#include "audio/SpanMixer.h"
#include "audio/StretchedFilter.h"

#include <atomic>
#include <cstddef>
#include <cstdint>

namespace qf::sound {

// One playing recording inside the mixer. The interface thread only stores targets into
// atomics; the audio thread keeps the current values to itself and ramps towards the targets,
// so starting, stopping, seeking and level changes never step the waveform. The recording is
// read through a band-limiting filter at a fractional position, so any rate sounds clean.
class Voice {
public:
    // Called before the voice is published to the audio thread, and again whenever its slot is
    // taken for another recording; it starts the voice afresh.
    void attach(const Recording* recording, int deviceRate) noexcept;

    // Interface thread.
    void setGains(float left, float right) noexcept;
    // The pair of gains the audio thread takes as its target when a period begins: always a
    // pair that setGains() was given, never one side of one call with the other of another.
    struct Gains {
        float left;
        float right;
    };
    Gains targetGains() const noexcept;
    void setFrequency(std::uint32_t hertz) noexcept;
    void play(bool looping) noexcept;
    void stop() noexcept;
    void seek(std::uint32_t frame) noexcept;
    bool isPlaying() const noexcept {
        return (control_.load(std::memory_order_acquire) & kPlaying) != 0;
    }
    // A seek is reported at once, before the audio thread has made the jump.
    std::uint32_t position() const noexcept {
        return static_cast<std::uint32_t>(place_.load(std::memory_order_acquire));
    }

    // Which of the mixing paths (all with the same output) the audio thread takes; the
    // fastest the processor runs unless told otherwise. Paths it cannot run are ignored.
    void usePath(SpanMixer::Path path) noexcept;

    // Audio thread: adds this voice into interleaved stereo output.
    void mixInto(float* out, std::size_t frames) noexcept { mix(snapshot(), out, frames); }

    // mixInto in its two steps: what the interface had asked for when the period began, and the
    // period's mixing under it. Whatever the interface asks meanwhile is never overwritten; it
    // takes effect in the next period. Tests put interface calls between the two steps, where a
    // real audio thread may be preempted.
    struct Period {
        std::uint32_t control;
        std::uint64_t place;
    };
    Period snapshot() const noexcept;
    void mix(const Period& seen, float* out, std::size_t frames) noexcept;

    // The audio thread's own state between two periods: small, so that one can be kept for
    // every period queued at the device. Put back, the voice renders again from there exactly
    // as it did, but under the interface's targets of now; a jump or a one-shot's end it made
    // meanwhile is made again.
    struct Resume {
        std::uint32_t attachment = 0;
        std::uint64_t readPos = 0;
        std::uint64_t step = 0;
        std::uint32_t stepFrequency = 0;
        StretchedFilter stretched;
        bool ended = false;
        float currentLeft = 0.0f;
        float currentRight = 0.0f;
        float rampTargetLeft = 0.0f;
        float rampTargetRight = 0.0f;
        float rampStepLeft = 0.0f;
        float rampStepRight = 0.0f;
        std::uint32_t rampRemaining = 0;
        std::uint32_t seeksTaken = 0;
        std::uint32_t endsTaken = 0;
    };
    Resume save() const noexcept;
    // A state saved before the voice was last attached starts it afresh instead.
    void restore(const Resume& state) noexcept;

private:
    // control_: play state and looping in the low bits, above them a count of play and stop
    // calls, so that the audio thread can tell whether anything was asked since it looked.
    static constexpr std::uint32_t kPlaying = 1;
    static constexpr std::uint32_t kLooping = 2;
    static constexpr std::uint32_t kCallCount = 4;
    // place_: the frame reported as the position, with this bit set while a seek to it waits.
    static constexpr std::uint64_t kSeekPending = std::uint64_t{1} << 32;

    template <bool Ramping>
    std::size_t mixSpan(std::uint32_t control, float* out, std::size_t frames) noexcept;
    void updateTargets(const Period& seen) noexcept;
    void skipSilently(std::uint32_t control, std::size_t frames) noexcept;
    void endOneShot(std::uint32_t control) noexcept;

    // Both sides in one word, left in the low half, so they are published together.
    static std::uint64_t packGains(float left, float right) noexcept;

    // Shared targets, written by the interface thread.
    std::atomic<std::uint64_t> targetGains_{packGains(1.0f, 1.0f)};
    std::atomic<std::uint32_t> frequency_{0};
    std::atomic<std::uint32_t> control_{kLooping};
    std::atomic<std::uint64_t> place_{0};
    std::atomic<SpanMixer::Path> path_{SpanMixer::Path::Plain};

    // Fixed after attach.
    const Recording* recording_ = nullptr;
    const ResamplingFilter* filter_ = nullptr;
    std::uint32_t deviceRate_ = 48000;
    std::uint32_t rampFrames_ = 240;

    // Audio thread only. The read position is 32.32 fixed point in frames.
    std::uint64_t readPos_ = 0;
    std::uint64_t step_ = 0;
    std::uint32_t stepFrequency_ = 0;
    StretchedFilter stretched_;
    bool ended_ = false;
    float currentLeft_ = 0.0f;
    float currentRight_ = 0.0f;
    float rampTargetLeft_ = 0.0f;
    float rampTargetRight_ = 0.0f;
    float rampStepLeft_ = 0.0f;
    float rampStepRight_ = 0.0f;
    std::uint32_t rampRemaining_ = 0;
    // How often the voice was attached, and the jumps and one-shot ends it made: what restore()
    // needs to tell what happened after a state was saved. The place of the last jump and the
    // control word the last end left are kept so that they can be asked for again.
    std::uint32_t attachments_ = 0;
    std::uint32_t seeksTaken_ = 0;
    std::uint64_t lastSeek_ = 0;
    std::uint32_t endsTaken_ = 0;
    std::uint32_t lastEnd_ = 0;
};

} // namespace qf::sound
