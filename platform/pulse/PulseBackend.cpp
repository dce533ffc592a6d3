#include "platform/pulse/PulseBackend.h"

#include <pulse/pulseaudio.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <type_traits>

namespace qf::sound {

struct PulseBackend::Stream {
    pa_stream* stream = nullptr;
    // A capture's own connection to the server, or null when it shares the backend's.
    pa_context* context = nullptr;
    Pump pump{};
    void* user = nullptr;
    std::size_t frameBytes = 0;
    std::size_t periodBytes = 0;
    bool deep = false;
};

namespace {

using Stream = PulseBackend::Stream;

void wakeWaiter(pa_threaded_mainloop* loop) {
    pa_threaded_mainloop_signal(loop, 0);
}

std::uint32_t bytesOf(std::chrono::milliseconds time, const pa_sample_spec* format) {
    return static_cast<std::uint32_t>(
        pa_usec_to_bytes(static_cast<pa_usec_t>(time.count()) * PA_USEC_PER_MSEC, format));
}

// The buffer a playback stream asks for: kShallowPeriods periods, or kDeepQueue. Both servers
// give the output (tlength - 2 minreq) / 2 of it; on a graph server that is the graph's cycle,
// kept short with the request half the queue.
pa_buffer_attr queueFor(const pa_sample_spec* format, std::size_t frameBytes,
                        std::size_t periodBytes, bool deep, bool graph) {
    pa_buffer_attr attributes{};
    attributes.maxlength = static_cast<std::uint32_t>(-1);
    attributes.tlength =
        deep ? bytesOf(PulseBackend::kDeepQueue, format)
             : static_cast<std::uint32_t>(PulseBackend::kShallowPeriods * periodBytes);
    attributes.prebuf = static_cast<std::uint32_t>(-1);
    attributes.minreq =
        deep ? bytesOf(PulseBackend::kDeepRequest, format) : static_cast<std::uint32_t>(-1);
    const std::uint32_t cycle = bytesOf(PulseBackend::kGraphCycle, format);
    if (graph && attributes.tlength / 2 > cycle + frameBytes) {
        attributes.minreq = attributes.tlength / 2 - cycle;
        attributes.minreq -= attributes.minreq % static_cast<std::uint32_t>(frameBytes);
    }
    attributes.fragsize = static_cast<std::uint32_t>(-1);
    return attributes;
}

// libpulse's own thread: the server asks for `wanted` bytes more. They are rendered straight into
// the server's memory, whole frames at a time.
void onWritable(pa_stream* stream, std::size_t wanted, void* data) {
    auto* owned = static_cast<Stream*>(data);
    while (wanted >= owned->frameBytes) {
        void* buffer = nullptr;
        std::size_t size = wanted;
        if (pa_stream_begin_write(stream, &buffer, &size) < 0 || buffer == nullptr) {
            return;
        }
        size = std::min(size, wanted);
        size -= size % owned->frameBytes;
        if (size == 0) {
            pa_stream_cancel_write(stream);
            return;
        }
        owned->pump.transfer(owned->user, static_cast<std::uint8_t*>(buffer),
                             static_cast<int>(size));
        pa_stream_write(stream, buffer, size, nullptr, 0, PA_SEEK_RELATIVE);
        wanted -= size;
    }
}

// How many frames the capture has recorded but not handed over yet; -1 when not known.
int heldFrames(pa_stream* stream) {
    pa_usec_t latency = 0;
    int negative = 0;
    if (pa_stream_get_latency(stream, &latency, &negative) < 0 || negative != 0) {
        return -1;
    }
    const std::size_t bytes = pa_usec_to_bytes(latency, pa_stream_get_sample_spec(stream));
    return static_cast<int>(bytes / pa_frame_size(pa_stream_get_sample_spec(stream)));
}

// libpulse's own thread: what the input recorded. A hole (data lost by the server) is skipped.
// What is still on its way is told after it, so that a recording can be ended where it was
// asked to rather than where the delivery had got to.
void onReadable(pa_stream* stream, std::size_t, void* data) {
    auto* owned = static_cast<Stream*>(data);
    while (pa_stream_readable_size(stream) > 0) {
        const void* buffer = nullptr;
        std::size_t size = 0;
        if (pa_stream_peek(stream, &buffer, &size) < 0 || size == 0) {
            return;
        }
        if (buffer != nullptr) {
            // The pump only reads a capture's bytes.
            owned->pump.transfer(
                owned->user, const_cast<std::uint8_t*>(static_cast<const std::uint8_t*>(buffer)),
                static_cast<int>(size));
        }
        pa_stream_drop(stream);
    }
    if (const int held = heldFrames(stream); held >= 0) {
        owned->pump.held(owned->user, held);
    }
}

bool contextReady(pa_context* context) {
    return context != nullptr && pa_context_get_state(context) == PA_CONTEXT_READY;
}

struct DeviceAnswer {
    pa_threaded_mainloop* loop = nullptr;
    bool done = false;
    bool found = false;
    std::string name;
    int rate = 0;
    bool personal = false;

