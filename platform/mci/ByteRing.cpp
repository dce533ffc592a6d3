#include "platform/mci/ByteRing.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace qf::mci {

ByteRing::ByteRing(std::size_t capacity)
    : bytes_(std::make_unique<std::uint8_t[]>(std::bit_ceil(std::max<std::size_t>(capacity, 2)))),
      mask_(std::bit_ceil(std::max<std::size_t>(capacity, 2)) - 1) {}

std::size_t ByteRing::write(const std::uint8_t* data, std::size_t bytes) noexcept {
    const std::uint64_t written = written_.load(std::memory_order_relaxed);
    const std::uint64_t read = read_.load(std::memory_order_acquire);
    const std::size_t n = std::min<std::size_t>(bytes, capacity() - (written - read));
    const std::size_t at = written & mask_;
    const std::size_t first = std::min(n, capacity() - at);
    std::memcpy(bytes_.get() + at, data, first);
    std::memcpy(bytes_.get(), data + first, n - first);
    written_.store(written + n, std::memory_order_release);
    return n;
}

std::size_t ByteRing::writable() const noexcept {
    return capacity() -
           (written_.load(std::memory_order_relaxed) - read_.load(std::memory_order_acquire));
}

std::size_t ByteRing::read(std::uint8_t* data, std::size_t bytes) noexcept {
    const std::uint64_t read = read_.load(std::memory_order_relaxed);
    const std::uint64_t written = written_.load(std::memory_order_acquire);
    const std::size_t n = std::min<std::size_t>(bytes, written - read);
    const std::size_t at = read & mask_;
    const std::size_t first = std::min(n, capacity() - at);
    std::memcpy(data, bytes_.get() + at, first);
    std::memcpy(data + first, bytes_.get(), n - first);
    read_.store(read + n, std::memory_order_release);
    return n;
}

std::size_t ByteRing::readable() const noexcept {
    return written_.load(std::memory_order_acquire) - read_.load(std::memory_order_relaxed);
}

void ByteRing::clear() noexcept {
    written_.store(0);
    read_.store(0);
}

} // namespace qf::mci
