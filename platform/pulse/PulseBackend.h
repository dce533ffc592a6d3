#pragma once

#include "platform/device/AudioBackend.h"
#include "platform/pulse/PersonalOutputWatch.h"
#include "platform/pulse/PulseRouting.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>

struct pa_context;
struct pa_operation;
struct pa_stream;
struct pa_threaded_mainloop;

namespace qf::sound {

// The audio back end that speaks to the sound server in its own language: libpulse's
// asynchronous API, which PulseAudio and PipeWire's pulse service both serve. An output opens on
// the server's output by its name and at that output's own rate, so the server has nothing to
// resample, and carries the program's name, id and icon for the desktop's sound settings. Only
// the audio system's thread calls it; the streams call back on libpulse's own thread.
class PulseBackend final : public AudioBackend {
public:
    static constexpr const char* kAppId = "io.github.quietfield.Quietfield";
    // How long connecting and opening a stream may wait for the server.
    static constexpr auto kConnectWait = std::chrono::milliseconds(1500);
    static constexpr auto kQueryWait = std::chrono::milliseconds(300);
    // A deep output's queue, and how much of it the server asks for at a time. PulseAudio gives
    // its output (tlength - 2 minreq) / 2 of it: 600 ms, so that the output wakes rarely too.
    static constexpr auto kDeepQueue = std::chrono::milliseconds(2000);
    static constexpr auto kDeepRequest = std::chrono::milliseconds(400);
    // While someone is there the queue holds this many periods: enough to ride out a busy
    // machine's delays in waking the program (one period ran dry). A change does not wait for
    // it: the queue is written over from just after what is heard. Deeper made a change later
    // under PipeWire's pulse service, which cannot say what its graph holds.
    static constexpr int kShallowPeriods = 4;
    // What is about to be heard is left as it is when the queue is replaced: the time the new
    // sound takes to reach the server and the output's rewind.
    static constexpr auto kReplaceMargin = std::chrono::milliseconds(30);
    // PipeWire's pulse service plays in its graph's cycles, as long as the shortest latency any
    // stream asks for, and has taken a cycle more than is being heard: a change waits there
    // up to three cycles. The streams ask for cycles of 512 frames at 48 kHz, deep or not, so
    // that a change is heard within 60 ms; how rarely the program is asked to write is the
    // request's own size. Written over, the queue is left alone for a cycle and the way there.
    static constexpr auto kGraphCycle = std::chrono::milliseconds(12);
    static constexpr auto kGraphMargin = std::chrono::milliseconds(15);

    PulseBackend();
    ~PulseBackend() override;
    PulseBackend(const PulseBackend&) = delete;
    PulseBackend& operator=(const PulseBackend&) = delete;

    bool start(std::string& reason) override;
    void stop() override;
    DeviceId open(const DeviceFormat& want, bool exactRate, Pump pump, void* user,
                  DeviceFormat& obtained, std::string& reason) override;
    void pause(DeviceId device, bool paused) override;
    void setDeep(DeviceId device, bool deep) override;
    void refresh(DeviceId device) override;
    bool lost(DeviceId device) override;
    void close(DeviceId device) override;
    bool routesChanged() override;
    // Called when a connection or stream fails and when the server's outputs or default change.
    void setChangeHook(std::function<void()> hook) override;
    bool tellsChanges() const override { return true; }
    bool strayed(const DeviceFormat& format) override;
    bool hasOutput(const std::string& name) override;
    void holdWhenPersonalGoes(bool hold) override { personal_.hold(hold); }
    std::string personalGone(DeviceId device) override;
    bool personalBack(const std::string& name, bool asDefault) override;
    std::optional<std::vector<Output>> outputs() override;
    bool serverAppeared() override { return false; }
    void threadDone() override;

    struct Stream;

private:
    struct Device {
        std::string name;
        int rate = 0;
        // An output: headphones and the like (PersonalOutputWatch::isPersonal).
        bool personal = false;
    };
    // With the loop locked: waits until `done` or the time is up.
    template <typename Done> bool waitFor(Done done, std::chrono::milliseconds limit);
    // With the loop locked: waits for an operation's answer (`done`) up to kQueryWait, and lets
    // the operation go; false, with it cancelled, when it did not come.
    template <typename Done> bool finish(pa_operation* operation, Done done);
    // With the loop locked: the server's output (or input) called `name`, or its default when
    // `name` is empty; nothing when there is none now.
    bool describe(bool capture, const std::string& name, Device& device);
    void closeStream(Stream& stream);
    // With the loop locked: whether the server is PipeWire's pulse service.
    bool isGraphServer();
    // With the loop locked: sets the stream's queue to kShallowPeriods or to kDeepQueue.
    void setQueue(Stream& stream, bool deep);
    // With the loop running and locked: a new connection to the server, or null and a reason.
    pa_context* connect(std::string& reason);
    static void disconnect(pa_context* context);

    pa_threaded_mainloop* loop_ = nullptr;
    pa_context* context_ = nullptr;
    // The server is PipeWire's pulse service, which runs a graph in cycles.
    bool graphServer_ = false;
    std::map<DeviceId, std::unique_ptr<Stream>> streams_;
    DeviceId nextId_ = 1;
    std::unique_ptr<PulseRouting> routing_;
    // Set before the loop starts, called on its thread.
    std::function<void()> hook_;
    // The noise's streams and the personal outputs they play on.
    PersonalOutputWatch personal_{[this] {
        if (hook_) {
            hook_();
        }
    }};
    // The main connection heard that the outputs or the default changed.
    std::atomic<bool> routesMoved_{false};

    static void onContextState(pa_context* context, void* self);
    static void onStreamState(pa_stream* stream, void* self);
    static void onServerEvent(pa_context* context, int event, std::uint32_t index, void* self);
};

} // namespace qf::sound
