#include "platform/pulse/PulseRouting.h"

#include <pulse/pulseaudio.h>

#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace qf::sound {

namespace {

// How long to wait before trying again to reach a server that is not there.
constexpr auto kReconnectWait = std::chrono::seconds(2);
constexpr auto kQueryWait = std::chrono::milliseconds(200);

struct Query {
    bool capture = false;
    std::string name;
    std::string pid;
    std::string expectedDevice;
    std::uint32_t expectedIndex = PA_INVALID_INDEX;
    std::vector<std::uint32_t> placed;

    void consider(const pa_proplist* properties, std::uint32_t device) {
        const char* streamPid = pa_proplist_gets(properties, PA_PROP_APPLICATION_PROCESS_ID);
        const char* streamName = pa_proplist_gets(properties, PA_PROP_MEDIA_NAME);
        if (streamPid != nullptr && streamName != nullptr && pid == streamPid &&
            name == streamName) {
            placed.push_back(device);
        }
    }
};

} // namespace

namespace {

using Clock = std::chrono::steady_clock;

// One round of the loop, waiting no later than `until`; false once the time is up or the loop
// failed.
bool iterateUntil(pa_mainloop* loop, Clock::time_point until) {
    const auto left = std::chrono::duration_cast<std::chrono::microseconds>(until - Clock::now());
    return left.count() > 0 && pa_mainloop_prepare(loop, static_cast<int>(left.count())) >= 0 &&
           pa_mainloop_poll(loop) >= 0 && pa_mainloop_dispatch(loop) >= 0;
}

// Runs the loop until the operation is done or the time is up, then lets it go; true if done.
bool finishOn(pa_mainloop* loop, pa_operation* operation, Clock::time_point until) {
    if (operation == nullptr) {
        return false;
    }
    while (pa_operation_get_state(operation) == PA_OPERATION_RUNNING && iterateUntil(loop, until)) {
    }
    const bool done = pa_operation_get_state(operation) == PA_OPERATION_DONE;
    if (!done) {
        pa_operation_cancel(operation);
    }
    pa_operation_unref(operation);
    return done;
}

// A connection of its own for one question, given up when it goes out of scope.
class OneShot {
public:
    explicit OneShot(Clock::time_point until) : until_(until) {
        loop_ = pa_mainloop_new();
        if (loop_ != nullptr) {
            context_ = pa_context_new(pa_mainloop_get_api(loop_), "Quietfield probe");
        }
    }
    ~OneShot() {
        if (context_ != nullptr) {
            pa_context_disconnect(context_);
            pa_context_unref(context_);
        }
        if (loop_ != nullptr) {
            pa_mainloop_free(loop_);
        }
    }
    OneShot(const OneShot&) = delete;
    OneShot& operator=(const OneShot&) = delete;

