#pragma once

#include "platform/device/AudioBackend.h"
#include "platform/device/AudioDevice.h"
#include "platform/device/DeviceCallback.h"
#include "platform/device/DeviceFormat.h"

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace qf::sound {

class AudioWorker;

// The one owner of the process's sound library and of every device in it. Made once at
// start-up and ended at exit: a thread of its own makes every call into the library, keeps the
// devices open through sound-server restarts (starting the library afresh when needed, and
// reopening every device with its callback untouched, so sound goes on where it was), and
// moves them along when the desktop's default device changes.
class AudioSystem {
public:
    // How long opening a device may keep the caller waiting.
    static constexpr auto kOpenWait = std::chrono::milliseconds(2000);
    // How long the end of the program waits for the library to close; a server that hangs
    // must not keep the program from ending.
    static constexpr auto kShutdownWait = std::chrono::milliseconds(250);

    explicit AudioSystem(std::unique_ptr<AudioBackend> backend);
    ~AudioSystem();
    AudioSystem(const AudioSystem&) = delete;
    AudioSystem& operator=(const AudioSystem&) = delete;

    // What open() does when no device can be opened now.
    enum class Absent {
        Fail,        // returns null
        KeepLooking, // returns a device that is not open yet and opens as soon as it can
    };

    // Opens the default output (or input, for a capture format) at the rate it offers. When no
    // device opens the reason is set, and the result is null or, when told to keep looking, a
    // device whose isOpen() turns true once the device has appeared. The callback must outlive
    // the device.
    std::unique_ptr<AudioDevice> open(const DeviceFormat& want, DeviceCallback& callback,
                                      std::string& reason, Absent absent = Absent::Fail);

    // Where every output device plays: the sound server's name of an output, or empty for the
    // desktop's default. While that output is away its devices play on the default, and they
    // return to it when it comes back. Capture devices always use the default input.
    void setOutput(std::string name);

    // As AudioWorker::holdWhenPersonalGoes: `told` is called on the owner's thread.
    void holdWhenPersonalGoes(bool hold, std::function<void(bool gone)> told);

    // The sound server's outputs, for a menu to show: listed afresh on the owner's thread, or,
    // when that takes longer than `limit`, as last listed. Nothing when none can be told.
    std::optional<std::vector<AudioBackend::Output>> outputs(std::chrono::milliseconds limit);

private:
    std::shared_ptr<AudioWorker> worker_;
    std::thread thread_;
};

} // namespace qf::sound
