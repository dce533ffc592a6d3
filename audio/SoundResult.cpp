#include "audio/SoundResult.h"

namespace qf::sound {

const char* describe(SoundResult result) {
    switch (result) {
    case SoundResult::Ok:
        return "ok";
    case SoundResult::InvalidParam:
        return "a value is out of range";
    case SoundResult::ControlUnavailable:
        return "the buffer was made without that control";
    case SoundResult::NoDriver:
        return "no sound output device could be opened";
    case SoundResult::FileNotFound:
        return "the file does not exist";
    case SoundResult::BadFormat:
        return "the file is not a readable PCM WAV recording";
    case SoundResult::OutOfVoices:
        return "too many buffers";
    }
    return "unknown";
}

} // namespace qf::sound