    // Connects, never starting a server; false when none answers in time.
    bool connect() {
        if (context_ == nullptr ||
            pa_context_connect(context_, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) {
            return false;
        }
        for (;;) {
            const pa_context_state_t state = pa_context_get_state(context_);
            if (state == PA_CONTEXT_READY || !PA_CONTEXT_IS_GOOD(state)) {
                return state == PA_CONTEXT_READY;
            }
            if (!iterateUntil(loop_, until_)) {
                return false;
            }
        }
    }
    bool finish(pa_operation* operation) { return finishOn(loop_, operation, until_); }
    pa_context* context() { return context_; }

private:
    Clock::time_point until_;
    pa_mainloop* loop_ = nullptr;
    pa_context* context_ = nullptr;
};

} // namespace

bool PulseRouting::serverAnswers(std::chrono::milliseconds limit) {
    OneShot probe(Clock::now() + limit);
    return probe.connect();
}

std::optional<std::vector<PulseRouting::Output>>
PulseRouting::outputs(std::chrono::milliseconds limit) {
    OneShot probe(Clock::now() + limit);
    std::vector<Output> found;
    const bool listed =
        probe.connect() &&
        probe.finish(pa_context_get_sink_info_list(
            probe.context(),
            [](pa_context*, const pa_sink_info* info, int, void* data) {
                if (info != nullptr && info->name != nullptr) {
                    static_cast<std::vector<Output>*>(data)->push_back(
                        {info->name,
                         info->description != nullptr ? info->description : info->name});
                }
            },
            &found));
    if (!listed) {
        return std::nullopt;
    }
    return found;
}

PulseRouting::~PulseRouting() {
    disconnect();
}

bool PulseRouting::ready() const {
    return context_ != nullptr && pa_context_get_state(context_) == PA_CONTEXT_READY;
}

bool PulseRouting::readyBy(Clock::time_point until) {
    // A question may come before the first look for changes has connected.
    if (context_ == nullptr && Clock::now() >= retryAt_) {
        retryAt_ = Clock::now() + kReconnectWait;
        connect();
    }
    while (context_ != nullptr && !ready() && PA_CONTEXT_IS_GOOD(pa_context_get_state(context_)) &&
           iterateUntil(loop_, until)) {
    }
    return ready();
}

void PulseRouting::connect() {
    loop_ = pa_mainloop_new();
    if (loop_ == nullptr) {
        return;
    }
    context_ = pa_context_new(pa_mainloop_get_api(loop_), "Quietfield routing");
    if (context_ == nullptr ||
        pa_context_connect(context_, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) {
        disconnect();
    }
}

void PulseRouting::disconnect() {
    if (context_ != nullptr) {
        pa_context_disconnect(context_);
        pa_context_unref(context_);
        context_ = nullptr;
    }
    if (loop_ != nullptr) {
        pa_mainloop_free(loop_);
        loop_ = nullptr;
    }
    subscribed_ = false;
}

bool PulseRouting::routesChanged() {
    const bool broken = context_ == nullptr || !PA_CONTEXT_IS_GOOD(pa_context_get_state(context_));
    if (broken) {
        if (Clock::now() < retryAt_) {
            return false;
        }
        retryAt_ = Clock::now() + kReconnectWait;
        disconnect();
        connect();
        if (context_ == nullptr) {
            return false;
        }
    }
    // Whatever the server has sent meanwhile, without waiting for more.
    for (int i = 0; i < 64 && pa_mainloop_iterate(loop_, 0, nullptr) > 0; ++i) {
    }
    if (ready() && !subscribed_) {
        pa_context_set_subscribe_callback(
            context_,
            [](pa_context*, pa_subscription_event_type_t event, std::uint32_t, void* self) {
                if (movesStreams(event)) {
                    static_cast<PulseRouting*>(self)->changed_ = true;
                }
            },
            this);
        pa_operation* op = pa_context_subscribe(
            context_, static_cast<pa_subscription_mask_t>(eventsThatMoveStreams()), nullptr,
            nullptr);
        if (op != nullptr) {
            pa_operation_unref(op);
        }
        subscribed_ = true;
        // Whatever changed while the server was out of reach goes unannounced: look once.
        changed_ = connectedBefore_;
        connectedBefore_ = true;
    }
    const bool changed = changed_;
    changed_ = false;
    return changed;
}

bool PulseRouting::movesStreams(int event) {
    const auto facility = event & PA_SUBSCRIPTION_EVENT_FACILITY_MASK;
    const auto type = event & PA_SUBSCRIPTION_EVENT_TYPE_MASK;
    // An output's own changes (its volume, say) move nothing; its coming and going do.
    return facility == PA_SUBSCRIPTION_EVENT_SERVER ||
           (facility == PA_SUBSCRIPTION_EVENT_SINK && type != PA_SUBSCRIPTION_EVENT_CHANGE);
}

int PulseRouting::eventsThatMoveStreams() {
    return PA_SUBSCRIPTION_MASK_SERVER | PA_SUBSCRIPTION_MASK_SINK;
}

bool PulseRouting::finish(pa_operation* operation, Clock::time_point until) {
    return finishOn(loop_, operation, until);
}

std::string PulseRouting::outputDescription(const std::string& name) {
    if (name.empty() || !readyBy(Clock::now() + kQueryWait)) {
        return {};
    }
    std::string description;
    const bool known = finish(pa_context_get_sink_info_by_name(
                                  context_, name.c_str(),
                                  [](pa_context*, const pa_sink_info* info, int, void* data) {
                                      if (info != nullptr && info->description != nullptr) {
                                          *static_cast<std::string*>(data) = info->description;
                                      }
                                  },
                                  &description),
                              Clock::now() + kQueryWait);
    return known ? description : std::string();
}

bool PulseRouting::strayed(bool capture, const std::string& streamName, const std::string& output) {
    if (!ready()) {
        return false;
    }
    const auto until = Clock::now() + kQueryWait;
    Query query;
    query.capture = capture;
    query.name = streamName;
    query.pid = std::to_string(getpid());
    query.expectedDevice = output;
    const bool known =
        !output.empty() || finish(pa_context_get_server_info(
                                      context_,
                                      [](pa_context*, const pa_server_info* info, void* data) {
                                          auto* q = static_cast<Query*>(data);
                                          if (info == nullptr) {
                                              return;
                                          }
                                          const char* name = q->capture ? info->default_source_name
                                                                        : info->default_sink_name;
                                          q->expectedDevice = name != nullptr ? name : "";
                                      },
                                      &query),
                                  until);
    if (!known || query.expectedDevice.empty()) {
        return false;
    }
    pa_operation* device = nullptr;
    pa_operation* streams = nullptr;
    if (capture) {
        device = pa_context_get_source_info_by_name(
            context_, query.expectedDevice.c_str(),
            [](pa_context*, const pa_source_info* info, int, void* data) {
                if (info != nullptr) {
                    static_cast<Query*>(data)->expectedIndex = info->index;
                }
            },
            &query);
        streams = pa_context_get_source_output_info_list(
            context_,
            [](pa_context*, const pa_source_output_info* info, int, void* data) {
                if (info != nullptr) {
                    static_cast<Query*>(data)->consider(info->proplist, info->source);
                }
            },
            &query);
    } else {
        device = pa_context_get_sink_info_by_name(
            context_, query.expectedDevice.c_str(),
            [](pa_context*, const pa_sink_info* info, int, void* data) {
                if (info != nullptr) {
                    static_cast<Query*>(data)->expectedIndex = info->index;
                }
            },
            &query);
        streams = pa_context_get_sink_input_info_list(
            context_,
            [](pa_context*, const pa_sink_input_info* info, int, void* data) {
                if (info != nullptr) {
                    static_cast<Query*>(data)->consider(info->proplist, info->sink);
                }
            },
            &query);
    }
    const bool deviceKnown = finish(device, until);
    const bool streamsKnown = finish(streams, until);
    if (!deviceKnown || !streamsKnown || query.expectedIndex == PA_INVALID_INDEX) {
        return false;
    }
    const bool away =
        std::any_of(query.placed.begin(), query.placed.end(),
                    [&](std::uint32_t where) { return where != query.expectedIndex; });
    if (!output.empty()) {
        return away;
    }
    // Following the default, a stream that has played on it and is now elsewhere while the
    // default is still the same was put there by a person (with a mixer), and stays there until
    // the default changes.
    std::string& settled = settledDefault_[(capture ? "in:" : "out:") + streamName];
    if (!away) {
        settled = query.expectedDevice;
        return false;
    }
    return settled != query.expectedDevice;
}

} // namespace qf::sound
