#pragma once

#include <string>

namespace qf::sound {

enum class SampleFormat { Float32, Int16 };

// What a device is asked to be, and what it turned out to be.
struct DeviceFormat {
    int rate = 48000;
    SampleFormat format = SampleFormat::Float32;
    int channels = 2;
    int periodFrames = 512;
    bool capture = false;
    // Keep exactly this rate, the library converting from whatever the hardware runs at;
    // otherwise the device may choose its own.
    bool exactRate = false;
    // How the sound server lists the stream, so a user can tell the program's streams apart.
    std::string streamName;
    // The sound server's name of the output to play on; empty: the desktop's default. As
    // obtained: where it opened, empty when that was the default.
    std::string output;
    // With the default output: open on the output that is the default now, by its name. A
    // server that remembers where a person once put the program's stream (WirePlumber) would
    // otherwise send a stream reopened to follow the default back there. As obtained: whether
    // it opened so.
    bool pinDefault = false;
    // An output that stops when the personal output it plays on goes away, if the audio
    // system is told to (AudioBackend::holdWhenPersonalGoes).
    bool heldWhenPersonalGoes = false;

    int bytesPerFrame() const { return channels * (format == SampleFormat::Float32 ? 4 : 2); }
};

} // namespace qf::sound
