#pragma once

#include "audio/AudioOutput.h"
#include "audio/Mixer.h"
#include "platform/sound/SoundTypes.h"
#include "platform/sound/VoiceHandle.h"

#include <memory>
#include <string>

namespace qf::sound {

// The opened output device: it makes a voice for each recording and mixes every playing one.
class SoundDevice {
public:
    SoundDevice(std::unique_ptr<AudioOutput> output, std::shared_ptr<Mixer> mixer);
    SoundDevice(const SoundDevice&) = delete;
    SoundDevice& operator=(const SoundDevice&) = delete;

    SoundResult SetCooperativeLevel(WindowHandle window, std::uint32_t level);

    // Loads the whole recording. The buffer takes the file's own format; the wave-format
    // record only has to describe PCM, since a file may hold any rate or channel count.
    SoundResult CreateSoundBufferFromFile(const std::string& path,
                                          const BufferDescription& description,
                                          const WaveFormatEx& format,
                                          std::unique_ptr<VoiceHandle>& buffer,
                                          std::string* reason = nullptr);

    Mixer& mixer() { return *mixer_; }
    // The output stops and starts pulling the mixer; nothing else changes. Asking again for
    // what is already so costs nothing.
    void pauseOutput() {
        if (output_ && !outputPaused_) {
            outputPaused_ = true;
            output_->pause();
        }
    }
    void resumeOutput() {
        if (output_ && outputPaused_) {
            outputPaused_ = false;
            output_->resume();
        }
    }
    bool outputPaused() const { return outputPaused_; }
    // Null once released.
    AudioOutput* output() { return output_.get(); }
    // Lets the output stream go, for a device that will never play anything: it has served to
    // show that the output can be opened, and an idle stream would still cost the sound server
    // work. Buffers made on it, if any, fall silent.
    void releaseOutput() { output_.reset(); }
    WindowHandle cooperativeWindow() const { return window_; }

private:
    std::shared_ptr<Mixer> mixer_;
    // Declared after the mixer so it stops pulling before the mixer can go.
    std::unique_ptr<AudioOutput> output_;
    WindowHandle window_ = 0;
    bool outputPaused_ = false;
};

} // namespace qf::sound
