#include "platform/mci/MediaControl.h"

#include "platform/mci/MediaPath.h"
#include "platform/mci/SystemAudioPorts.h"

#include <algorithm>
#include <charconv>
#include <cstring>

namespace qf::mci {

namespace {

constexpr std::uint64_t kBytesPerSecond = AudioPorts::kBytesPerSecond;

std::string_view modeText(WaveAudioDevice::Mode mode) {
    switch (mode) {
    case WaveAudioDevice::Mode::Recording:
        return "recording";
    case WaveAudioDevice::Mode::Playing:
        return "playing";
    case WaveAudioDevice::Mode::Stopped:
        break;
    }
    return "stopped";
}

void writeReply(char* reply, std::size_t length, std::string_view text) {
    if (reply == nullptr || length == 0) {
        return;
    }
    const std::size_t n = std::min(text.size(), length - 1);
    if (n > 0) {
        std::memcpy(reply, text.data(), n);
    }
    reply[n] = '\0';
}

// The one recording format there is, as the format command names its parts.
struct FormatPart {
    std::string_view key;
    std::uint64_t value;
};
constexpr std::array<FormatPart, 5> kFormat{{{"samplespersec", 44100},
                                             {"channels", 2},
                                             {"bitspersample", 16},
                                             {"alignment", 4},
                                             {"bytespersec", 176400}}};

} // namespace

MediaControl::MediaControl(sound::AudioSystem& audio)
    : MediaControl(std::make_unique<SystemAudioPorts>(audio)) {}

MediaControl::MediaControl(std::unique_ptr<AudioPorts> ports, std::filesystem::path scratchFolder)
    : ports_(std::move(ports)), scratchFolder_(std::move(scratchFolder)) {}

MediaControl::~MediaControl() = default;

unsigned MediaControl::send(const char* command, char* reply, std::size_t length) {
    CommandText text(command != nullptr ? std::string_view(command) : std::string_view());
    std::string_view answer;
    const std::string_view verb = text.next();
    MediaError result = MediaError::UnknownCommand;
    if (CommandText::same(verb, "status")) {
        result = status(text, answer);
    } else if (CommandText::same(verb, "set")) {
        result = set(text);
    } else if (CommandText::same(verb, "open")) {
        result = open(text);
    } else if (CommandText::same(verb, "close")) {
        result = close(text);
    } else if (CommandText::same(verb, "play")) {
        result = play(text);
    } else if (CommandText::same(verb, "save")) {
        result = save(text);
    } else if (CommandText::same(verb, "seek") || CommandText::same(verb, "record") ||
               CommandText::same(verb, "stop")) {
        const bool seek = CommandText::same(verb, "seek");
        result = addressed(text);
        if (result == MediaError::None) {
            const bool whole =
                seek ? text.take("to") && text.take("start") && text.atEnd() : text.atEnd();
            if (!whole) {
                result = MediaError::BadSyntax;
            } else if (CommandText::same(verb, "record")) {
                std::string reason;
                if (!device_->record(reason)) {
                    result = fail(MediaError::DeviceUnavailable, reason);
                }
            } else {
                // Seeking to the start stops whatever runs, as stopping does.
                device_->stop();
            }
        }
    }
    writeReply(reply, length, result == MediaError::None ? answer : std::string_view());
    return static_cast<unsigned>(result);
}

MediaError MediaControl::addressed(CommandText& text) {
    const std::string_view alias = text.next();
    if (alias.empty()) {
        return MediaError::BadSyntax;
    }
    if (!device_ || !CommandText::same(alias, std::string_view(alias_.data(), aliasLength_))) {
        return MediaError::NoSuchAlias;
    }
    return MediaError::None;
}

MediaError MediaControl::open(CommandText& text) {
    if (!text.take("new") || !text.take("type")) {
        return MediaError::BadSyntax;
    }
    const std::string_view type = text.next();
    if (!text.take("alias")) {
        return MediaError::BadSyntax;
    }
    const std::string_view alias = text.next();
    if (alias.empty() || !text.atEnd() || alias.size() > kLongestAlias ||
        CommandText::same(alias, "all")) {
        return MediaError::BadSyntax;
    }
    if (!CommandText::same(type, "waveaudio")) {
        return MediaError::UnsupportedDevice;
    }
    if (device_) {
        return MediaError::AliasInUse;
    }
    std::string reason;
    device_ = WaveAudioDevice::open(
        *ports_, scratchFolder_.empty() ? ScratchFile::defaultFolder() : scratchFolder_, reason);
    if (!device_) {
        return fail(MediaError::DeviceUnavailable, reason);
    }
    std::copy(alias.begin(), alias.end(), alias_.begin());
    aliasLength_ = alias.size();
    milliseconds_ = true;
    return MediaError::None;
}

MediaError MediaControl::close(CommandText& text) {
    if (text.take("all")) {
        if (!text.atEnd()) {
            return MediaError::BadSyntax;
        }
        device_.reset();
        return MediaError::None;
    }
    const MediaError addressing = addressed(text);
    if (addressing != MediaError::None) {
        return addressing;
    }
    if (!text.atEnd()) {
        return MediaError::BadSyntax;
    }
    device_.reset();
    return MediaError::None;
}

MediaError MediaControl::set(CommandText& text) {
    const MediaError addressing = addressed(text);
    if (addressing != MediaError::None) {
        return addressing;
    }
    if (text.take("time")) {
        if (!text.take("format")) {
            return MediaError::BadSyntax;
        }
        const std::string_view format = text.next();
        if (!text.atEnd()) {
            return MediaError::BadSyntax;
        }
        if (CommandText::same(format, "bytes")) {
            milliseconds_ = false;
        } else if (CommandText::same(format, "milliseconds") || CommandText::same(format, "ms")) {
            milliseconds_ = true;
        } else {
            return MediaError::BadSyntax;
        }
        return MediaError::None;
    }
    // The recording format: every part named must be the one format there is.
    if (text.atEnd()) {
        return MediaError::BadSyntax;
    }
    MediaError result = MediaError::None;
    while (!text.atEnd()) {
        const std::string_view key = text.next();
        const std::string_view word = text.next();
        const auto part = std::find_if(kFormat.begin(), kFormat.end(), [&](const FormatPart& p) {
            return CommandText::same(key, p.key);
        });
        std::uint64_t value = 0;
        if (part == kFormat.end() || word.empty()) {
            return MediaError::BadSyntax;
        }
        if (!CommandText::number(word, value)) {
            return MediaError::BadNumber;
        }
        if (value != part->value && result == MediaError::None) {
            result = MediaError::UnsupportedFormat;
        }
    }
    return result;
}

MediaError MediaControl::status(CommandText& text, std::string_view& answer) {
    const MediaError addressing = addressed(text);
    if (addressing != MediaError::None) {
        return addressing;
    }
    const std::string_view item = text.next();
    if (!text.atEnd()) {
        return MediaError::BadSyntax;
    }
    if (CommandText::same(item, "mode")) {
        answer = modeText(device_->mode());
        return MediaError::None;
    }
    if (CommandText::same(item, "length")) {
        std::uint64_t length = device_->length();
        if (milliseconds_) {
            length = length * 1000 / kBytesPerSecond;
        }
        const auto written =
            std::to_chars(number_.data(), number_.data() + number_.size(), length).ptr;
        answer =
            std::string_view(number_.data(), static_cast<std::size_t>(written - number_.data()));
        return MediaError::None;
    }
    return MediaError::BadSyntax;
}

MediaError MediaControl::play(CommandText& text) {
    const MediaError addressing = addressed(text);
    if (addressing != MediaError::None) {
        return addressing;
    }
    std::uint64_t from = 0;
    if (text.take("from") && !CommandText::number(text.next(), from)) {
        return MediaError::BadNumber;
    }
    if (!text.atEnd()) {
        return MediaError::BadSyntax;
    }
    const std::uint64_t length = device_->length();
    const std::uint64_t end = milliseconds_ ? length * 1000 / kBytesPerSecond : length;
    if (from > end) {
        return MediaError::OutOfRange;
    }
    const std::uint64_t fromByte = milliseconds_ ? from * kBytesPerSecond / 1000 : from;
    std::string reason;
    if (!device_->play(std::min(fromByte, length), reason)) {
        return fail(MediaError::PlaybackUnavailable, reason);
    }
    return MediaError::None;
}

MediaError MediaControl::save(CommandText& text) {
    const MediaError addressing = addressed(text);
    if (addressing != MediaError::None) {
        return addressing;
    }
    // Everything after the alias is the path, blanks and all.
    const std::string_view mediaPath = text.rest();
    if (mediaPath.empty()) {
        return MediaError::BadSyntax;
    }
    const auto path = localPath(mediaPath);
    if (!path) {
        return fail(MediaError::BadPath, std::string(mediaPath) + " is not on this computer");
    }
    std::string reason;
    if (!device_->save(*path, reason)) {
        return fail(MediaError::SaveFailed, reason);
    }
    return MediaError::None;
}

MediaError MediaControl::fail(MediaError code, std::string detail) {
    detailed_ = code;
    detail_ = std::move(detail);
    return code;
}

std::string MediaControl::errorText(unsigned code) const {
    std::string text;
    switch (static_cast<MediaError>(code)) {
    case MediaError::None:
        return "The command succeeded.";
    case MediaError::UnknownCommand:
        text = "The command is not one the recorder understands";
        break;
    case MediaError::BadSyntax:
        text = "The command is incomplete or has words that do not belong in it";
        break;
    case MediaError::NoSuchAlias:
        text = "No device is open under that alias";
        break;
    case MediaError::AliasInUse:
        text = "A device is open already; close it first";
        break;
    case MediaError::UnsupportedDevice:
        text = "The only device type is waveaudio";
        break;
    case MediaError::BadNumber:
        text = "A number in the command is not a whole decimal number";
        break;
    case MediaError::UnsupportedFormat:
        text = "The only recording format is 44100 samples per second, 2 channels, 16 bits";
        break;
    case MediaError::OutOfRange:
        text = "The position is past the end of the recording";
        break;
    case MediaError::DeviceUnavailable:
        text = "The recording device could not be opened";
        break;
    case MediaError::PlaybackUnavailable:
        text = "The recording could not be played";
        break;
    case MediaError::BadPath:
        text = "The path names no place on this computer";
        break;
    case MediaError::SaveFailed:
        text = "The recording was not saved";
        break;
    default:
        return "Unknown error " + std::to_string(code) + ".";
    }
    if (static_cast<MediaError>(code) == detailed_ && !detail_.empty()) {
        text += ": " + detail_;
    }
    return text + ".";
}

} // namespace qf::mci
