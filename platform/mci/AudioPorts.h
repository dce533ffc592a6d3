#pragma once

#include "platform/device/DeviceCallback.h"
#include "platform/mci/AudioPort.h"

#include <memory>
#include <string>

namespace qf::mci {

// Where the recorder's devices come from: the sound system in the program, a fake that runs
// faster than real time in tests. Every device runs at 44100 Hz, 2 channels, 16 bits, so the
// callbacks move frames of 4 bytes.
class AudioPorts {
public:
    static constexpr int kRate = 44100;
    static constexpr int kChannels = 2;
    static constexpr int kBytesPerFrame = 4;
    static constexpr int kBytesPerSecond = kRate * kBytesPerFrame;

    virtual ~AudioPorts() = default;
    // The desktop's default input, stopped. Null, with a reason, when there is none.
    virtual std::unique_ptr<AudioPort> openCapture(sound::DeviceCallback& callback,
                                                   std::string& reason) = 0;
    // A new output to the desktop's default, stopped, beside any other sound playing.
    virtual std::unique_ptr<AudioPort> openPlayback(sound::DeviceCallback& callback,
                                                    std::string& reason) = 0;
};

} // namespace qf::mci
