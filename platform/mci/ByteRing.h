#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>

namespace qf::mci {

// A fixed ring of bytes between exactly one writing thread and one reading thread, without
// locks, so a sound device's callback can hand data to a thread that may touch files.
class ByteRing {
public:
    // `capacity` is rounded up to a power of two.
    explicit ByteRing(std::size_t capacity);
    ByteRing(const ByteRing&) = delete;
    ByteRing& operator=(const ByteRing&) = delete;

    // Writer side: copies in as much as fits, at most `bytes`, and says how much that was.
    std::size_t write(const std::uint8_t* data, std::size_t bytes) noexcept;
    std::size_t writable() const noexcept;
    // Reader side: takes out at most `bytes`.
    std::size_t read(std::uint8_t* data, std::size_t bytes) noexcept;
    std::size_t readable() const noexcept;
    // Empties the ring; only while neither side is using it.
    void clear() noexcept;

    std::size_t capacity() const noexcept { return mask_ + 1; }

private:
    std::unique_ptr<std::uint8_t[]> bytes_;
    std::size_t mask_;
    // Totals written and read; each side stores only its own, so they never contend.
    alignas(64) std::atomic<std::uint64_t> written_{0};
    alignas(64) std::atomic<std::uint64_t> read_{0};
};

} // namespace qf::mci
