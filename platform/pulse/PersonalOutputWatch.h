#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <list>
#include <map>
#include <string>

struct pa_context;
struct pa_sink_info;
struct pa_stream;

namespace qf::sound {

// Watches the outputs that streams play on for a personal one (headphones, a headset, a
// Bluetooth device) going away: unplugged, switched off, or its port switched to speakers. The
// server would move such a stream to another output and play there what it has queued, seconds
// of noise from the speakers; instead the stream is corked as soon as the server tells, and
// left for its owner to close. Everything but hold() runs on libpulse's thread, or with its loop
// locked.
class PersonalOutputWatch {
public:
    // `told` is called, on libpulse's thread, once a stream was stopped for its output and
    // whenever an output changes while one is away.
    explicit PersonalOutputWatch(std::function<void()> told);

    static bool isPersonal(const pa_sink_info& info);

    // Any thread: whether streams are stopped when their personal output goes.
    void hold(bool hold) { hold_ = hold; }
    void setContext(pa_context* context) { context_ = context; }
    // The connection has gone, and every stream with it.
    void reset();
    void follow(pa_stream* stream);
    void forget(pa_stream* stream);
    // A subscription event of the server's.
    void serverEvent(int event, std::uint32_t index);
    // Once per loss: the output the stream was stopped for; empty otherwise.
    std::string gone(pa_stream* stream);

private:
    struct Track {
        unsigned serial = 0;
        std::uint32_t sink = 0xffffffffu;
        std::string sinkName;
        bool personal = false;
        bool stopped = false;
        std::string gone;
    };
    // An answer the server owes: about the stream's output now, or about the one it left.
    struct Query {
        PersonalOutputWatch* watch = nullptr;
        pa_stream* stream = nullptr;
        unsigned serial = 0;
        bool left = false;
        bool found = false;
        bool personal = false;
        std::string name;
        std::uint32_t index = 0;
    };

    Track* find(pa_stream* stream, unsigned serial);
    void ask(pa_stream* stream, Track& track, bool left);
    void answered(Query& query);
    void stop(pa_stream* stream, Track& track, const std::string& output);
    static void onMoved(pa_stream* stream, void* self);
    static void onSink(pa_context*, const pa_sink_info* info, int last, void* data);

    std::function<void()> told_;
    std::atomic<bool> hold_{false};
    pa_context* context_ = nullptr;
    std::map<pa_stream*, Track> tracks_;
    std::list<Query> queries_;
    unsigned serial_ = 0;
    // Some output went away and may come back.
    bool awaiting_ = false;
};

} // namespace qf::sound
