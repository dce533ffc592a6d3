#include "audio/Mixer.h"

#include "audio/SoftLimiter.h"

#include <algorithm>
#include <thread>

namespace qf::sound {

Mixer::Mixer(int deviceRate) : deviceRate_(deviceRate), master_(deviceRate, &bell_) {}

Voice* Mixer::addVoice(std::shared_ptr<const Recording> recording) {
    if (!recording) {
        return nullptr;
    }
    reclaim();
    std::size_t index = freeSlot();
    // Every slot taken, some of them only by voices released during the mix running now: that
    // mix ends within a period unless its thread is held up, so wait for it, but not for long.
    const auto until = std::chrono::steady_clock::now() + kReleaseWait;
    while (index == kMaxVoices && releasing() && std::chrono::steady_clock::now() < until) {
        std::this_thread::yield();
        reclaim();
        index = freeSlot();
    }
    if (index == kMaxVoices) {
        return nullptr;
    }
    const std::size_t used = slotsUsed_.load(std::memory_order_relaxed);
    recordings_[index] = std::move(recording);
    voices_[index].attach(recordings_[index].get(), deviceRate_);
    // Marking the slot live is what makes the voice visible to the audio thread; everything
    // attach() wrote is seen with it.
    slots_[index].store(Slot::Live, std::memory_order_seq_cst);
    if (index == used) {
        slotsUsed_.store(used + 1, std::memory_order_release);
    }
    return &voices_[index];
}

std::size_t Mixer::freeSlot() const {
    const std::size_t used = slotsUsed_.load(std::memory_order_relaxed);
    std::size_t index = 0;
    while (index < used && slots_[index].load(std::memory_order_relaxed) != Slot::Free) {
        ++index;
    }
    return index;
}

bool Mixer::releasing() const {
    const std::size_t used = slotsUsed_.load(std::memory_order_relaxed);
    for (std::size_t i = 0; i < used; ++i) {
        if (slots_[i].load(std::memory_order_relaxed) == Slot::Releasing) {
            return true;
        }
    }
    return false;
}

void Mixer::releaseVoice(Voice& voice) {
    const auto index = static_cast<std::size_t>(&voice - voices_.data());
    // From here on no mix that begins reads the voice. One that began earlier may still be
    // reading it: its start raised the count to an odd number, and its end will raise it past.
    slots_[index].store(Slot::Releasing, std::memory_order_seq_cst);
    releasedAt_[index] = renders_.load(std::memory_order_seq_cst);
    reclaim();
}

void Mixer::reclaim() {
    const std::uint64_t now = renders_.load(std::memory_order_seq_cst);
    const std::size_t used = slotsUsed_.load(std::memory_order_relaxed);
    for (std::size_t i = 0; i < used; ++i) {
        if (slots_[i].load(std::memory_order_relaxed) != Slot::Releasing) {
            continue;
        }
        // Released between mixes: free at once. Released during one: free once it has ended.
        const std::uint64_t safe = (releasedAt_[i] + 1) & ~std::uint64_t{1};
        if (now >= safe) {
            recordings_[i].reset();
            slots_[i].store(Slot::Free, std::memory_order_relaxed);
        }
    }
}

std::size_t Mixer::liveVoices() const {
    const std::size_t used = slotsUsed_.load(std::memory_order_relaxed);
    std::size_t live = 0;
    for (std::size_t i = 0; i < used; ++i) {
        live += slots_[i].load(std::memory_order_relaxed) == Slot::Live ? 1 : 0;
    }
    return live;
}

void Mixer::render(float* out, std::size_t frames) noexcept {
    std::fill(out, out + 2 * frames, 0.0f);
    if (!master_.begin()) {
        return;
    }
    renders_.fetch_add(1, std::memory_order_seq_cst);
    const std::size_t used = slotsUsed_.load(std::memory_order_acquire);
    for (std::size_t v = 0; v < used; ++v) {
        if (slots_[v].load(std::memory_order_seq_cst) == Slot::Live) {
            voices_[v].mixInto(out, frames);
        }
    }
    // Everything this mix read of the voices comes before the count that frees them.
    renders_.fetch_add(1, std::memory_order_seq_cst);
    SoftLimiter::processBlock(out, 2 * frames);
    master_.apply(out, frames);
}

std::vector<float> Mixer::render(std::size_t frames) {
    std::vector<float> out(2 * frames);
    render(out.data(), frames);
    return out;
}

void Mixer::save(Resume& state) const noexcept {
    state.voicesUsed = slotsUsed_.load(std::memory_order_acquire);
    for (std::size_t v = 0; v < state.voicesUsed; ++v) {
        state.voices[v] = voices_[v].save();
    }
    state.master = master_.save();
}

void Mixer::restore(const Resume& state) noexcept {
    // Counted as a mix, so that no slot released meanwhile is taken again while it is put back.
    renders_.fetch_add(1, std::memory_order_seq_cst);
    const std::size_t used = slotsUsed_.load(std::memory_order_acquire);
    for (std::size_t v = 0; v < used; ++v) {
        if (slots_[v].load(std::memory_order_seq_cst) == Slot::Live) {
            // A voice first used after the state was saved starts afresh.
            voices_[v].restore(v < state.voicesUsed ? state.voices[v] : Voice::Resume{});
        }
    }
    renders_.fetch_add(1, std::memory_order_seq_cst);
    master_.restore(state.master);
}

} // namespace qf::sound
