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
};

} // namespace qf::sound
