#include "platform/sound/SoundDevice.h"

#include "audio/Recording.h"

namespace qf::sound {

SoundDevice::SoundDevice(std::unique_ptr<AudioOutput> output, std::shared_ptr<Mixer> mixer)
    : mixer_(std::move(mixer)), output_(std::move(output)) {}

SoundResult SoundDevice::SetCooperativeLevel(WindowHandle window, std::uint32_t level) {
    if (level < DSSCL_NORMAL || level > DSSCL_WRITEPRIMARY) {
        return SoundResult::InvalidParam;
    }
    window_ = window;
    return SoundResult::Ok;
}

SoundResult SoundDevice::CreateSoundBufferFromFile(const std::string& path,
                                                   const BufferDescription& description,
                                                   const WaveFormatEx& format,
                                                   std::unique_ptr<VoiceHandle>& buffer,
                                                   std::string* reason) {
    buffer.reset();
    std::string why;
    if (format.formatTag != WAVE_FORMAT_PCM) {
        if (reason) {
            *reason = "only PCM buffers are supported";
        }
        return SoundResult::InvalidParam;
    }
    SoundResult result = SoundResult::Ok;
    auto recording = Recording::load(path, result, why);
    if (!recording) {
        if (reason) {
            *reason = why;
        }
        return result;
    }
    Voice* voice = mixer_->addVoice(recording);
    if (voice == nullptr) {
        if (reason) {
            *reason = describe(SoundResult::OutOfVoices);
        }
        return SoundResult::OutOfVoices;
    }
    buffer =
        std::make_unique<VoiceHandle>(mixer_, *voice, description.flags, recording->sampleRate(),
                                      static_cast<std::uint32_t>(recording->frames()));
    return SoundResult::Ok;
}

} // namespace qf::sound
