#pragma once

#include <chrono>
#include <map>
#include <optional>
#include <string>
#include <vector>

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

    // True once after the default output or input changed, or an output came or went. Never
    // blocks; (re)connects when the server has come (back).
    bool routesChanged();
    // Whether a server event (a pa_subscription_event_type_t) is one that routesChanged() tells.
    static bool movesStreams(int event);
    // The events to subscribe to for them.
    static int eventsThatMoveStreams();
    // Whether a PulseAudio (or PipeWire's pulse) server answers now, within `limit`. Never
    // starts one.
    static bool serverAnswers(std::chrono::milliseconds limit);

    struct Output {
        std::string name;        // the server's own, kept to find the output again
        std::string description; // what people are shown
    };
    // The server's outputs now, in its order; nothing when no server answers within `limit`.
    static std::optional<std::vector<Output>> outputs(std::chrono::milliseconds limit);

    // Whether a stream of this process called `streamName` plays on a device other than
    // `output` (the server's name for it; empty: the default one, and then only once the
    // default differs from the one the stream last played on, since a stream moved off the
    // default by a person stays where they put it). Waits at most a fifth of a second for the
    // server; false when it cannot tell.
    bool strayed(bool capture, const std::string& streamName, const std::string& output = {});
    // What the server calls its output `name` for people; empty when there is no such output
    // now, or the server cannot tell within a fifth of a second.
    std::string outputDescription(const std::string& name);

private:
    using Clock = std::chrono::steady_clock;

    bool ready() const;
    // Connects if need be and waits for the connection until `until`.
    bool readyBy(Clock::time_point until);
    void connect();
    void disconnect();
    bool finish(pa_operation* operation, Clock::time_point until);

    pa_mainloop* loop_ = nullptr;
    pa_context* context_ = nullptr;
    bool subscribed_ = false;
    bool connectedBefore_ = false;
    bool changed_ = false;
    // For each stream that follows the default: the default it last played on.
    std::map<std::string, std::string> settledDefault_;
    Clock::time_point retryAt_{};
};

} // namespace qf::sound
