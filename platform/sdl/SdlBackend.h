#pragma once

#include "AudioBackend.h"
#include "PulseRouting.h"

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
    bool defaultChanged() override;
    bool strayed(const DeviceFormat& format) override;
    void threadDone() override;

private:
    // The driver SDL chose at the first start; later starts insist on it, so that a start
    // while the sound server is away cannot settle on another driver for good.
    std::string driver_;
    // Only where SDL talks to a PulseAudio (or PipeWire) server.
    std::unique_ptr<PulseRouting> routing_;
};

} // namespace qf::sound
