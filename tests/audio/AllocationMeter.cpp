#include "tests/audio/AllocationMeter.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {

std::atomic<std::size_t> held{0};
std::atomic<std::size_t> peak{0};
std::atomic<std::size_t> base{0};
std::atomic<std::size_t> allocations{0};
std::atomic<std::size_t> baseAllocations{0};

// Each block carries its size in front, so that delete knows what it gives back.
constexpr std::size_t kHeader = alignof(std::max_align_t);

void* allocate(std::size_t size) noexcept {
    void* block = std::malloc(size + kHeader);
    if (block == nullptr) {
        return nullptr;
    }
    *static_cast<std::size_t*>(block) = size;
    allocations.fetch_add(1, std::memory_order_relaxed);
    const std::size_t now = held.fetch_add(size, std::memory_order_relaxed) + size;
    std::size_t top = peak.load(std::memory_order_relaxed);
    while (now > top && !peak.compare_exchange_weak(top, now, std::memory_order_relaxed)) {
    }
    return static_cast<char*>(block) + kHeader;
}

void release(void* pointer) noexcept {
    if (pointer == nullptr) {
        return;
    }
    void* block = static_cast<char*>(pointer) - kHeader;
    held.fetch_sub(*static_cast<std::size_t*>(block), std::memory_order_relaxed);
    std::free(block);
}

void* allocateOrThrow(std::size_t size) {
    if (void* pointer = allocate(size)) {
        return pointer;
    }
    throw std::bad_alloc();
}

} // namespace

void AllocationMeter::start() noexcept {
    const std::size_t now = held.load(std::memory_order_relaxed);
    base.store(now, std::memory_order_relaxed);
    peak.store(now, std::memory_order_relaxed);
    baseAllocations.store(allocations.load(std::memory_order_relaxed), std::memory_order_relaxed);
}

std::size_t AllocationMeter::peakSinceStart() noexcept {
    return peak.load(std::memory_order_relaxed) - base.load(std::memory_order_relaxed);
}

std::size_t AllocationMeter::allocationsSinceStart() noexcept {
    return allocations.load(std::memory_order_relaxed) -
           baseAllocations.load(std::memory_order_relaxed);
}

void* operator new(std::size_t size) {
    return allocateOrThrow(size);
}
void* operator new[](std::size_t size) {
    return allocateOrThrow(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    return allocate(size);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    return allocate(size);
}
void operator delete(void* pointer) noexcept {
    release(pointer);
}
void operator delete[](void* pointer) noexcept {
    release(pointer);
}
void operator delete(void* pointer, std::size_t) noexcept {
    release(pointer);
}
void operator delete[](void* pointer, std::size_t) noexcept {
    release(pointer);
}
void operator delete(void* pointer, const std::nothrow_t&) noexcept {
    release(pointer);
}
void operator delete[](void* pointer, const std::nothrow_t&) noexcept {
    release(pointer);
}
