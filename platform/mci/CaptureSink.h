#pragma once

#include "platform/device/DeviceCallback.h"
#include "platform/mci/ByteRing.h"

#include <atomic>
#include <cstdint>

namespace qf::mci {

// What the input device records into: whole frames go into a ring that the spooling thread
// empties into the scratch file. While closed, whatever the device delivers is let go.
class CaptureSink final : public sound::DeviceCallback {
public:
    explicit CaptureSink(std::size_t ringBytes) : ring_(ringBytes) {}

    void transfer(std::uint8_t* data, int bytes) noexcept override;
    void held(int frames) noexcept override;

    void open() noexcept;
    // Once this returns, nothing more enters the ring until open(). Waits at most for one
    // callback already under way.
    void close() noexcept;
    // Lets in what the device has recorded by now but not handed over yet, as far as it told,
    // and then closes by itself; returns how many bytes that is still to come.
    std::size_t finish() noexcept;
    bool isOpen() const noexcept { return open_.load(); }

    // The reading side belongs to the spooling thread.
    ByteRing& ring() noexcept { return ring_; }
    // Bytes let go because the ring was full (the disk did not keep up).
    std::uint64_t dropped() const noexcept { return dropped_.load(std::memory_order_relaxed); }

private:
    ByteRing ring_;
    std::atomic<bool> open_{false};
    std::atomic<int> inside_{0};
    std::atomic<std::uint64_t> dropped_{0};
    // Written by the device's thread only.
    std::atomic<std::size_t> heldBytes_{0};
    std::atomic<bool> finishing_{false};
    std::atomic<std::size_t> tailBytes_{0};
};

} // namespace qf::mci
