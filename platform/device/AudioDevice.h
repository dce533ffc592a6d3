#pragma once

#include "platform/device/DeviceFormat.h"

#include <memory>

namespace qf::sound {

class AudioWorker;
class DeviceSlot;

// One device held open by the audio system: reopened whenever it goes away, closed when this
// goes. Closing never waits for the sound server.
class AudioDevice {
public:
    AudioDevice(std::shared_ptr<AudioWorker> worker, std::shared_ptr<DeviceSlot> slot);
    ~AudioDevice();
    AudioDevice(const AudioDevice&) = delete;
    AudioDevice& operator=(const AudioDevice&) = delete;

    // False only for a device still waiting to open for the first time.
    bool isOpen() const;
    // As the device first opened; reopened devices keep its rate.
    const DeviceFormat& format() const;
    // A new device is paused; these take effect on the audio system's thread, soon after.
    void play();
    void pause();
    // Closes the device but keeps its place, so that it costs nothing at all, and opens it
    // again as it was; also taking effect soon after, on the audio system's thread.
    void suspend();
    void resume();
    // As AudioBackend::setDeep and refresh, on the audio system's thread soon after.
    void setDeep(bool deep);
    void refresh();
    // How many times it has been opened again after going away, being left behind or being
    // suspended.
    int reopenCount() const;

private:
    std::shared_ptr<AudioWorker> worker_;
    std::shared_ptr<DeviceSlot> slot_;
};

} // namespace qf::sound
