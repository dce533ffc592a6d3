// Cost of the audio callback: the five noise channels, looping 22050 Hz recordings read at
// uneven rates through the band-limiting filter, mixed into 48 kHz stereo in device-sized
// blocks. The plain benchmarks take the path the mixer picks for this processor; the ones named
// after a path take that one, so each can be compared.

#include "audio/Mixer.h"
#include "audio/Recording.h"

#include <benchmark/benchmark.h>

#include <array>
#include <chrono>
#include <cstdint>
#include <random>
#include <vector>

namespace {

using qf::sound::Mixer;
using qf::sound::Recording;
using qf::sound::SpanMixer;
using qf::sound::Voice;

constexpr int kRecordingRate = 22050;
constexpr int kDeviceRate = 48000;
constexpr std::size_t kBlockFrames = 512;
constexpr std::size_t kVoices = 5;
// Rates the channels play at: none a whole multiple of the device rate, so every frame needs
// interpolating.
constexpr std::array<std::uint32_t, kVoices> kRates = {22050, 17389, 26011, 31517, 12007};

std::shared_ptr<const Recording> thirtySecondsOfNoise(unsigned seed) {
    std::mt19937 generator(seed);
    std::uniform_int_distribution<int> sample(-6000, 6000);
    std::vector<std::int16_t> interleaved(2 * 30 * kRecordingRate);
    for (auto& s : interleaved) {
        s = static_cast<std::int16_t>(sample(generator));
    }
    return Recording::fromFrames(std::move(interleaved), kRecordingRate);
}

// Five playing voices; with `ramping` every block changes every voice's level, so each block
// starts with a fade, as when a slider is being dragged.
void fiveChannels(benchmark::State& state, bool ramping, SpanMixer::Path path) {
    if (!SpanMixer::supports(path)) {
        state.SkipWithError("this processor cannot take that path");
        return;
    }
    Mixer mixer(kDeviceRate);
    std::array<Voice*, kVoices> voices{};
    for (std::size_t v = 0; v < kVoices; ++v) {
        voices[v] = mixer.addVoice(thirtySecondsOfNoise(static_cast<unsigned>(v + 1)));
        voices[v]->setFrequency(kRates[v]);
        voices[v]->setGains(0.8f, 0.6f);
        voices[v]->usePath(path);
        voices[v]->play(true);
    }
    std::vector<float> out(2 * kBlockFrames);
    // Past the first fade-in, so the steady case measures steady mixing only.
    mixer.render(out.data(), kBlockFrames);

    std::size_t block = 0;
    double seconds = 0.0;
    for (auto _ : state) {
        if (ramping) {
            const float level = block % 2 == 0 ? 0.5f : 0.7f;
            for (Voice* voice : voices) {
                voice->setGains(level, 1.2f - level);
            }
        }
        const auto start = std::chrono::steady_clock::now();
        mixer.render(out.data(), kBlockFrames);
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        state.SetIterationTime(took.count());
        seconds += took.count();
        ++block;
    }
    const auto frames = static_cast<double>(state.iterations() * kBlockFrames);
    state.SetItemsProcessed(static_cast<std::int64_t>(frames));
    // All five voices together, per output frame.
    state.counters["ns_per_frame"] = seconds * 1e9 / frames;
}

void BM_FiveChannelsSteady(benchmark::State& state) {
    fiveChannels(state, false, SpanMixer::fastestPath());
}
void BM_FiveChannelsRamping(benchmark::State& state) {
    fiveChannels(state, true, SpanMixer::fastestPath());
}
void BM_FiveChannels(benchmark::State& state, bool ramping, SpanMixer::Path path) {
    fiveChannels(state, ramping, path);
}

// Timed around the mixing alone, so setting the levels is not counted as mixing.
BENCHMARK(BM_FiveChannelsSteady)->UseManualTime();
BENCHMARK(BM_FiveChannelsRamping)->UseManualTime();
BENCHMARK_CAPTURE(BM_FiveChannels, SteadySse2, false, SpanMixer::Path::Sse2)->UseManualTime();
BENCHMARK_CAPTURE(BM_FiveChannels, RampingSse2, true, SpanMixer::Path::Sse2)->UseManualTime();
BENCHMARK_CAPTURE(BM_FiveChannels, SteadyPlain, false, SpanMixer::Path::Plain)->UseManualTime();

} // namespace

BENCHMARK_MAIN();
