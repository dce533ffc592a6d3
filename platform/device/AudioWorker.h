#pragma once

#include "platform/device/AudioBackend.h"
#include "platform/device/DeviceCallback.h"
#include "platform/device/DeviceSlot.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace qf::sound {

// The thread that makes every call into the sound library, one at a time, and the devices it
// keeps open. Other threads hand it jobs and never wait on a lock it holds while it talks to the
// sound server, so a server that hangs can delay a new device but never a close.
class AudioWorker {
public:
    using Clock = std::chrono::steady_clock;
    // How often open devices are checked for having gone away; while every open device is deep
    // (nobody is there) and the library tells of changes itself, only as a safety net.
    static constexpr auto kWatchInterval = std::chrono::milliseconds(250);
    static constexpr auto kQuietWatch = std::chrono::seconds(2);
    // Reopening is retried this soon after a failure, then twice as late each time up to the
    // longest wait, so sound is back within about half a second of the server.
    static constexpr auto kFirstRetry = std::chrono::milliseconds(100);
    static constexpr auto kLongestRetry = std::chrono::milliseconds(500);
    // After the desktop's default device changed, the server gets this long to move streams
    // itself before a stream left behind is reopened.
    static constexpr auto kRouteSettle = std::chrono::milliseconds(300);
    // A device left on the default while its chosen output is there (the library had not heard
    // of it yet) is looked at again this soon.
    static constexpr auto kOutputRecheck = std::chrono::milliseconds(500);

    explicit AudioWorker(std::unique_ptr<AudioBackend> backend);
    AudioWorker(const AudioWorker&) = delete;
    AudioWorker& operator=(const AudioWorker&) = delete;

    // The thread's body: runs jobs and watches the devices until asked to stop, then closes
    // every device and takes the sound library down.
    void run();
    // Asks run() to finish the jobs already handed in and end; true if it ended within `limit`.
    bool stopAndWait(std::chrono::milliseconds limit);

    // Any thread. Opens a device at the rate it offers and keeps it open from then on; waits
    // at most `limit` for the answer. When it did not open: a reason, and null, or with
    // `keepLooking` a slot that is not open yet, which the watch opens as soon as it can.
    std::shared_ptr<DeviceSlot> open(const DeviceFormat& want, DeviceCallback& callback,
                                     std::chrono::milliseconds limit, std::string& reason,
                                     bool keepLooking = false);
    void setPlaying(const std::shared_ptr<DeviceSlot>& slot, bool playing);
    // A suspended device is closed, so that neither the library nor the server does any work
    // for it, and is not reopened by the watch; resuming opens it again as it was, at its rate
    // and in its play state (at once if it can, otherwise with the watch's retries).
    void setSuspended(const std::shared_ptr<DeviceSlot>& slot, bool suspended);
    // As AudioBackend::setDeep and refresh, kept through reopens; refreshes asked for while one
    // waits are made once.
    void setDeep(const std::shared_ptr<DeviceSlot>& slot, bool deep);
    void refresh(const std::shared_ptr<DeviceSlot>& slot);
    // Cuts the callback off at once; the device itself is closed on the worker's thread.
    void release(const std::shared_ptr<DeviceSlot>& slot);
    // Where every playing device plays from now on: the sound server's name of an output, or
    // empty for the desktop's default. Open devices move at once; while the output is not
    // there they play on the default, and move back when it returns.
    void setOutput(std::string name);
    // Whether output devices that ask for it stop where they are when the personal output they
    // play on goes away; `told` hears, on the worker's thread, that such an output went (true)
    // and, while nothing has played since, that it came back (false). The device stays stopped
    // until it is played, suspended or resumed again; it then opens afresh where it belongs.
    void holdWhenPersonalGoes(bool hold, std::function<void(bool gone)> told);
    // Any thread: the server's outputs, listed afresh on the worker's thread. When that takes
    // longer than `limit` (the worker is busy, the server slow), the last list it made.
    std::optional<std::vector<AudioBackend::Output>> outputs(std::chrono::milliseconds limit);

private:
    struct Entry {
        std::shared_ptr<DeviceSlot> slot;
        // What a reopen asks for: the first device's rate, so the callback never sees another.
        DeviceFormat want;
        AudioBackend::DeviceId id = 0;
        bool playing = false;
        bool suspended = false;
        bool deep = false;
        // Stopped for a personal output that went away: not moved or reopened meanwhile.
        bool held = false;
    };

    bool post(std::function<void()> job);
    Entry* find(const DeviceSlot* slot);
    bool startLibrary(std::string& reason);
    // One look at every device; returns when the next look is due.
    Clock::time_point watch();
    void recover(Clock::time_point now);
    bool reopen(Entry& entry);
    // Where a device should play now: the chosen output while the server has it.
    std::string placeFor(const Entry& entry);
    void closeDevice(Entry& entry);
    // Opens the device afresh where it should play, then closes where it played.
    void move(Entry& entry);
    // Opens a held device afresh where it belongs.
    void unhold(Entry& entry);
    // A personal output went, or the one that went is back.
    void watchPersonal();
    bool anyMissing() const;
    bool anyOpen() const;
    Clock::duration watchInterval() const;
    // The library's thread: something changed, look now.
    void poke();
    void shutDown();

    // Shared with other threads, under mutex_.
    std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable finishedWake_;
    std::deque<std::function<void()>> jobs_;
    bool stopping_ = false;
    bool finished_ = false;
    bool poked_ = false;
    std::optional<std::vector<AudioBackend::Output>> listed_;

    // The worker thread's own.
    std::unique_ptr<AudioBackend> backend_;
    std::vector<Entry> entries_;
    bool up_ = false;
    // A device went away by itself, or a first open failed: when none is left open, the
    // library starts afresh before the next try.
    bool freshStartDue_ = false;
    Clock::time_point retryAt_{};
    Clock::duration retryWait_ = kFirstRetry;
    std::optional<Clock::time_point> routeCheckAt_;
    std::string output_;
    bool holdPersonal_ = false;
    std::function<void(bool)> personalTold_;
    // The personal output a device was stopped for, until it is back or something plays.
    std::string personalAway_;
};

} // namespace qf::sound
