#include "platform/sdl/SdlBackend.h"

#include "platform/pulse/ServerInfoGuard.h"

#include <SDL2/SDL.h>

#include <cstdlib>
#include <string_view>

namespace qf::sound {

namespace {

SDL_AudioFormat sdlFormat(SampleFormat format) {
    return format == SampleFormat::Float32 ? AUDIO_F32SYS : AUDIO_S16SYS;
}

SampleFormat sampleFormat(SDL_AudioFormat format) {
    return format == AUDIO_S16SYS ? SampleFormat::Int16 : SampleFormat::Float32;
}

// SDL's name for the output people see as `description`. SDL keeps an output that went away in
// its list until the list is next counted, and calls one of the same name that comes back in
// the meantime "description (2)": counting drops the one that went, and the numbered name is
// taken when the plain one is not there.
std::string sdlOutputName(const std::string& description) {
    const int count = SDL_GetNumAudioDevices(0);
    std::string numbered;
    for (int i = 0; i < count; ++i) {
        const char* listed = SDL_GetAudioDeviceName(i, 0);
        if (listed == nullptr) {
            continue;
        }
        const std::string_view name(listed);
        if (name == description) {
            return description;
        }
        if (numbered.empty() && name.size() > description.size() + 3 &&
            name.starts_with(description) && name.substr(description.size(), 2) == " (" &&
            name.back() == ')') {
            numbered = listed;
        }
    }
    return numbered.empty() ? description : numbered;
}

} // namespace

std::string SdlBackend::chooseDriver() {
    if (PulseRouting::serverAnswers(kProbeWait)) {
        pulseAnswered_ = Clock::now();
        return "pulseaudio";
    }
    if (!serverSeen_) {
        return "";
    }
    // The server is away, most likely restarting: PipeWire's core comes back a moment before
    // its pulse service, and a device opened on the core then would be silent after the next
    // restart. Only once the pulse service has stayed away does PipeWire's own driver take
    // over, as when PipeWire runs without it.
    const bool pulseLately =
        pulseAnswered_ != Clock::time_point{} && Clock::now() - pulseAnswered_ < kPulseGoneAfter;
    return pulseLately ? "pulseaudio" : "pipewire";
}

bool SdlBackend::start(std::string& reason) {
    // The program handles its own termination signals; SDL must not swallow them.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    SDL_SetHint(SDL_HINT_AUDIO_DEVICE_APP_NAME, "Quietfield");
    // Also what keeps the guard linked into the program.
    static_cast<void>(serverInfoGuardInstalled());
    // A driver the user named in SDL's own variable is theirs to choose; the environment
    // outranks any hint set here anyway.
    const char* userDriver = std::getenv("SDL_AUDIODRIVER");
    userChose_ = userDriver != nullptr && *userDriver != '\0';
    if (!userChose_) {
        const std::string driver = chooseDriver();
        if (driver.empty()) {
            SDL_ResetHint(SDL_HINT_AUDIODRIVER);
        } else {
            SDL_SetHint(SDL_HINT_AUDIODRIVER, driver.c_str());
        }
    }
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        reason = SDL_GetError();
        return false;
    }
    const char* current = SDL_GetCurrentAudioDriver();
    const std::string driver = current != nullptr ? current : "";
    onPipeWire_ = driver == "pipewire";
    onServer_ = driver == "pulseaudio" || onPipeWire_;
    if (driver == "pulseaudio") {
        pulseAnswered_ = Clock::now();
    }
    if (onServer_) {
        serverSeen_ = true;
        if (!routing_) {
            routing_ = std::make_unique<PulseRouting>();
        }
    }
    nextProbe_ = Clock::now() + kProbeInterval;
    return true;
}

void SdlBackend::stop() {
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

AudioBackend::DeviceId SdlBackend::open(const DeviceFormat& want, bool exactRate, Pump pump,
                                        void* user, DeviceFormat& obtained, std::string& reason) {
    // Read when the stream is made; each device sets its own.
    SDL_SetHint(SDL_HINT_AUDIO_DEVICE_STREAM_NAME, want.streamName.c_str());
    SDL_AudioSpec asked{};
    asked.freq = want.rate;
    asked.format = sdlFormat(want.format);
    asked.channels = static_cast<Uint8>(want.channels);
    asked.samples = static_cast<Uint16>(want.periodFrames);
    asked.callback = pump.transfer;
    asked.userdata = user;
    SDL_AudioSpec have{};
    // Format and channel count are converted by SDL if the device differs; so is the rate when
    // it must stay as asked.
    const int changes = exactRate ? 0 : SDL_AUDIO_ALLOW_FREQUENCY_CHANGE;
    // SDL knows a server's outputs by the names people see; an output that is not there now
    // leaves the default, and the audio system moves the stream once it is back.
    const std::string target =
        want.output.empty() && want.pinDefault ? "@DEFAULT_SINK@" : want.output;
    const std::string named =
        want.capture || !routing_ ? std::string() : routing_->outputDescription(target);
    SDL_AudioDeviceID device = 0;
    if (!named.empty()) {
        device = SDL_OpenAudioDevice(sdlOutputName(named).c_str(), 0, &asked, &have, changes);
    }
    const bool onNamed = device != 0;
    if (device == 0) {
        device = SDL_OpenAudioDevice(nullptr, want.capture ? 1 : 0, &asked, &have, changes);
    }
    if (device == 0) {
        reason = SDL_GetError();
        return 0;
    }
    obtained = want;
    obtained.output = onNamed ? want.output : std::string();
    obtained.pinDefault = onNamed && want.pinDefault;
    obtained.rate = have.freq;
    obtained.format = sampleFormat(have.format);
    obtained.channels = have.channels;
    obtained.periodFrames = have.samples;
    return device;
}

void SdlBackend::pause(DeviceId device, bool paused) {
    SDL_PauseAudioDevice(device, paused ? 1 : 0);
}

bool SdlBackend::lost(DeviceId device) {
    return SDL_GetAudioDeviceStatus(device) == SDL_AUDIO_STOPPED;
}

void SdlBackend::close(DeviceId device) {
    SDL_CloseAudioDevice(device);
}

bool SdlBackend::routesChanged() {
    return routing_ && routing_->routesChanged();
}

bool SdlBackend::strayed(const DeviceFormat& format) {
    return routing_ && routing_->strayed(format.capture, format.streamName, format.output);
}

bool SdlBackend::hasOutput(const std::string& name) {
    return routing_ && !routing_->outputDescription(name).empty();
}

bool SdlBackend::serverAppeared() {
    if ((onServer_ && !onPipeWire_) || userChose_ || Clock::now() < nextProbe_) {
        return false;
    }
    nextProbe_ = Clock::now() + kProbeInterval;
    return PulseRouting::serverAnswers(kProbeWait);
}

std::optional<std::vector<AudioBackend::Output>> SdlBackend::outputs() {
    if (!routing_) {
        return std::nullopt;
    }
    const auto listed = PulseRouting::outputs(kProbeWait);
    if (!listed) {
        return std::nullopt;
    }
    std::vector<Output> outputs;
    for (const auto& output : *listed) {
        outputs.push_back({output.name, output.description});
    }
    return outputs;
}

void SdlBackend::threadDone() {
    routing_.reset();
    // SDL keeps per-thread data (its error text) that it frees only for threads it started.
    SDL_TLSCleanup();
}

} // namespace qf::sound
