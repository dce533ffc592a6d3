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
    // Playback: the last `frames` frames given have not been heard yet. Goes back to a point
    // within them and returns how many frames from there it will give again, which the
    // device must then take, all of them; 0 when it keeps to what it gave.
    virtual int rewind(int) noexcept { return 0; }
};

} // namespace qf::sound
