#include "engine/NoiseEngine.h"

#include "platform/files/FileLookup.h"

namespace qf {

NoiseEngine::NoiseEngine(std::string appFolder, sound::DirectSound::OutputFactory outputs)
    : appFolder_(std::move(appFolder)), outputs_(std::move(outputs)) {
    for (const ChannelRow& row : ChannelTable::rows()) {
        NoiseChannel& ch = channels_[row.number - 1];
        ch.number = row.number;
        ch.caption = row.caption;
        ch.recordingFile = row.recordingFile;
        ch.pictureFile = row.pictureFile;
    }
}

bool NoiseEngine::Initialise(MixerPanel& panel, MessageBox& messages, sound::WindowHandle window) {
    if (!root_) {
        root_ = std::make_unique<sound::DirectSound>(outputs_);
    }
    std::string reason;
    if (root_->DirectSoundCreateWhenAvailable(channelDevice_, &reason) != sound::SoundResult::Ok) {
        // "DirectX8" means nothing here; the second line says what really went wrong.
        messages.show(std::string(kDeviceError) + "\n" + reason);
        return false;
    }
    start(panel, window);
    return true;
}

bool NoiseEngine::startWhenOutputArrives(MixerPanel& panel, sound::WindowHandle window) {
    if (channelDevice_ || !root_ || !root_->outputArrived()) {
        return false;
    }
    if (root_->DirectSoundCreateWhenAvailable(channelDevice_) != sound::SoundResult::Ok) {
        return false;
    }
    start(panel, window);
    // The stored mix holds no pan, so a pan moved while there was no output reaches the
    // channels only here.
    for (NoiseChannel& ch : channels_) {
        if (ch.buffer) {
            ch.buffer->SetPan(panel.panValue());
        }
    }
    return true;
}

void NoiseEngine::start(MixerPanel& panel, sound::WindowHandle window) {
    soundDevice_ = channelDevice_.get();
    soundDevice_->SetCooperativeLevel(window, sound::DSSCL_NORMAL);

    bufferDescription_ = {};
    bufferDescription_.flags = kBufferFlags;
    waveFormat_ = {};
    waveFormat_.formatTag = sound::WAVE_FORMAT_PCM;
    waveFormat_.channels = 2;
    waveFormat_.bitsPerSample = 16;
    waveFormat_.blockAlign = waveFormat_.channels * waveFormat_.bitsPerSample / 8;
    bufferDescription_.format = &waveFormat_;

    createChannels(panel);
    if (restoreStep_) {
        restoreStep_();
    }
    for (NoiseChannel& ch : channels_) {
        if (ch.buffer) {
            ch.buffer->SetVolume(panel.volumeValue(ch.number));
            // A box ticked while there was no output yet ran its handling with no channel
            // behind it; the row is on, so it plays now.
            if (panel.checkState(ch.number) == 1 && !ch.buffer->IsPlaying()) {
                ch.buffer->Play(sound::DSBPLAY_LOOPING);
            }
        }
    }
}

void NoiseEngine::createChannels(MixerPanel& panel) {
    for (NoiseChannel& ch : channels_) {
        const std::string path = FileLookup::resolve(appFolder_, ch.recordingFile);
        std::string reason;
        const auto result = soundDevice_->CreateSoundBufferFromFile(
            path, bufferDescription_, waveFormat_, ch.buffer, &reason);
        if (result != sound::SoundResult::Ok) {
            // The program still starts; only this row is out of use, and says why.
            panel.markUnavailable(ch.number, "Cannot play " + path + ": " + reason);
        }
    }
}

bool NoiseEngine::replaceDevice(sound::WindowHandle window) {
    if (!root_) {
        root_ = std::make_unique<sound::DirectSound>(outputs_);
    }
    std::unique_ptr<sound::SoundDevice> device;
    if (root_->DirectSoundCreate("", device) != sound::SoundResult::Ok) {
        return false;
    }
    device->SetCooperativeLevel(window, sound::DSSCL_NORMAL);
    // Nothing is ever played on it: the channels keep the device they were made on.
    device->releaseOutput();
    laterDevice_ = std::move(device);
    soundDevice_ = laterDevice_.get();
    return true;
}

void NoiseEngine::StopSound() {
    for (NoiseChannel& ch : channels_) {
        if (ch.buffer) {
            ch.buffer->Stop();
            ch.buffer->SetCurrentPosition(0);
        }
    }
}

} // namespace qf
