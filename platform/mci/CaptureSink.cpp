#include "platform/mci/CaptureSink.h"

#include "platform/mci/AudioPorts.h"

#include <algorithm>
#include <thread>

namespace qf::mci {

void CaptureSink::transfer(std::uint8_t* data, int bytes) noexcept {
    // Announce first, then look: close() stores first, then waits for the count to drop, so
    // either this sees the sink closed or close() sees it here.
    inside_.fetch_add(1);
    std::size_t frames =
        static_cast<std::size_t>(bytes) / AudioPorts::kBytesPerFrame * AudioPorts::kBytesPerFrame;
    const std::size_t held = heldBytes_.load(std::memory_order_relaxed);
    heldBytes_.store(held - std::min(held, frames), std::memory_order_relaxed);
    if (open_.load()) {
        const bool last = finishing_.load();
        if (last) {
            const std::size_t tail = tailBytes_.load();
            frames = std::min(frames, tail);
            tailBytes_.store(tail - frames);
        }
        const std::size_t written = ring_.write(data, std::min(frames, ring_.writable()));
        if (written < frames) {
            dropped_.fetch_add(frames - written, std::memory_order_relaxed);
        }
        if (last && tailBytes_.load() == 0) {
            open_.store(false);
        }
    }
    inside_.fetch_sub(1, std::memory_order_release);
}

void CaptureSink::held(int frames) noexcept {
    heldBytes_.store(static_cast<std::size_t>(std::max(frames, 0)) * AudioPorts::kBytesPerFrame,
                     std::memory_order_relaxed);
}

void CaptureSink::open() noexcept {
    finishing_.store(false);
    open_.store(true);
}

void CaptureSink::close() noexcept {
    open_.store(false);
    while (inside_.load(std::memory_order_acquire) != 0) {
        std::this_thread::yield();
    }
}

std::size_t CaptureSink::finish() noexcept {
    const std::size_t tail = heldBytes_.load(std::memory_order_relaxed);
    if (tail == 0) {
        close();
        return 0;
    }
    tailBytes_.store(tail);
    finishing_.store(true);
    return tail;
}

} // namespace qf::mci
