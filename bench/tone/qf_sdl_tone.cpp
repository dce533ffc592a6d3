// The least a program can do to keep a sound going through SDL2: one 440 Hz sine, opened the
// way Quietfield opens its output. Its CPU use is the floor that the real mixer is compared to.
//
// usage: qf_sdl_tone [period-frames]   (default: the program's own period)

#include "platform/device/DeviceAudioOutput.h"

#include <SDL.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <numbers>
#include <pthread.h>
#include <signal.h>

namespace {

constexpr int kRate = 48000;
constexpr int kChannels = 2;
constexpr double kToneHz = 440.0;
// About -17 dBFS RMS: clearly audible on the test sink, far from clipping.
constexpr float kAmplitude = 0.2f;

struct Tone {
    double phase = 0.0;
    double step = 0.0;
    int channels = kChannels;
};

void fill(void* userdata, Uint8* stream, int len) noexcept {
    auto* tone = static_cast<Tone*>(userdata);
    auto* out = reinterpret_cast<float*>(stream);
    const int frames = len / static_cast<int>(sizeof(float)) / tone->channels;
    for (int i = 0; i < frames; ++i) {
        const float v = kAmplitude * static_cast<float>(std::sin(tone->phase));
        for (int c = 0; c < tone->channels; ++c) {
            *out++ = v;
        }
        tone->phase += tone->step;
        // Kept within one turn so that precision does not drift over a long run.
        if (tone->phase >= 2.0 * std::numbers::pi) {
            tone->phase -= 2.0 * std::numbers::pi;
        }
    }
}

} // namespace

int main(int argc, char* argv[]) {
    int period = qf::sound::DeviceAudioOutput::kPeriodFrames;
    if (argc > 1) {
        char* end = nullptr;
        const long asked = std::strtol(argv[1], &end, 10);
        // SDL keeps the period in 16 bits.
        if (end == argv[1] || *end != '\0' || asked < 16 || asked > 32768) {
            std::fprintf(stderr, "usage: qf_sdl_tone [period-frames 16..32768]\n");
            return 2;
        }
        period = static_cast<int>(asked);
    }

    // The main thread sleeps in sigwait; blocking the signals before SDL starts its audio
    // thread makes sure that thread never takes them instead.
    sigset_t stop_signals;
    sigemptyset(&stop_signals);
    sigaddset(&stop_signals, SIGTERM);
    sigaddset(&stop_signals, SIGINT);
    pthread_sigmask(SIG_BLOCK, &stop_signals, nullptr);

    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (SDL_Init(SDL_INIT_AUDIO) != 0) {
        std::fprintf(stderr, "qf_sdl_tone: SDL_Init: %s\n", SDL_GetError());
        return 1;
    }

    Tone tone;
    SDL_AudioSpec want{};
    want.freq = kRate;
    want.format = AUDIO_F32SYS;
    want.channels = kChannels;
    want.samples = static_cast<Uint16>(period);
    want.callback = fill;
    want.userdata = &tone;
    SDL_AudioSpec have{};
    // Only the rate may differ from what was asked (SDL converts anything else), the same
    // freedom the program's own device takes.
    const SDL_AudioDeviceID device =
        SDL_OpenAudioDevice(nullptr, 0, &want, &have, SDL_AUDIO_ALLOW_FREQUENCY_CHANGE);
    if (device == 0) {
        std::fprintf(stderr, "qf_sdl_tone: SDL_OpenAudioDevice: %s\n", SDL_GetError());
        SDL_Quit();
        return 1;
    }
    tone.step = 2.0 * std::numbers::pi * kToneHz / have.freq;
    tone.channels = have.channels;
    std::fprintf(stderr, "qf_sdl_tone: driver %s, %d Hz, %d channels, %d frames a period\n",
                 SDL_GetCurrentAudioDriver(), have.freq, have.channels, have.samples);
    SDL_PauseAudioDevice(device, 0);

    int signal_number = 0;
    sigwait(&stop_signals, &signal_number);

    SDL_CloseAudioDevice(device);
    SDL_Quit();
    return 0;
}
