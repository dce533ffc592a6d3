#include "platform/sound/VoiceHandle.h"

#include <cmath>

namespace qf::sound {

namespace {

float decibelsToGain(std::int32_t hundredths) {
    if (hundredths <= DSBVOLUME_MIN) {
        return 0.0f;
    }
    return static_cast<float>(std::pow(10.0, hundredths / 2000.0));
}

} // namespace

VoiceHandle::VoiceHandle(std::shared_ptr<Mixer> mixer, Voice& voice, std::uint32_t flags,
                         int ownRate, std::uint32_t frames)
    : mixer_(std::move(mixer)), voice_(voice), flags_(flags),
      ownRate_(static_cast<std::uint32_t>(ownRate)), frames_(frames), frequency_(ownRate_) {
    pushGains();
}

VoiceHandle::~VoiceHandle() {
    // The voice's slot goes back to the mixer, for the next buffer made on this device.
    mixer_->releaseVoice(voice_);
}

SoundResult VoiceHandle::Play(std::uint32_t flags) {
    voice_.play((flags & DSBPLAY_LOOPING) != 0);
    mixer_->bell().ring();
    return SoundResult::Ok;
}

SoundResult VoiceHandle::Stop() {
    voice_.stop();
    mixer_->bell().ring();
    return SoundResult::Ok;
}

SoundResult VoiceHandle::SetCurrentPosition(std::uint32_t bytePosition) {
    const std::uint32_t frame = bytePosition / kBytesPerFrame;
    if (frame >= frames_) {
        return SoundResult::InvalidParam;
    }
    voice_.seek(frame);
    mixer_->bell().ring();
    return SoundResult::Ok;
}

std::uint32_t VoiceHandle::GetCurrentPosition() const {
    return voice_.position() * kBytesPerFrame;
}

SoundResult VoiceHandle::SetVolume(std::int32_t hundredthsOfDb) {
    if ((flags_ & DSBCAPS_CTRLVOLUME) == 0) {
        return SoundResult::ControlUnavailable;
    }
    if (hundredthsOfDb < DSBVOLUME_MIN || hundredthsOfDb > DSBVOLUME_MAX) {
        return SoundResult::InvalidParam;
    }
    volume_ = hundredthsOfDb;
    pushGains();
    return SoundResult::Ok;
}

SoundResult VoiceHandle::SetPan(std::int32_t pan) {
    if ((flags_ & DSBCAPS_CTRLPAN) == 0) {
        return SoundResult::ControlUnavailable;
    }
    if (pan < DSBPAN_LEFT || pan > DSBPAN_RIGHT) {
        return SoundResult::InvalidParam;
    }
    pan_ = pan;
    pushGains();
    return SoundResult::Ok;
}

SoundResult VoiceHandle::SetFrequency(std::uint32_t hertz) {
    if ((flags_ & DSBCAPS_CTRLFREQUENCY) == 0) {
        return SoundResult::ControlUnavailable;
    }
    if (hertz == 0) {
        hertz = ownRate_;
    }
    if (hertz < DSBFREQUENCY_MIN || hertz > DSBFREQUENCY_MAX) {
        return SoundResult::InvalidParam;
    }
    frequency_ = hertz;
    voice_.setFrequency(hertz);
    mixer_->bell().ring();
    return SoundResult::Ok;
}

void VoiceHandle::pushGains() {
    // Pan attenuates only the far side; the near side keeps the buffer's own level.
    const float level = decibelsToGain(volume_);
    const float left = pan_ > 0 ? level * decibelsToGain(-pan_) : level;
    const float right = pan_ < 0 ? level * decibelsToGain(pan_) : level;
    voice_.setGains(left, right);
    mixer_->bell().ring();
}

} // namespace qf::sound
