#include "platform/mci/PlaybackSource.h"

#include <cstring>

namespace qf::mci {

void PlaybackSource::transfer(std::uint8_t* data, int bytes) noexcept {
    // Looked at before reading: data written before the mark is then surely in the ring.
    const bool ending = ending_.load(std::memory_order_acquire);
    const auto want = static_cast<std::size_t>(bytes);
    const std::size_t got = ring_.read(data, want);
    if (got < want) {
        std::memset(data + got, 0, want - got);
        if (ending) {
            ended_.store(true, std::memory_order_release);
        }
    }
}

void PlaybackSource::reset() noexcept {
    ring_.clear();
    ending_.store(false);
    ended_.store(false);
}

} // namespace qf::mci
