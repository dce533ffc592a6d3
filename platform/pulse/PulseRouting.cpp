#include "platform/pulse/PulseRouting.h"

#include <pulse/pulseaudio.h>

#include <unistd.h>

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
    std::string defaultDevice;
    std::uint32_t defaultIndex = PA_INVALID_INDEX;
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

bool PulseRouting::serverAnswers(std::chrono::milliseconds limit) {
    pa_mainloop* loop = pa_mainloop_new();
    if (loop == nullptr) {
        return false;
    }
    pa_context* context = pa_context_new(pa_mainloop_get_api(loop), "Quietfield probe");
    bool answered = false;
    if (context != nullptr &&
        pa_context_connect(context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) >= 0) {
        const auto until = Clock::now() + limit;
        for (;;) {
            const pa_context_state_t state = pa_context_get_state(context);
            if (state == PA_CONTEXT_READY || !PA_CONTEXT_IS_GOOD(state)) {
                answered = state == PA_CONTEXT_READY;
                break;
            }
            const auto left =
                std::chrono::duration_cast<std::chrono::microseconds>(until - Clock::now());
            if (left.count() <= 0 ||
                pa_mainloop_prepare(loop, static_cast<int>(left.count())) < 0 ||
                pa_mainloop_poll(loop) < 0 || pa_mainloop_dispatch(loop) < 0) {
                break;
            }
        }
        pa_context_disconnect(context);
    }
    if (context != nullptr) {
        pa_context_unref(context);
    }
    pa_mainloop_free(loop);
    return answered;
}

PulseRouting::~PulseRouting() {
    disconnect();
}

bool PulseRouting::ready() const {
    return context_ != nullptr && pa_context_get_state(context_) == PA_CONTEXT_READY;
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

bool PulseRouting::defaultChanged() {
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
                if ((event & PA_SUBSCRIPTION_EVENT_FACILITY_MASK) == PA_SUBSCRIPTION_EVENT_SERVER) {
                    static_cast<PulseRouting*>(self)->changed_ = true;
                }
            },
            this);
        pa_operation* op =
            pa_context_subscribe(context_, PA_SUBSCRIPTION_MASK_SERVER, nullptr, nullptr);
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

bool PulseRouting::finish(pa_operation* operation, Clock::time_point until) {
    if (operation == nullptr) {
        return false;
    }
    while (pa_operation_get_state(operation) == PA_OPERATION_RUNNING) {
        const auto left =
            std::chrono::duration_cast<std::chrono::microseconds>(until - Clock::now());
        if (left.count() <= 0 || pa_mainloop_prepare(loop_, static_cast<int>(left.count())) < 0 ||
            pa_mainloop_poll(loop_) < 0 || pa_mainloop_dispatch(loop_) < 0) {
            pa_operation_cancel(operation);
            break;
        }
    }
    const bool done = pa_operation_get_state(operation) == PA_OPERATION_DONE;
    pa_operation_unref(operation);
    return done;
}

bool PulseRouting::strayed(bool capture, const std::string& streamName) {
    if (!ready()) {
        return false;
    }
    const auto until = Clock::now() + kQueryWait;
    Query query;
    query.capture = capture;
    query.name = streamName;
    query.pid = std::to_string(getpid());
    const bool known = finish(pa_context_get_server_info(
                                  context_,
                                  [](pa_context*, const pa_server_info* info, void* data) {
                                      auto* q = static_cast<Query*>(data);
                                      if (info == nullptr) {
                                          return;
                                      }
                                      const char* name = q->capture ? info->default_source_name
                                                                    : info->default_sink_name;
                                      q->defaultDevice = name != nullptr ? name : "";
                                  },
                                  &query),
                              until);
    if (!known || query.defaultDevice.empty()) {
        return false;
    }
    pa_operation* device = nullptr;
    pa_operation* streams = nullptr;
    if (capture) {
        device = pa_context_get_source_info_by_name(
            context_, query.defaultDevice.c_str(),
            [](pa_context*, const pa_source_info* info, int, void* data) {
                if (info != nullptr) {
                    static_cast<Query*>(data)->defaultIndex = info->index;
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
            context_, query.defaultDevice.c_str(),
            [](pa_context*, const pa_sink_info* info, int, void* data) {
                if (info != nullptr) {
                    static_cast<Query*>(data)->defaultIndex = info->index;
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
    if (!deviceKnown || !streamsKnown || query.defaultIndex == PA_INVALID_INDEX) {
        return false;
    }
    for (std::uint32_t where : query.placed) {
        if (where != query.defaultIndex) {
            return true;
        }
    }
    return false;
}

} // namespace qf::sound
