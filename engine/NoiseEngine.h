#pragma once

#include "engine/ChannelTable.h"
#include "engine/MixerPanel.h"
#include "engine/NoiseChannel.h"
#include "platform/sound/DirectSound.h"
#include "platform/toolkit/MessageBox.h"

#include <array>
#include <functional>
#include <memory>
#include <string>

namespace qf {

// The sound device and the five noise channels, owned by the main window for the whole run.
class NoiseEngine {
public:
    static constexpr const char* kDeviceError = "Error. Please check you have DirectX8 or later.";
    static constexpr std::uint32_t kBufferFlags =
        sound::DSBCAPS_STATIC | sound::DSBCAPS_CTRLFREQUENCY | sound::DSBCAPS_CTRLPAN |
        sound::DSBCAPS_CTRLVOLUME | sound::DSBCAPS_GLOBALFOCUS;

    NoiseEngine(std::string appFolder, sound::DirectSound::OutputFactory outputs = {});

    // Builds the device and the channels, lets the stored mix reach the controls, then sets
    // every channel's volume from its slider. Returns false when no device could be made; the
    // message, with the system's reason on a second line, has then been shown, no channel
    // exists, and the output goes on being looked for (startWhenOutputArrives()).
    bool Initialise(MixerPanel& panel, MessageBox& messages, sound::WindowHandle window);
    // After a failed Initialise: once the output has appeared, starts exactly as Initialise
    // would have (device, channels, stored mix, volumes) and returns true. Cheap to call often.
    bool startWhenOutputArrives(MixerPanel& panel, sound::WindowHandle window);
    bool started() const { return channelDevice_ != nullptr; }

    // Makes a new device for the default output and keeps it as the current one, as loading a
    // configuration does; the channels stay on the device they were made on and play on. False
    // when no device could be made, and then nothing has changed.
    bool replaceDevice(sound::WindowHandle window);

    // Stops every channel and rewinds it, so nothing sounds once the window is gone.
    void StopSound();

    // Runs between creating the channels and setting their volumes: where a stored mix is
    // put back into the controls.
    void setRestoreStep(std::function<void()> step) { restoreStep_ = std::move(step); }

    NoiseChannel& channel(int number) { return channels_[number - 1]; }
    const NoiseChannel& channel(int number) const { return channels_[number - 1]; }
    sound::VoiceHandle* buffer(int number) { return channel(number).buffer.get(); }
    bool hasDevice() const { return soundDevice_ != nullptr; }
    sound::SoundDevice* soundDevice() { return soundDevice_; }
    sound::SoundDevice* channelDevice() { return channelDevice_.get(); }
    const sound::BufferDescription& bufferDescription() const { return bufferDescription_; }
    const sound::WaveFormatEx& waveFormat() const { return waveFormat_; }
    const std::string& appFolder() const { return appFolder_; }

private:
    void start(MixerPanel& panel, sound::WindowHandle window);
    void createChannels(MixerPanel& panel);

    std::string appFolder_;
    sound::DirectSound::OutputFactory outputs_;
    std::unique_ptr<sound::DirectSound> root_;
    // The device the channels were made on; it plays them for the whole run.
    std::unique_ptr<sound::SoundDevice> channelDevice_;
    // The latest device made; the same as the one above until a configuration is loaded.
    sound::SoundDevice* soundDevice_ = nullptr;
    std::unique_ptr<sound::SoundDevice> laterDevice_;
    sound::BufferDescription bufferDescription_;
    sound::WaveFormatEx waveFormat_;
    std::array<NoiseChannel, ChannelTable::kChannels> channels_;
    std::function<void()> restoreStep_;
};

} // namespace qf
