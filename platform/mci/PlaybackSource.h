#pragma once

#include "platform/device/DeviceCallback.h"
#include "platform/mci/ByteRing.h"

#include <atomic>
#include <cstdint>

namespace qf::mci {

// What the output device plays the recording from: a ring the spooling thread fills from the
// scratch file. Silence fills any gap; once the last byte has been played it says so.
class PlaybackSource final : public sound::DeviceCallback {
public:
    explicit PlaybackSource(std::size_t ringBytes) : ring_(ringBytes) {}

    void transfer(std::uint8_t* data, int bytes) noexcept override;

    // The writing side belongs to the spooling thread.
    ByteRing& ring() noexcept { return ring_; }
    // Nothing more will come after what is in the ring.
    void markEnding() noexcept { ending_.store(true, std::memory_order_release); }
    // Everything has been played.
    bool ended() const noexcept { return ended_.load(std::memory_order_acquire); }
    // Ready for a new playback; only while no device calls transfer().
    void reset() noexcept;

private:
    ByteRing ring_;
    std::atomic<bool> ending_{false};
    std::atomic<bool> ended_{false};
};

} // namespace qf::mci
