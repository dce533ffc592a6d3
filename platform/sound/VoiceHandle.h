#pragma once

#include "audio/Mixer.h"
#include "audio/Voice.h"
#include "platform/sound/SoundTypes.h"

#include <cstdint>
#include <memory>

namespace qf::sound {

// The engine's handle on one voice of the mixer (what the old interface called a secondary
// buffer): one recording with its own play state, position, level, pan and rate.
// Every call returns at once; the audio thread picks the change up within one period and
// ramps to it.
class VoiceHandle {
public:
    VoiceHandle(std::shared_ptr<Mixer> mixer, Voice& voice, std::uint32_t flags, int ownRate,
                std::uint32_t frames);
    ~VoiceHandle();
    VoiceHandle(const VoiceHandle&) = delete;
    VoiceHandle& operator=(const VoiceHandle&) = delete;

    SoundResult Play(std::uint32_t flags);
    SoundResult Stop();
    // Positions are in bytes of 16-bit stereo (four bytes a frame).
    SoundResult SetCurrentPosition(std::uint32_t bytePosition);
    std::uint32_t GetCurrentPosition() const;
    SoundResult SetVolume(std::int32_t hundredthsOfDb);
    SoundResult SetPan(std::int32_t pan);
    // 0 returns the buffer to its recording's own rate.
    SoundResult SetFrequency(std::uint32_t hertz);
    int GetFrequency() const { return static_cast<int>(frequency_); }

    std::int32_t GetVolume() const { return volume_; }
    std::int32_t GetPan() const { return pan_; }
    bool IsPlaying() const { return voice_.isPlaying(); }
    std::uint32_t GetFlags() const { return flags_; }

    static constexpr std::uint32_t kBytesPerFrame = 4;

private:
    void pushGains();

    std::shared_ptr<Mixer> mixer_;
    Voice& voice_;
    const std::uint32_t flags_;
    const std::uint32_t ownRate_;
    const std::uint32_t frames_;
    std::int32_t volume_ = 0;
    std::int32_t pan_ = 0;
    std::uint32_t frequency_;
};

} // namespace qf::sound
