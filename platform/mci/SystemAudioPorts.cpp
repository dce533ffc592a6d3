#include "platform/mci/SystemAudioPorts.h"

#include "platform/mci/SystemAudioPort.h"

namespace qf::mci {

std::unique_ptr<AudioPort> SystemAudioPorts::openCapture(sound::DeviceCallback& callback,
                                                         std::string& reason) {
    return open(true, callback, reason);
}

std::unique_ptr<AudioPort> SystemAudioPorts::openPlayback(sound::DeviceCallback& callback,
                                                          std::string& reason) {
    return open(false, callback, reason);
}

std::unique_ptr<AudioPort> SystemAudioPorts::open(bool capture, sound::DeviceCallback& callback,
                                                  std::string& reason) {
    sound::DeviceFormat want;
    want.rate = kRate;
    want.format = sound::SampleFormat::Int16;
    want.channels = kChannels;
    want.periodFrames = kPeriodFrames;
    want.capture = capture;
    // The sound library converts from the hardware's own format, rate and channels.
    want.exactRate = true;
    want.streamName = capture ? kCaptureStream : kPlaybackStream;
    auto device = system_.open(want, callback, reason);
    if (!device) {
        return nullptr;
    }
    const sound::DeviceFormat& got = device->format();
    if (got.rate != kRate || got.format != sound::SampleFormat::Int16 ||
        got.channels != kChannels) {
        reason = "the sound device does not offer 44100 Hz, 2 channels, 16 bits";
        return nullptr;
    }
    return std::make_unique<SystemAudioPort>(std::move(device));
}

} // namespace qf::mci
