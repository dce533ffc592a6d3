#pragma once

namespace qf::sound {

// What a sound operation came to: loading a recording, making a voice, opening an output.
enum class SoundResult {
    Ok,
    InvalidParam,
    ControlUnavailable,
    NoDriver,
    FileNotFound,
    BadFormat,
    OutOfVoices,
};

const char* describe(SoundResult result);

} // namespace qf::sound
