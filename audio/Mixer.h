#pragma once

#include "audio/ChangeBell.h"
#include "audio/MasterGain.h"
#include "audio/Recording.h"
#include "audio/Voice.h"

#include <array>
#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace qf::sound {

// Sums every voice into one interleaved stereo stream at the device's rate and keeps the sum
// inside full scale. render() is what the audio callback calls, and tests and benchmarks call
// it directly to pull sound without any device.
class Mixer {
public:
    static constexpr std::size_t kMaxVoices = 32;

    explicit Mixer(int deviceRate);
    Mixer(const Mixer&) = delete;
    Mixer& operator=(const Mixer&) = delete;

    int deviceRate() const { return deviceRate_; }
    // The level of the whole mix, after the limiter. While it rests at silence the voices are
    // not mixed at all and keep their places.
    MasterGain& master() { return master_; }
    // Rung on every change the interface asks of the mix: the master level's fades here, the
    // voices' by whoever changes them.
    const ChangeBell& bell() const { return bell_; }
    ChangeBell& bell() { return bell_; }

    // Interface thread: claims a voice for a recording, or returns null when all are taken. When
    // the only slots left are ones released during the mix now running, it waits for that mix
    // to end, up to kReleaseWait.
    // The recording is kept alive until the voice is released and no mix that could still be
    // reading it is running, so the audio thread never sees it go.
    Voice* addVoice(std::shared_ptr<const Recording> recording);
    // Interface thread: gives a voice from addVoice back. It falls silent at once and its slot
    // is taken again by a later addVoice. Never waits for the audio thread.
    void releaseVoice(Voice& voice);
    // Voices claimed and not released.
    std::size_t liveVoices() const;

    // Audio thread: overwrites `frames` interleaved stereo frames.
    void render(float* out, std::size_t frames) noexcept;

    // Offline convenience for tests and benchmarks; allocates.
    std::vector<float> render(std::size_t frames);

    // Everything render() carries from one period to the next, a few kilobytes: an output that
    // keeps one for each period it has queued can put the mix back to the frame about to be
    // heard and render again from there, with whatever the interface asked for since. Up to
    // that frame the result is what an uninterrupted render gives; from it, the usual fades.
    struct Resume {
        std::size_t voicesUsed = 0;
        std::array<Voice::Resume, kMaxVoices> voices{};
        MasterGain::Resume master{};
    };
    // Audio thread, between two renders.
    void save(Resume& state) const noexcept;
    void restore(const Resume& state) noexcept;

private:
    // A slot's life: taken by addVoice (Free to Live), given up by releaseVoice (Live to
    // Releasing), and free again once no mix that may have seen it live is still running.
    enum class Slot : std::uint8_t { Free, Live, Releasing };

    // The longest addVoice waits for a mix to end so that a released slot can be taken.
    static constexpr std::chrono::milliseconds kReleaseWait{50};

    // Frees every released slot whose last possible reader has finished; interface thread.
    void reclaim();
    // The first free slot, or the next never used; kMaxVoices when there is none.
    std::size_t freeSlot() const;
    bool releasing() const;

    const int deviceRate_;
    std::array<Voice, kMaxVoices> voices_;
    std::array<std::shared_ptr<const Recording>, kMaxVoices> recordings_;
    std::array<std::atomic<Slot>, kMaxVoices> slots_{};
    // The render count when each slot was released; interface thread only.
    std::array<std::uint64_t, kMaxVoices> releasedAt_{};
    // How many slots have ever been taken, so that render() looks at no more than those.
    std::atomic<std::size_t> slotsUsed_{0};
    // Raised by render() as it begins and again as it ends: odd while a mix runs.
    std::atomic<std::uint64_t> renders_{0};
    ChangeBell bell_;
    MasterGain master_;
};

} // namespace qf::sound
