#pragma once

#include <cstdint>

namespace qf::sound {

// What a device plays from or records into. It runs on the device's own thread, so it never
// allocates, locks, logs or touches files.
class DeviceCallback {
public:
    virtual ~DeviceCallback() = default;
    // Playback: fill all `bytes` of `data`. Capture: take them.
    virtual void transfer(std::uint8_t* data, int bytes) noexcept = 0;
    // Capture, where the library can tell: how many frames the device has recorded that have
    // not come through transfer() yet.
    virtual void held(int) noexcept {}
};

} // namespace qf::sound
