#pragma once

#include "platform/device/AudioBackend.h"

#include <chrono>
#include <functional>
#include <memory>
#include <string>

namespace qf {

// The back end the program's sound runs on: the sound server's own (libpulse) whenever a
// server answers, and SDL where there is none (bare ALSA) or where the user named an SDL driver
// in SDL_AUDIODRIVER. A server that appears later takes over: the audio system then starts
// afresh and reopens every device on it.
class ServerOrCardBackend final : public sound::AudioBackend {
public:
    ServerOrCardBackend(std::unique_ptr<AudioBackend> server, std::unique_ptr<AudioBackend> card);

    bool start(std::string& reason) override;
    void stop() override;
    DeviceId open(const sound::DeviceFormat& want, bool exactRate, Pump pump, void* user,
                  sound::DeviceFormat& obtained, std::string& reason) override;
    void pause(DeviceId device, bool paused) override { active_->pause(device, paused); }
    void setDeep(DeviceId device, bool deep) override { active_->setDeep(device, deep); }
    void refresh(DeviceId device) override { active_->refresh(device); }
    bool lost(DeviceId device) override { return active_->lost(device); }
    void close(DeviceId device) override { active_->close(device); }
    bool routesChanged() override { return active_->routesChanged(); }
    void setChangeHook(std::function<void()> hook) override {
        server_->setChangeHook(hook);
        card_->setChangeHook(std::move(hook));
    }
    bool tellsChanges() const override { return active_->tellsChanges(); }
    bool strayed(const sound::DeviceFormat& format) override { return active_->strayed(format); }
    bool hasOutput(const std::string& name) override { return active_->hasOutput(name); }
    void holdWhenPersonalGoes(bool hold) override {
        server_->holdWhenPersonalGoes(hold);
        card_->holdWhenPersonalGoes(hold);
    }
    std::string personalGone(DeviceId device) override { return active_->personalGone(device); }
    bool personalBack(const std::string& name, bool asDefault) override {
        return active_->personalBack(name, asDefault);
    }
    std::optional<std::vector<Output>> outputs() override { return active_->outputs(); }
    bool serverAppeared() override;
    void threadDone() override;

private:
    using Clock = std::chrono::steady_clock;
    // How long a look for a server may take, and how often a card looks for one.
    static constexpr auto kProbeWait = std::chrono::milliseconds(300);
    static constexpr auto kProbeInterval = std::chrono::milliseconds(500);
    // A server that has not answered for this long was taken away rather than restarted: the
    // card may take over then. Before that, a start waits for the server rather than taking the
    // sound card, which the server would need back.
    static constexpr auto kServerGoneAfter = std::chrono::seconds(10);

    std::unique_ptr<AudioBackend> server_;
    std::unique_ptr<AudioBackend> card_;
    AudioBackend* active_;
    bool userChoseCard_ = false;
    Clock::time_point serverAnswered_{};
    Clock::time_point nextProbe_{};
};

} // namespace qf
