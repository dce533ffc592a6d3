#pragma once

#include <chrono>
#include <string>

struct pa_context;
struct pa_mainloop;
struct pa_operation;

namespace qf::sound {

// Where a PulseAudio (or PipeWire) server plays this program's streams. Newer servers move a
// stream along when the desktop's default device changes, older ones and streams the server
// considers placed by hand stay where they are; this tells the two apart so that the audio
// system can reopen a stream that was left behind. It keeps one quiet connection that only hears
// about server changes, and never starts a server.
class PulseRouting {
public:
    PulseRouting() = default;
    ~PulseRouting();
    PulseRouting(const PulseRouting&) = delete;
    PulseRouting& operator=(const PulseRouting&) = delete;

    // True once after the default output or input changed. Never blocks; (re)connects when the
    // server has come (back).
    bool defaultChanged();
    // Whether a PulseAudio (or PipeWire's pulse) server answers now, within `limit`. Never
    // starts one.
    static bool serverAnswers(std::chrono::milliseconds limit);

    // Whether a stream of this process called `streamName` plays on a device other than the
    // default one. Waits at most a fifth of a second for the server; false when it cannot tell.
    bool strayed(bool capture, const std::string& streamName);

private:
    using Clock = std::chrono::steady_clock;

    bool ready() const;
    void connect();
    void disconnect();
    bool finish(pa_operation* operation, Clock::time_point until);

    pa_mainloop* loop_ = nullptr;
    pa_context* context_ = nullptr;
    bool subscribed_ = false;
    bool connectedBefore_ = false;
    bool changed_ = false;
    Clock::time_point retryAt_{};
};

} // namespace qf::sound
