// What one tick of the recorder window's 19 ms timer costs the media device: setting the time
// format and asking for the length, on an open device, idle and while recording.

#include "platform/mci/MediaControl.h"

#include <benchmark/benchmark.h>

#include <atomic>
#include <thread>
#include <vector>

namespace {

using namespace qf::mci;

// An input that delivers a period of silence every 23 ms, as a sound card at 1024 frames
// would; an output that takes nothing.
class PacedPort final : public AudioPort {
public:
    explicit PacedPort(qf::sound::DeviceCallback* callback)
        : callback_(callback), thread_([this] { run(); }) {}
    ~PacedPort() override {
        quit_ = true;
        thread_.join();
    }
    void start() override { started_ = true; }
    void stop() override { started_ = false; }

private:
    void run() {
        std::vector<std::uint8_t> period(4096);
        while (!quit_) {
            if (started_ && callback_ != nullptr) {
                callback_->transfer(period.data(), static_cast<int>(period.size()));
            }
            std::this_thread::sleep_for(std::chrono::microseconds(23220));
        }
    }
    qf::sound::DeviceCallback* callback_;
    std::atomic<bool> started_{false};
    std::atomic<bool> quit_{false};
    std::thread thread_;
};

class PacedPorts final : public AudioPorts {
public:
    std::unique_ptr<AudioPort> openCapture(qf::sound::DeviceCallback& callback,
                                           std::string&) override {
        return std::make_unique<PacedPort>(&callback);
    }
    std::unique_ptr<AudioPort> openPlayback(qf::sound::DeviceCallback&, std::string&) override {
        return std::make_unique<PacedPort>(nullptr);
    }
};

void poll(benchmark::State& state, bool recording) {
    MediaControl media(std::make_unique<PacedPorts>());
    if (media.send("open new type waveaudio alias capture", nullptr, 0) != 0) {
        state.SkipWithError("the device did not open");
        return;
    }
    if (recording) {
        media.send("record capture", nullptr, 0);
    }
    char reply[255];
    for (auto _ : state) {
        media.send("set capture time format bytes", nullptr, 0);
        media.send("status capture length", reply, sizeof reply);
        benchmark::DoNotOptimize(reply);
    }
    media.send("close all", nullptr, 0);
}

void BM_LengthPollIdle(benchmark::State& state) {
    poll(state, false);
}
void BM_LengthPollRecording(benchmark::State& state) {
    poll(state, true);
}
BENCHMARK(BM_LengthPollIdle);
BENCHMARK(BM_LengthPollRecording);

void BM_ModePoll(benchmark::State& state) {
    MediaControl media(std::make_unique<PacedPorts>());
    media.send("open new type waveaudio alias capture", nullptr, 0);
    char reply[255];
    for (auto _ : state) {
        media.send("status capture mode", reply, sizeof reply);
        benchmark::DoNotOptimize(reply);
    }
}
BENCHMARK(BM_ModePoll);

} // namespace

BENCHMARK_MAIN();
