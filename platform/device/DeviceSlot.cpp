#include "platform/device/DeviceSlot.h"

#include <cstring>
#include <thread>

namespace qf::sound {

void DeviceSlot::pump(void* user, std::uint8_t* data, int bytes) noexcept {
    auto* slot = static_cast<DeviceSlot*>(user);
    // Announce first, then look: detach() stores first, then waits for the count to drop, so
    // (all sequentially consistent) either this sees the callback gone or detach() sees it here.
    slot->inside_.fetch_add(1);
    DeviceCallback* callback = slot->callback_.load();
    if (callback != nullptr) {
        callback->transfer(data, bytes);
    } else if (!slot->want_.capture) {
        std::memset(data, 0, static_cast<std::size_t>(bytes));
    }
    slot->inside_.fetch_sub(1, std::memory_order_release);
}

void DeviceSlot::held(void* user, int frames) noexcept {
    auto* slot = static_cast<DeviceSlot*>(user);
    slot->inside_.fetch_add(1);
    if (DeviceCallback* callback = slot->callback_.load()) {
        callback->held(frames);
    }
    slot->inside_.fetch_sub(1, std::memory_order_release);
}

int DeviceSlot::rewind(void* user, int frames) noexcept {
    auto* slot = static_cast<DeviceSlot*>(user);
    slot->inside_.fetch_add(1);
    DeviceCallback* callback = slot->callback_.load();
    const int back = callback != nullptr ? callback->rewind(frames) : 0;
    slot->inside_.fetch_sub(1, std::memory_order_release);
    return back;
}

void DeviceSlot::detach() noexcept {
    callback_.store(nullptr);
    while (inside_.load(std::memory_order_acquire) != 0) {
        std::this_thread::yield();
    }
}

} // namespace qf::sound
