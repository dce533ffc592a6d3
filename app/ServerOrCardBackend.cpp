#include "app/ServerOrCardBackend.h"

#include "platform/pulse/PulseRouting.h"

#include <cstdlib>

namespace qf {

ServerOrCardBackend::ServerOrCardBackend(std::unique_ptr<AudioBackend> server,
                                         std::unique_ptr<AudioBackend> card)
    : server_(std::move(server)), card_(std::move(card)), active_(card_.get()) {
    const char* driver = std::getenv("SDL_AUDIODRIVER");
    userChoseCard_ = driver != nullptr && *driver != '\0';
}

bool ServerOrCardBackend::start(std::string& reason) {
    const auto now = Clock::now();
    nextProbe_ = now + kProbeInterval;
    if (!userChoseCard_ && sound::PulseRouting::serverAnswers(kProbeWait)) {
        serverAnswered_ = now;
        active_ = server_.get();
        if (server_->start(reason)) {
            return true;
        }
    }
    const bool serverLately =
        serverAnswered_ != Clock::time_point{} && now - serverAnswered_ < kServerGoneAfter;
    if (!userChoseCard_ && serverLately) {
        active_ = server_.get();
        if (reason.empty()) {
            reason = "the sound server is away";
        }
        return false;
    }
    active_ = card_.get();
    reason.clear();
    return card_->start(reason);
}

void ServerOrCardBackend::stop() {
    active_->stop();
}

sound::AudioBackend::DeviceId ServerOrCardBackend::open(const sound::DeviceFormat& want,
                                                        bool exactRate, Pump pump, void* user,
                                                        sound::DeviceFormat& obtained,
                                                        std::string& reason) {
    return active_->open(want, exactRate, pump, user, obtained, reason);
}

bool ServerOrCardBackend::serverAppeared() {
    if (active_ != card_.get() || userChoseCard_) {
        return false;
    }
    return card_->serverAppeared();
}

void ServerOrCardBackend::threadDone() {
    server_->threadDone();
    card_->threadDone();
}

} // namespace qf
