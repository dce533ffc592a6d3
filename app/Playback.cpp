#include "app/Playback.h"

#include <algorithm>

namespace qf {

namespace {
constexpr int kSilenceWatchMs = 20;
// An output that no longer pulls the mixer never reaches silence; it is stopped regardless.
constexpr int kSilenceWaitMs = 1000;
// The stream closes on silence, after the last row's fade-out and what the device still holds.
// Not sooner: a row ticked again meanwhile finds it open, and a stream that has not run for a
// few seconds can take most of a second to close, while the sound system can do nothing else.
constexpr int kIdleCloseMs = 4000;
// The fade is rendered ahead of what is heard by all the output queues: the output stops only
// once it can have been heard to its end, or its tail is cut off.
constexpr qint64 kFadeHeardMs = static_cast<qint64>(Playback::kFadeSeconds * 1000) + 200;
} // namespace

Playback::Playback(NoiseEngine& engine, QObject* parent) : QObject(parent), engine_(engine) {
    silenceWatch_.setInterval(kSilenceWatchMs);
    connect(&silenceWatch_, &QTimer::timeout, this, &Playback::stopOutputWhenSilent);
    idleClose_.setSingleShot(true);
    idleClose_.setInterval(kIdleCloseMs);
    connect(&idleClose_, &QTimer::timeout, this, &Playback::stopOutputWhenIdle);
}

void Playback::startGently() {
    gentleStart_ = true;
}

void Playback::storedMixStarting() {
    // An output that arrives only later plays at once, as it did while its box was up.
    if (gentleStart_ && !starting_) {
        if (sound::MasterGain* gain = master()) {
            gain->riseFromSilence(1.0f, kGentleStartSeconds);
            startFading_ = true;
        }
    }
}

void Playback::fadeInStart() {
    gentleStart_ = false;
    if (!startFading_) {
        return;
    }
    sound::MasterGain* gain = master();
    if (gain != nullptr && status() == Status::Stopped && !paused_) {
        // Nothing stored plays: a row ticked later is heard at once.
        gain->fadeTo(1.0f, 0.0);
        startFading_ = false;
    }
}

sound::MasterGain* Playback::master() {
    sound::SoundDevice* device = engine_.channelDevice();
    return device != nullptr ? &device->mixer().master() : nullptr;
}

void Playback::play() {
    pausedForOutput_ = false;
    startFading_ = false;
    interruptSleepFade();
    if (sound::MasterGain* gain = master()) {
        gain->fadeTo(1.0f, kFadeSeconds);
    }
    if (!paused_) {
        return;
    }
    paused_ = false;
    silenceWatch_.stop();
    followRows();
    emit changed();
}

void Playback::pause() {
    pausedForOutput_ = false;
    startFading_ = false;
    // The fade to silence starts from wherever the sleep fade had got to.
    if (sleepFading_) {
        sleepFading_ = false;
        emit sleepInterrupted();
    }
    if (paused_) {
        return;
    }
    paused_ = true;
    idleClose_.stop();
    if (sound::MasterGain* gain = master()) {
        gain->fadeTo(0.0f, kFadeSeconds);
    }
    pausedFor_.start();
    silenceWatch_.start();
    emit changed();
}

void Playback::pauseForLostOutput() {
    if (!paused_) {
        pause();
        pausedForOutput_ = true;
    }
}

void Playback::outputBack() {
    if (pausedForOutput_) {
        play();
    }
}

void Playback::playPause() {
    if (paused_) {
        play();
    } else {
        pause();
    }
}

void Playback::stopOutputWhenSilent() {
    sound::MasterGain* gain = master();
    const bool silent = gain == nullptr || (gain->settled() && gain->level() == 0.0f);
    const qint64 elapsed = pausedFor_.elapsed();
    if ((!silent || elapsed < kFadeHeardMs) && elapsed < kSilenceWaitMs + kFadeHeardMs) {
        return;
    }
    silenceWatch_.stop();
    if (sound::SoundDevice* device = engine_.channelDevice()) {
        device->pauseOutput();
    }
}

void Playback::followRows() {
    // A paused mix is closed by its own fade's end.
    if (paused_) {
        return;
    }
    if (status() == Status::Stopped) {
        if (!idleClose_.isActive()) {
            idleClose_.start();
        }
        return;
    }
    idleClose_.stop();
    if (sound::SoundDevice* device = engine_.channelDevice()) {
        device->resumeOutput();
    }
}

void Playback::stopOutputWhenIdle() {
    if (paused_ || status() != Status::Stopped) {
        return;
    }
    if (sound::SoundDevice* device = engine_.channelDevice()) {
        device->pauseOutput();
    }
}

std::array<bool, ChannelTable::kChannels> Playback::playingRows() const {
    std::array<bool, ChannelTable::kChannels> rows{};
    for (int row = 1; row <= ChannelTable::kChannels; ++row) {
        const sound::VoiceHandle* buffer = engine_.channel(row).buffer.get();
        rows[row - 1] = buffer != nullptr && buffer->IsPlaying();
    }
    return rows;
}

Playback::Status Playback::status() const {
    const auto rows = playingRows();
    if (std::find(rows.begin(), rows.end(), true) == rows.end()) {
        return Status::Stopped;
    }
    return paused_ ? Status::Paused : Status::Playing;
}

void Playback::fadeForSleep(std::chrono::milliseconds length) {
    sleepFading_ = true;
    startFading_ = false;
    // A paused mix is silent already; the fade matters only if it is played again meanwhile,
    // and that ends the fade.
    if (sound::MasterGain* gain = master(); gain != nullptr && !paused_) {
        gain->fadeTo(kSleepFloor, std::chrono::duration<double>(length).count(),
                     sound::MasterGain::Curve::Decibels);
    }
}

void Playback::endSleepFade() {
    if (!sleepFading_) {
        return;
    }
    sleepFading_ = false;
    if (sound::MasterGain* gain = master(); gain != nullptr && !paused_) {
        gain->fadeTo(1.0f, kFadeSeconds);
    }
}

void Playback::interruptSleepFade() {
    if (sleepFading_) {
        endSleepFade();
        emit sleepInterrupted();
    }
}

void Playback::setAttended(bool attended) {
    attended_ = attended;
    applyAttention();
}

void Playback::applyAttention() {
    if (sound::SoundDevice* device = engine_.channelDevice(); device && device->output()) {
        device->output()->setAttended(attended_);
    }
}

void Playback::deviceStarting() {
    starting_ = true;
}

void Playback::deviceStarted(bool made) {
    starting_ = false;
    if (!made) {
        return;
    }
    applyAttention();
    if (paused_) {
        if (sound::MasterGain* gain = master()) {
            gain->fadeTo(0.0f, 0.0);
        }
        pausedFor_.start();
        silenceWatch_.start();
    }
    followRows();
    emit changed();
}

void Playback::controlChanged() {
    if (startFading_ && (master() == nullptr || master()->settled())) {
        startFading_ = false;
    }
    // While the window loads, the stored mix reaching the controls is no one's hand.
    if (!starting_ && (paused_ || sleepFading_ || (startFading_ && !gentleStart_))) {
        play();
    }
    followRows();
    emit changed();
}

} // namespace qf
