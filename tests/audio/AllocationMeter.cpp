#include "tests/audio/AllocationMeter.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <new>

namespace {

std::atomic<std::size_t> held{0};
std::atomic<std::size_t> peak{0};
std::atomic<std::size_t> base{0};
std::atomic<std::size_t> allocations{0};
std::atomic<std::size_t> baseAllocations{0};

// Each block carries its size in front, so that delete knows what it gives back. A block with a
// stricter alignment starts that many bytes before what is handed out.
constexpr std::size_t kHeader = alignof(std::max_align_t);

std::size_t headerFor(std::align_val_t alignment) noexcept {
    return std::max(static_cast<std::size_t>(alignment), kHeader);
}

void* allocate(std::size_t size, std::size_t header = kHeader) noexcept {
    void* block = header == kHeader
                      ? std::malloc(size + kHeader)
                      : std::aligned_alloc(header, (size + 2 * header - 1) / header * header);
    if (block == nullptr) {
        return nullptr;
    }
    *static_cast<std::size_t*>(block) = size;
    allocations.fetch_add(1, std::memory_order_relaxed);
    const std::size_t now = held.fetch_add(size, std::memory_order_relaxed) + size;
    std::size_t top = peak.load(std::memory_order_relaxed);
    while (now > top && !peak.compare_exchange_weak(top, now, std::memory_order_relaxed)) {
    }
    return static_cast<char*>(block) + header;
}

void release(void* pointer, std::size_t header = kHeader) noexcept {
    if (pointer == nullptr) {
        return;
    }
    void* block = static_cast<char*>(pointer) - header;
    held.fetch_sub(*static_cast<std::size_t*>(block), std::memory_order_relaxed);
    std::free(block);
}

void* allocateOrThrow(std::size_t size, std::size_t header = kHeader) {
    if (void* pointer = allocate(size, header)) {
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

// The aligned forms, for objects with members aligned beyond the usual (a cache line, say).
void* operator new(std::size_t size, std::align_val_t alignment) {
    return allocateOrThrow(size, headerFor(alignment));
}
void* operator new[](std::size_t size, std::align_val_t alignment) {
    return allocateOrThrow(size, headerFor(alignment));
}
void* operator new(std::size_t size, std::align_val_t alignment, const std::nothrow_t&) noexcept {
    return allocate(size, headerFor(alignment));
}
void* operator new[](std::size_t size, std::align_val_t alignment, const std::nothrow_t&) noexcept {
    return allocate(size, headerFor(alignment));
}
void operator delete(void* pointer, std::align_val_t alignment) noexcept {
    release(pointer, headerFor(alignment));
}
void operator delete[](void* pointer, std::align_val_t alignment) noexcept {
    release(pointer, headerFor(alignment));
}
void operator delete(void* pointer, std::size_t, std::align_val_t alignment) noexcept {
    release(pointer, headerFor(alignment));
}
void operator delete[](void* pointer, std::size_t, std::align_val_t alignment) noexcept {
    release(pointer, headerFor(alignment));
}
void operator delete(void* pointer, std::align_val_t alignment, const std::nothrow_t&) noexcept {
    release(pointer, headerFor(alignment));
}
void operator delete[](void* pointer, std::align_val_t alignment, const std::nothrow_t&) noexcept {
    release(pointer, headerFor(alignment));
}
