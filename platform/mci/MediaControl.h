#pragma once

#include "platform/mci/AudioPorts.h"
#include "platform/mci/CommandText.h"
#include "platform/mci/MediaCommandSender.h"
#include "platform/mci/MediaError.h"
#include "platform/mci/WaveAudioDevice.h"

#include <array>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

namespace qf::sound {
class AudioSystem;
}

namespace qf::mci {

// The recorder's media device behind its text commands: one `waveaudio` device at a time,
// under the alias it was opened with. A command that is not understood, or that names
// another alias, returns an error code and changes nothing. Used from one thread.
class MediaControl final : public MediaCommandSender {
public:
    static constexpr std::size_t kLongestAlias = 32;

    // Devices of the program's audio system; recordings spooled to the user's cache folder.
    explicit MediaControl(sound::AudioSystem& audio);
    // Devices from `ports`; recordings spooled to `scratchFolder`, or, when it is empty, to the
    // user's cache folder as it is when a device opens.
    explicit MediaControl(std::unique_ptr<AudioPorts> ports,
                          std::filesystem::path scratchFolder = {});
    ~MediaControl() override;
    MediaControl(const MediaControl&) = delete;
    MediaControl& operator=(const MediaControl&) = delete;

    unsigned send(const char* command, char* reply, std::size_t length) override;
    std::string errorText(unsigned code) const override;

    // The open device, if any.
    WaveAudioDevice* device() { return device_.get(); }

private:
    // Each carries out one command whose first word has been read; `answer` is the reply.
    MediaError open(CommandText& text);
    MediaError close(CommandText& text);
    MediaError set(CommandText& text);
    MediaError status(CommandText& text, std::string_view& answer);
    MediaError play(CommandText& text);
    MediaError save(CommandText& text);
    // Reads the alias word and checks that it names the open device.
    MediaError addressed(CommandText& text);
    MediaError fail(MediaError code, std::string detail);

    std::unique_ptr<AudioPorts> ports_;
    std::filesystem::path scratchFolder_;
    std::unique_ptr<WaveAudioDevice> device_;
    std::array<char, kLongestAlias> alias_{};
    std::size_t aliasLength_ = 0;
    bool milliseconds_ = true;
    // Room for the longest number a length reply holds.
    std::array<char, 24> number_{};
    // What the system said about the last failure that had a reason.
    MediaError detailed_ = MediaError::None;
    std::string detail_;
};

} // namespace qf::mci