    template <typename Info> static void take(pa_context*, const Info* info, int last, void* data) {
        auto* answer = static_cast<DeviceAnswer*>(data);
        if (last != 0) {
            answer->done = true;
            wakeWaiter(answer->loop);
            return;
        }
        if (info != nullptr) {
            answer->found = true;
            answer->name = info->name;
            answer->rate = static_cast<int>(info->sample_spec.rate);
            if constexpr (std::is_same_v<Info, pa_sink_info>) {
                answer->personal = PersonalOutputWatch::isPersonal(*info);
            }
        }
    }
};

} // namespace

PulseBackend::PulseBackend() = default;

PulseBackend::~PulseBackend() {
    stop();
}

template <typename Done> bool PulseBackend::waitFor(Done done, std::chrono::milliseconds limit) {
    struct Alarm {
        pa_threaded_mainloop* loop;
        bool rang = false;
    } alarm{loop_};
    pa_mainloop_api* api = pa_threaded_mainloop_get_api(loop_);
    timeval when{};
    pa_gettimeofday(&when);
    pa_timeval_add(&when, static_cast<pa_usec_t>(limit.count()) * PA_USEC_PER_MSEC);
    pa_time_event* event = api->time_new(
        api, &when,
        [](pa_mainloop_api*, pa_time_event*, const timeval*, void* data) {
            auto* ringing = static_cast<Alarm*>(data);
            ringing->rang = true;
            wakeWaiter(ringing->loop);
        },
        &alarm);
    while (!done() && !alarm.rang) {
        pa_threaded_mainloop_wait(loop_);
    }
    api->time_free(event);
    return done();
}

pa_context* PulseBackend::connect(std::string& reason) {
    pa_proplist* properties = pa_proplist_new();
    pa_proplist_sets(properties, PA_PROP_APPLICATION_NAME, "Quietfield");
    pa_proplist_sets(properties, PA_PROP_APPLICATION_ID, kAppId);
    pa_proplist_sets(properties, PA_PROP_APPLICATION_ICON_NAME, kAppId);
    pa_context* context =
        pa_context_new_with_proplist(pa_threaded_mainloop_get_api(loop_), "Quietfield", properties);
    pa_proplist_free(properties);
    if (context == nullptr) {
        reason = "libpulse could not make a connection";
        return nullptr;
    }
    pa_context_set_state_callback(context, onContextState, this);
    // Never starts a server: one that is not there is waited for by the audio system.
    const bool asked = pa_context_connect(context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) >= 0;
    const bool ready =
        asked && waitFor(
                     [context] {
                         const pa_context_state_t state = pa_context_get_state(context);
                         return state == PA_CONTEXT_READY || !PA_CONTEXT_IS_GOOD(state);
                     },
                     kConnectWait);
    if (!contextReady(context)) {
        reason = !asked || ready ? pa_strerror(pa_context_errno(context))
                                 : "the sound server did not answer";
        disconnect(context);
        return nullptr;
    }
    return context;
}

void PulseBackend::onContextState(pa_context* context, void* self) {
    auto* backend = static_cast<PulseBackend*>(self);
    wakeWaiter(backend->loop_);
    if (!PA_CONTEXT_IS_GOOD(pa_context_get_state(context)) && backend->hook_) {
        backend->hook_();
    }
}

void PulseBackend::onStreamState(pa_stream* stream, void* self) {
    auto* backend = static_cast<PulseBackend*>(self);
    wakeWaiter(backend->loop_);
    if (!PA_STREAM_IS_GOOD(pa_stream_get_state(stream)) && backend->hook_) {
        backend->hook_();
    }
}

void PulseBackend::onServerEvent(pa_context*, int event, std::uint32_t index, void* self) {
    auto* backend = static_cast<PulseBackend*>(self);
    backend->personal_.serverEvent(event, index);
    if (PulseRouting::movesStreams(event)) {
        backend->routesMoved_ = true;
        if (backend->hook_) {
            backend->hook_();
        }
    }
}

void PulseBackend::setChangeHook(std::function<void()> hook) {
    hook_ = std::move(hook);
}

void PulseBackend::disconnect(pa_context* context) {
    pa_context_set_subscribe_callback(context, nullptr, nullptr);
    pa_context_set_state_callback(context, nullptr, nullptr);
    pa_context_disconnect(context);
    pa_context_unref(context);
}

template <typename Done> bool PulseBackend::finish(pa_operation* operation, Done done) {
    if (operation == nullptr) {
        return false;
    }
    waitFor([&] { return done() || !PA_CONTEXT_IS_GOOD(pa_context_get_state(context_)); },
            kQueryWait);
    const bool finished = done();
    if (!finished) {
        // Cancelled, it never calls back into an answer that goes out of scope after this.
        pa_operation_cancel(operation);
    }
    pa_operation_unref(operation);
    return finished;
}

bool PulseBackend::isGraphServer() {
    struct Answer {
        pa_threaded_mainloop* loop;
        bool done = false;
        bool graph = false;
    } answer{loop_};
    finish(pa_context_get_server_info(
               context_,
               [](pa_context*, const pa_server_info* info, void* data) {
                   auto* into = static_cast<Answer*>(data);
                   // "PulseAudio (on PipeWire 1.4.2)", as its pulse service names itself.
                   into->graph = info != nullptr && info->server_name != nullptr &&
                                 std::strstr(info->server_name, "PipeWire") != nullptr;
                   into->done = true;
                   wakeWaiter(into->loop);
               },
               &answer),
           [&] { return answer.done; });
    return answer.graph;
}

bool PulseBackend::start(std::string& reason) {
    stop();
    loop_ = pa_threaded_mainloop_new();
    if (loop_ == nullptr) {
        reason = "libpulse could not make its main loop";
        return false;
    }
    if (pa_threaded_mainloop_start(loop_) < 0) {
        reason = "libpulse could not start its main loop";
        stop();
        return false;
    }
    pa_threaded_mainloop_lock(loop_);
    context_ = connect(reason);
    if (context_ != nullptr) {
        graphServer_ = isGraphServer();
        personal_.setContext(context_);
        // Heard as they happen, so that the owner need not keep asking.
        pa_context_set_subscribe_callback(
            context_,
            [](pa_context* context, pa_subscription_event_type_t event, std::uint32_t index,
               void* self) { onServerEvent(context, static_cast<int>(event), index, self); },
            this);
        if (pa_operation* operation = pa_context_subscribe(
                context_,
                static_cast<pa_subscription_mask_t>(PulseRouting::eventsThatMoveStreams()), nullptr,
                nullptr)) {
            pa_operation_unref(operation);
        }
    }
    pa_threaded_mainloop_unlock(loop_);
    if (context_ == nullptr) {
        stop();
        return false;
    }
    if (!routing_) {
        routing_ = std::make_unique<PulseRouting>();
    }
    return true;
}

void PulseBackend::stop() {
    if (loop_ == nullptr) {
        return;
    }
    pa_threaded_mainloop_lock(loop_);
    for (auto& [id, stream] : streams_) {
        closeStream(*stream);
    }
    streams_.clear();
    personal_.reset();
    if (context_ != nullptr) {
        disconnect(context_);
        context_ = nullptr;
    }
    pa_threaded_mainloop_unlock(loop_);
    pa_threaded_mainloop_stop(loop_);
    pa_threaded_mainloop_free(loop_);
    loop_ = nullptr;
}

bool PulseBackend::describe(bool capture, const std::string& name, Device& device) {
    DeviceAnswer answer;
    answer.loop = loop_;
    const char* asked = !name.empty() ? name.c_str()
                        : capture     ? "@DEFAULT_SOURCE@"
                                      : "@DEFAULT_SINK@";
    pa_operation* operation =
        capture ? pa_context_get_source_info_by_name(context_, asked,
                                                     &DeviceAnswer::take<pa_source_info>, &answer)
                : pa_context_get_sink_info_by_name(context_, asked,
                                                   &DeviceAnswer::take<pa_sink_info>, &answer);
    if (!finish(operation, [&] { return answer.done; }) || !answer.found) {
        return false;
    }
    device.name = answer.name;
    device.rate = answer.rate;
    device.personal = answer.personal;
    return true;
}

AudioBackend::DeviceId PulseBackend::open(const DeviceFormat& want, bool exactRate, Pump pump,
                                          void* user, DeviceFormat& obtained, std::string& reason) {
    if (loop_ == nullptr) {
        reason = "the sound server is not connected";
        return 0;
    }
    pa_threaded_mainloop_lock(loop_);
    struct Unlock {
        pa_threaded_mainloop* loop;
        ~Unlock() { pa_threaded_mainloop_unlock(loop); }
    } unlock{loop_};
    if (!contextReady(context_)) {
        reason = "the sound server went away";
        return 0;
    }
    // An output that is not there now leaves the default; the audio system moves the stream
    // once it is back. Pinned to the default, it opens on the default's own name.
    Device device;
    bool onNamed = false;
    if (!want.capture && (!want.output.empty() || want.pinDefault)) {
        onNamed = describe(false, want.output, device);
    }
    if (!onNamed && !describe(want.capture, {}, device)) {
        reason = want.capture ? "the sound server has no input" : "the sound server has no output";
        return 0;
    }

    pa_sample_spec spec{};
    spec.format = want.format == SampleFormat::Float32 ? PA_SAMPLE_FLOAT32NE : PA_SAMPLE_S16NE;
    spec.channels = static_cast<std::uint8_t>(want.channels);
    spec.rate = static_cast<std::uint32_t>(exactRate || device.rate <= 0 ? want.rate : device.rate);
    auto owned = std::make_unique<Stream>();
    owned->pump = pump;
    owned->user = user;
    owned->frameBytes = static_cast<std::size_t>(want.bytesPerFrame());
    owned->periodBytes = static_cast<std::size_t>(want.periodFrames) * owned->frameBytes;

    pa_proplist* properties = pa_proplist_new();
    pa_proplist_sets(properties, PA_PROP_MEDIA_NAME, want.streamName.c_str());
    pa_proplist_sets(properties, PA_PROP_APPLICATION_ID, kAppId);
    pa_proplist_sets(properties, PA_PROP_APPLICATION_ICON_NAME, kAppId);
    // A capture has a connection of its own: PipeWire's pulse service (0.3.65) stops delivering
    // a recording to a client whose playback shares its connection once the machine is busy.
    pa_context* context = context_;
    if (want.capture) {
        owned->context = connect(reason);
        if (owned->context == nullptr) {
            pa_proplist_free(properties);
            return 0;
        }
        context = owned->context;
    }
    owned->stream =
        pa_stream_new_with_proplist(context, want.streamName.c_str(), &spec, nullptr, properties);
    pa_proplist_free(properties);
    if (owned->stream == nullptr) {
        reason = pa_strerror(pa_context_errno(context));
        closeStream(*owned);
        return 0;
    }
    pa_stream_set_state_callback(owned->stream, onStreamState, this);

    const auto periodBytes = static_cast<std::uint32_t>(owned->periodBytes);
    pa_buffer_attr attributes =
        queueFor(&spec, owned->frameBytes, owned->periodBytes, false, graphServer_);
    if (want.capture) {
        attributes.tlength = static_cast<std::uint32_t>(-1);
        attributes.minreq = static_cast<std::uint32_t>(-1);
        attributes.fragsize = periodBytes;
    }
    // A capture keeps its timing up to date so that it can tell what is still on its way.
    const auto timing = want.capture ? PA_STREAM_INTERPOLATE_TIMING | PA_STREAM_AUTO_TIMING_UPDATE
                                     : PA_STREAM_NOFLAGS;
    const auto flags =
        static_cast<pa_stream_flags_t>(PA_STREAM_START_CORKED | PA_STREAM_ADJUST_LATENCY | timing);
    const char* where = onNamed ? device.name.c_str() : nullptr;
    int connected = 0;
    if (want.capture) {
        pa_stream_set_read_callback(owned->stream, onReadable, owned.get());
        connected = pa_stream_connect_record(owned->stream, where, &attributes, flags);
    } else {
        pa_stream_set_write_callback(owned->stream, onWritable, owned.get());
        connected =
            pa_stream_connect_playback(owned->stream, where, &attributes, flags, nullptr, nullptr);
    }
    const bool settled = connected == 0 &&
                         waitFor(
                             [&] {
                                 const pa_stream_state_t state = pa_stream_get_state(owned->stream);
                                 return state == PA_STREAM_READY || !PA_STREAM_IS_GOOD(state);
                             },
                             kConnectWait);
    if (!settled || pa_stream_get_state(owned->stream) != PA_STREAM_READY) {
        reason = settled || connected != 0 ? pa_strerror(pa_context_errno(context))
                                           : "the sound server did not open the stream in time";
        closeStream(*owned);
        return 0;
    }

    obtained = want;
    obtained.rate = static_cast<int>(spec.rate);
    obtained.output = onNamed ? want.output : std::string();
    obtained.pinDefault = onNamed && want.pinDefault;
    if (const pa_buffer_attr* got = pa_stream_get_buffer_attr(owned->stream); got && want.capture) {
        obtained.periodFrames = static_cast<int>(got->fragsize / owned->frameBytes);
    }
    if (want.heldWhenPersonalGoes && !want.capture) {
        personal_.follow(owned->stream);
    }
    const DeviceId id = nextId_++;
    streams_.emplace(id, std::move(owned));
    return id;
}

void PulseBackend::closeStream(Stream& stream) {
    if (stream.stream != nullptr) {
        personal_.forget(stream.stream);
        pa_stream_set_state_callback(stream.stream, nullptr, nullptr);
        pa_stream_set_write_callback(stream.stream, nullptr, nullptr);
        pa_stream_set_read_callback(stream.stream, nullptr, nullptr);
        if (PA_STREAM_IS_GOOD(pa_stream_get_state(stream.stream))) {
            pa_stream_disconnect(stream.stream);
        }
        pa_stream_unref(stream.stream);
        stream.stream = nullptr;
    }
    if (stream.context != nullptr) {
        disconnect(stream.context);
        stream.context = nullptr;
    }
}

void PulseBackend::pause(DeviceId device, bool paused) {
    const auto it = streams_.find(device);
    if (it == streams_.end() || loop_ == nullptr) {
        return;
    }
    pa_threaded_mainloop_lock(loop_);
    if (pa_operation* operation =
            pa_stream_cork(it->second->stream, paused ? 1 : 0, nullptr, nullptr)) {
        pa_operation_unref(operation);
    }
    pa_threaded_mainloop_unlock(loop_);
}

void PulseBackend::setQueue(Stream& stream, bool deep) {
    const pa_buffer_attr attributes =
        queueFor(pa_stream_get_sample_spec(stream.stream), stream.frameBytes, stream.periodBytes,
                 deep, graphServer_);
    if (pa_operation* operation =
            pa_stream_set_buffer_attr(stream.stream, &attributes, nullptr, nullptr)) {
        pa_operation_unref(operation);
    }
    stream.deep = deep;
}

void PulseBackend::setDeep(DeviceId device, bool deep) {
    const auto it = streams_.find(device);
    if (it == streams_.end() || loop_ == nullptr) {
        return;
    }
    pa_threaded_mainloop_lock(loop_);
    Stream& stream = *it->second;
    if (stream.context == nullptr && stream.deep != deep && contextReady(context_)) {
        setQueue(stream, deep);
    }
    pa_threaded_mainloop_unlock(loop_);
}

void PulseBackend::refresh(DeviceId device) {
    const auto it = streams_.find(device);
    if (it == streams_.end() || loop_ == nullptr) {
        return;
    }
    pa_threaded_mainloop_lock(loop_);
    struct Unlock {
        pa_threaded_mainloop* loop;
        ~Unlock() { pa_threaded_mainloop_unlock(loop); }
    } unlock{loop_};
    Stream& stream = *it->second;
    if (stream.stream == nullptr || pa_stream_get_state(stream.stream) != PA_STREAM_READY) {
        return;
    }
    // Where the server is now: what it has taken and what its output still holds of that.
    struct Update {
        pa_threaded_mainloop* loop;
        bool done = false;
    } update{loop_};
    pa_operation* operation = pa_stream_update_timing_info(
        stream.stream,
        [](pa_stream*, int, void* data) {
            auto* into = static_cast<Update*>(data);
            into->done = true;
            wakeWaiter(into->loop);
        },
        &update);
    if (!finish(operation, [&] { return update.done; })) {
        return;
    }
    const pa_timing_info* timing = pa_stream_get_timing_info(stream.stream);
    if (timing == nullptr || timing->write_index_corrupt != 0 || timing->read_index_corrupt != 0) {
        return;
    }
    // Written over from a little after what is being heard: the server has its output take
    // back what it holds of that, as it does for any write behind what it has taken.
    const pa_sample_spec* sampleFormat = pa_stream_get_sample_spec(stream.stream);
    const auto held = static_cast<std::int64_t>(pa_usec_to_bytes(timing->sink_usec, sampleFormat));
    const auto margin = static_cast<std::int64_t>(
        bytesOf(graphServer_ ? kGraphMargin : kReplaceMargin, sampleFormat));
    const std::int64_t unheard = timing->write_index - (timing->read_index - held) - margin;
    const auto frameBytes = static_cast<std::int64_t>(stream.frameBytes);
    // Less than a quarter of a period is not worth the work.
    if (unheard < static_cast<std::int64_t>(stream.periodBytes) / 4) {
        return;
    }
    const int back = stream.pump.rewind(stream.user, static_cast<int>(unheard / frameBytes));
    // Everything taken back is written again, whole: PulseAudio 16 aborts when a write over
    // queued sound is followed by less than it covered. It goes in the library's own blocks;
    // PipeWire's pulse service (0.3.65 and 1.4) silences the stream for one large write over it.
    auto remaining = static_cast<std::size_t>(back) * stream.frameBytes;
    std::int64_t offset = -static_cast<std::int64_t>(remaining);
    while (remaining > 0) {
        void* buffer = nullptr;
        std::size_t size = remaining;
        if (pa_stream_begin_write(stream.stream, &buffer, &size) < 0 || buffer == nullptr) {
            return;
        }
        size = std::min(size, remaining);
        size -= size % stream.frameBytes;
        if (size == 0) {
            pa_stream_cancel_write(stream.stream);
            return;
        }
        stream.pump.transfer(stream.user, static_cast<std::uint8_t*>(buffer),
                             static_cast<int>(size));
        pa_stream_write(stream.stream, buffer, size, nullptr, offset, PA_SEEK_RELATIVE);
        offset = 0;
        remaining -= size;
    }
}

bool PulseBackend::lost(DeviceId device) {
    const auto it = streams_.find(device);
    if (it == streams_.end() || loop_ == nullptr) {
        return true;
    }
    pa_threaded_mainloop_lock(loop_);
    const bool gone =
        !contextReady(context_) || pa_stream_get_state(it->second->stream) != PA_STREAM_READY;
    pa_threaded_mainloop_unlock(loop_);
    return gone;
}

void PulseBackend::close(DeviceId device) {
    const auto it = streams_.find(device);
    if (it == streams_.end()) {
        return;
    }
    if (loop_ != nullptr) {
        pa_threaded_mainloop_lock(loop_);
        closeStream(*it->second);
        pa_threaded_mainloop_unlock(loop_);
    }
    streams_.erase(it);
}

bool PulseBackend::routesChanged() {
    // Both are asked: the routing connection is kept up for strayed() this way.
    const bool heard = routesMoved_.exchange(false);
    const bool polled = routing_ && routing_->routesChanged();
    return heard || polled;
}

bool PulseBackend::strayed(const DeviceFormat& format) {
    return routing_ && routing_->strayed(format.capture, format.streamName, format.output);
}

bool PulseBackend::hasOutput(const std::string& name) {
    if (loop_ == nullptr || name.empty()) {
        return false;
    }
    pa_threaded_mainloop_lock(loop_);
    Device device;
    const bool found = contextReady(context_) && describe(false, name, device);
    pa_threaded_mainloop_unlock(loop_);
    return found;
}

std::string PulseBackend::personalGone(DeviceId device) {
    const auto it = streams_.find(device);
    if (it == streams_.end() || loop_ == nullptr) {
        return {};
    }
    pa_threaded_mainloop_lock(loop_);
    std::string gone = personal_.gone(it->second->stream);
    pa_threaded_mainloop_unlock(loop_);
    return gone;
}

bool PulseBackend::personalBack(const std::string& name, bool asDefault) {
    if (loop_ == nullptr || name.empty()) {
        return false;
    }
    pa_threaded_mainloop_lock(loop_);
    Device device;
    const bool found = contextReady(context_) && describe(false, asDefault ? "" : name, device);
    pa_threaded_mainloop_unlock(loop_);
    return found && device.name == name && device.personal;
}

std::optional<std::vector<AudioBackend::Output>> PulseBackend::outputs() {
    if (loop_ == nullptr) {
        return std::nullopt;
    }
    struct Listing {
        pa_threaded_mainloop* loop;
        bool done = false;
        std::vector<Output> outputs;
    } listing{loop_, false, {}};
    pa_threaded_mainloop_lock(loop_);
    pa_operation* operation =
        contextReady(context_)
            ? pa_context_get_sink_info_list(
                  context_,
                  [](pa_context*, const pa_sink_info* info, int last, void* data) {
                      auto* into = static_cast<Listing*>(data);
                      if (last != 0) {
                          into->done = true;
                          wakeWaiter(into->loop);
                      } else if (info != nullptr) {
                          into->outputs.push_back({info->name, info->description != nullptr
                                                                   ? info->description
                                                                   : info->name});
                      }
                  },
                  &listing)
            : nullptr;
    const bool done = finish(operation, [&] { return listing.done; });
    pa_threaded_mainloop_unlock(loop_);
    if (!done) {
        return std::nullopt;
    }
    return std::move(listing.outputs);
}

void PulseBackend::threadDone() {
    routing_.reset();
}

} // namespace qf::sound
