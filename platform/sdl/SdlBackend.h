#pragma once

#include "platform/device/AudioBackend.h"
#include "platform/pulse/PulseRouting.h"

#include <chrono>
#include <memory>
#include <string>

namespace qf::sound {

// The audio back end over SDL2. Only the audio system's thread uses it.
class SdlBackend final : public AudioBackend {
public:
    SdlBackend() = default;

    bool start(std::string& reason) override;
    void stop() override;
    DeviceId open(const DeviceFormat& want, bool exactRate, Pump pump, void* user,
                  DeviceFormat& obtained, std::string& reason) override;
    void pause(DeviceId device, bool paused) override;
    bool lost(DeviceId device) override;
    void close(DeviceId device) override;
    bool routesChanged() override;
    bool strayed(const DeviceFormat& format) override;
    bool hasOutput(const std::string& name) override;
    std::optional<std::vector<Output>> outputs() override;
    bool serverAppeared() override;
    void threadDone() override;

private:
    using Clock = std::chrono::steady_clock;
    // How often a library running without a server looks for one, and how long a look may take.
    static constexpr auto kProbeInterval = std::chrono::milliseconds(500);
    static constexpr auto kProbeWait = std::chrono::milliseconds(300);
    // A pulse service that has not answered for this long was taken away rather than restarted
    // (PipeWire left without it): PipeWire's own driver may take over then.
    static constexpr auto kPulseGoneAfter = std::chrono::seconds(10);

    // The driver SDL should start on now, or empty to let it pick.
    std::string chooseDriver();

    // Once the library has run on a sound server, a start while the server is away waits for a
    // server rather than taking the sound card itself, which the server would need back.
    bool serverSeen_ = false;
    bool onServer_ = false;
    // SDL's PipeWire driver never reports a stream whose server went away, and it has no
    // routing: the library leaves it as soon as the pulse service answers.
    bool onPipeWire_ = false;
    Clock::time_point pulseAnswered_{};
    bool userChose_ = false;
    Clock::time_point nextProbe_{};
    // Only where SDL talks to a PulseAudio (or PipeWire) server.
    std::unique_ptr<PulseRouting> routing_;
};

} // namespace qf::sound
