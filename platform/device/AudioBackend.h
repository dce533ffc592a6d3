#pragma once

#include "platform/device/DeviceFormat.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace qf::sound {

// The few operations the audio-system owner needs from the platform's sound library. Only the
// owner's own thread calls them, one at a time; tests put a fake in its place.
class AudioBackend {
public:
    using DeviceId = std::uint32_t;
    // Called from the device's thread with the user pointer given to open().
    struct Pump {
        void (*transfer)(void* user, std::uint8_t* data, int bytes) noexcept;
        // Capture, from libraries that can tell: how many frames the device has recorded but
        // not handed over yet.
        void (*held)(void* user, int frames) noexcept;
        // Playback: as DeviceCallback::rewind.
        int (*rewind)(void* user, int frames) noexcept;
    };

    virtual ~AudioBackend() = default;

    // Brings the sound library up, or back up after stop().
    virtual bool start(std::string& reason) = 0;
    // Takes it down; every device still open goes with it.
    virtual void stop() = 0;

    // Opens want.output, or the desktop's default output when it is not there (or input, for a
    // capture format). With `exactRate` the device runs at want.rate whatever the hardware does;
    // otherwise it may choose its own. Returns 0 and a reason on failure. A new device starts
    // paused.
    virtual DeviceId open(const DeviceFormat& want, bool exactRate, Pump pump, void* user,
                          DeviceFormat& obtained, std::string& reason) = 0;
    virtual void pause(DeviceId device, bool paused) = 0;
    // A deep device queues seconds of sound, so that the server wakes for it rarely, where
    // the library can replace what is queued (refresh()); elsewhere this changes nothing.
    virtual void setDeep(DeviceId, bool) {}
    // Replaces what the device has queued beyond the next moment with what the pump gives
    // again after a rewind, so that a change made now is heard at once.
    virtual void refresh(DeviceId) {}
    // True once the device has stopped for good (its server or hardware went away).
    virtual bool lost(DeviceId device) = 0;
    virtual void close(DeviceId device) = 0;

    // True once after the desktop's default output or input changed, or an output came or
    // went. Never blocks.
    virtual bool routesChanged() = 0;
    // A library that hears of a device lost or the routes changed as it happens calls `hook`
    // then, from a thread of its own, and says so with tellsChanges(); the owner then need not
    // look often while nothing else asks it to.
    virtual void setChangeHook(std::function<void()>) {}
    virtual bool tellsChanges() const { return false; }
    // Whether the device's stream plays somewhere other than format.output (the desktop's
    // default when empty); false when that cannot be told. May wait briefly for the server.
    virtual bool strayed(const DeviceFormat& format) = 0;
    // Whether a device opened with heldWhenPersonalGoes stops where it is when the personal
    // output it plays on goes away (headphones unplugged or switched off), instead of going on
    // with the server to another output, where the server would play what it had queued.
    virtual void holdWhenPersonalGoes(bool) {}
    // Once per loss: the personal output that went, after the device was stopped for it;
    // empty otherwise.
    virtual std::string personalGone(DeviceId) { return {}; }
    // Whether the server has the personal output called `name` again, as its default with
    // `asDefault`. May wait briefly.
    virtual bool personalBack(const std::string&, bool) { return false; }
    // Whether the sound server has the output called `name` now. May wait briefly.
    virtual bool hasOutput(const std::string& name) = 0;
    struct Output {
        std::string name;        // the server's own, kept to find the output again
        std::string description; // what people are shown
    };
    // The server's outputs now, in its order; nothing when that cannot be told. May wait
    // briefly.
    virtual std::optional<std::vector<Output>> outputs() = 0;

    // True when a sound server has come up while the library runs on a driver that is not a
    // server's (there was none when it started), or the pulse service has while it runs on
    // PipeWire's own driver: the owner then starts the library afresh, which lands it on the
    // server, and reopens every device. Waits briefly at most.
    virtual bool serverAppeared() = 0;

    // The calling thread will make no more calls.
    virtual void threadDone() = 0;
};

} // namespace qf::sound
