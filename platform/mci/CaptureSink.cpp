#include "platform/mci/CaptureSink.h"

#include "platform/mci/AudioPorts.h"

#include <algorithm>
#include <thread>

namespace qf::mci {

void CaptureSink::transfer(std::uint8_t* data, int bytes) noexcept {
    // Announce first, then look: close() stores first, then waits for the count to drop, so
    // either this sees the sink closed or close() sees it here.
    inside_.fetch_add(1);
    if (open_.load()) {
        const std::size_t frames = static_cast<std::size_t>(bytes) / AudioPorts::kBytesPerFrame *
                                   AudioPorts::kBytesPerFrame;
        const std::size_t written = ring_.write(data, std::min(frames, ring_.writable()));
        if (written < frames) {
            dropped_.fetch_add(frames - written, std::memory_order_relaxed);
        }
    }
    inside_.fetch_sub(1, std::memory_order_release);
}

void CaptureSink::close() noexcept {
    open_.store(false);
    while (inside_.load(std::memory_order_acquire) != 0) {
        std::this_thread::yield();
    }
}

} // namespace qf::mci
