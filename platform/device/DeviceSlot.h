#pragma once

#include "platform/device/AudioBackend.h"
#include "platform/device/DeviceCallback.h"
#include "platform/device/DeviceFormat.h"

#include <atomic>
#include <cstdint>

namespace qf::sound {

// The meeting point of one owned device's callback and the threads that open and close it. The
// sound library calls pump() with the slot as its user pointer, through every reopen; detach()
// cuts the callback off for good, so the object it points at can go while the device is still
// being closed.
class DeviceSlot {
public:
    DeviceSlot(DeviceFormat want, DeviceCallback& callback)
        : want_(std::move(want)), callback_(&callback) {}
    DeviceSlot(const DeviceSlot&) = delete;
    DeviceSlot& operator=(const DeviceSlot&) = delete;

    static void pump(void* slot, std::uint8_t* data, int bytes) noexcept;
    static void held(void* slot, int frames) noexcept;
    static int rewind(void* slot, int frames) noexcept;
    static constexpr AudioBackend::Pump kPump{&pump, &held, &rewind};

    // Once this returns, the callback is not running and never runs again. Waits at most for
    // one callback that is already under way.
    void detach() noexcept;

    const DeviceFormat& want() const { return want_; }
    // As the device first opened; set by the owner's thread once, before isOpen() turns true.
    const DeviceFormat& obtained() const { return obtained_; }
    void setObtained(const DeviceFormat& format) {
        obtained_ = format;
        opened_.store(true, std::memory_order_release);
    }
    // False while a device that could not open at first is still being waited for.
    bool isOpen() const { return opened_.load(std::memory_order_acquire); }

    // Refreshes asked for and not yet made are made once.
    bool askRefresh() { return !refreshAsked_.exchange(true); }
    void refreshTaken() { refreshAsked_.store(false); }

    int reopenCount() const { return reopens_.load(std::memory_order_relaxed); }
    void countReopen() { reopens_.fetch_add(1, std::memory_order_relaxed); }

private:
    const DeviceFormat want_;
    DeviceFormat obtained_;
    std::atomic<DeviceCallback*> callback_;
    std::atomic<int> inside_{0};
    std::atomic<int> reopens_{0};
    std::atomic<bool> opened_{false};
    std::atomic<bool> refreshAsked_{false};
};

} // namespace qf::sound
