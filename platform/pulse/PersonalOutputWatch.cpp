#include "platform/pulse/PersonalOutputWatch.h"

#include <pulse/pulseaudio.h>

#include <cstring>
#include <utility>

namespace qf::sound {

namespace {

bool holds(const char* text, const char* word) {
    return text != nullptr && std::strstr(text, word) != nullptr;
}

bool is(const char* text, const char* word) {
    return text != nullptr && std::strcmp(text, word) == 0;
}

} // namespace

PersonalOutputWatch::PersonalOutputWatch(std::function<void()> told) : told_(std::move(told)) {}

bool PersonalOutputWatch::isPersonal(const pa_sink_info& info) {
    // "headphone" is the server's word; "headphones" is found in the wild too.
    const char* form = pa_proplist_gets(info.proplist, PA_PROP_DEVICE_FORM_FACTOR);
    if (holds(form, "headphone") || is(form, "headset") || is(form, "hands-free")) {
        return true;
    }
    if (is(pa_proplist_gets(info.proplist, PA_PROP_DEVICE_BUS), "bluetooth")) {
        return true;
    }
    const pa_sink_port_info* port = info.active_port;
    return port != nullptr && (port->type == PA_DEVICE_PORT_TYPE_HEADPHONES ||
                               port->type == PA_DEVICE_PORT_TYPE_HEADSET ||
                               holds(port->name, "headphone") || holds(port->name, "headset"));
}

void PersonalOutputWatch::follow(pa_stream* stream) {
    Track& track = tracks_[stream];
    track = Track{};
    track.serial = ++serial_;
    track.sink = pa_stream_get_device_index(stream);
    pa_stream_set_moved_callback(stream, onMoved, this);
    ask(stream, track, false);
}

void PersonalOutputWatch::forget(pa_stream* stream) {
    if (tracks_.erase(stream) > 0) {
        pa_stream_set_moved_callback(stream, nullptr, nullptr);
    }
    if (tracks_.empty()) {
        // Answers still owed are cancelled with the connection, or find no stream.
        awaiting_ = false;
    }
}

void PersonalOutputWatch::reset() {
    tracks_.clear();
    queries_.clear();
    context_ = nullptr;
    awaiting_ = false;
}

PersonalOutputWatch::Track* PersonalOutputWatch::find(pa_stream* stream, unsigned serial) {
    const auto it = tracks_.find(stream);
    return it != tracks_.end() && it->second.serial == serial ? &it->second : nullptr;
}

void PersonalOutputWatch::ask(pa_stream* stream, Track& track, bool left) {
    if (context_ == nullptr) {
        return;
    }
    Query& query = queries_.emplace_back();
    query.watch = this;
    query.stream = stream;
    query.serial = track.serial;
    query.left = left;
    query.name = track.sinkName;
    pa_operation* operation =
        left ? pa_context_get_sink_info_by_name(context_, track.sinkName.c_str(), onSink, &query)
             : pa_context_get_sink_info_by_index(context_, track.sink, onSink, &query);
    if (operation == nullptr) {
        queries_.pop_back();
        return;
    }
    pa_operation_unref(operation);
}

void PersonalOutputWatch::onSink(pa_context*, const pa_sink_info* info, int last, void* data) {
    auto* query = static_cast<Query*>(data);
    if (last == 0) {
        if (info != nullptr) {
            query->found = true;
            query->personal = isPersonal(*info);
            query->index = info->index;
            if (!query->left) {
                query->name = info->name;
            }
        }
        return;
    }
    PersonalOutputWatch& watch = *query->watch;
    watch.answered(*query);
    watch.queries_.remove_if([query](const Query& owed) { return &owed == query; });
}

void PersonalOutputWatch::answered(Query& query) {
    Track* track = find(query.stream, query.serial);
    if (track == nullptr || track->stopped) {
        return;
    }
    if (query.left) {
        // Still there as it was: a person moved the stream, which is theirs to do.
        if (!query.found || !query.personal) {
            stop(query.stream, *track, query.name);
        }
        return;
    }
    if (!query.found) {
        if (track->personal) {
            stop(query.stream, *track, track->sinkName);
        }
        return;
    }
    if (track->personal && !query.personal && query.name == track->sinkName) {
        // The same output, its port switched from headphones to speakers.
        stop(query.stream, *track, track->sinkName);
        return;
    }
    track->sinkName = query.name;
    track->personal = query.personal;
}

void PersonalOutputWatch::stop(pa_stream* stream, Track& track, const std::string& output) {
    if (!hold_) {
        return;
    }
    track.stopped = true;
    track.gone = output;
    awaiting_ = true;
    if (pa_operation* operation = pa_stream_cork(stream, 1, nullptr, nullptr)) {
        pa_operation_unref(operation);
    }
    told_();
}

void PersonalOutputWatch::onMoved(pa_stream* stream, void* self) {
    auto* watch = static_cast<PersonalOutputWatch*>(self);
    const auto it = watch->tracks_.find(stream);
    if (it == watch->tracks_.end() || it->second.stopped) {
        return;
    }
    Track& track = it->second;
    const bool fromPersonal = track.personal;
    track.sink = pa_stream_get_device_index(stream);
    // Whether the output it left is still there: the answers come in the order asked.
    if (fromPersonal && watch->hold_) {
        watch->ask(stream, track, true);
    }
    watch->ask(stream, track, false);
}

void PersonalOutputWatch::serverEvent(int event, std::uint32_t index) {
    const auto facility = event & PA_SUBSCRIPTION_EVENT_FACILITY_MASK;
    const auto type = event & PA_SUBSCRIPTION_EVENT_TYPE_MASK;
    if (facility == PA_SUBSCRIPTION_EVENT_SINK) {
        for (auto& [stream, track] : tracks_) {
            if (track.stopped || track.sink != index) {
                continue;
            }
            // A server that relinks the stream without a word (PipeWire's pulse service may)
            // still says the output went.
            if (type == PA_SUBSCRIPTION_EVENT_REMOVE && track.personal) {
                stop(stream, track, track.sinkName);
            } else if (type == PA_SUBSCRIPTION_EVENT_CHANGE && track.personal) {
                ask(stream, track, false);
            }
        }
    }
    if (awaiting_) {
        told_();
    }
}

std::string PersonalOutputWatch::gone(pa_stream* stream) {
    const auto it = tracks_.find(stream);
    return it == tracks_.end() ? std::string() : std::exchange(it->second.gone, {});
}

} // namespace qf::sound
