#pragma once

#include "audio/SoundResult.h"

#include <cstdint>

namespace qf::sound {

// Values and records passed through the sound interface. They keep the names and numbers of
// the mixing service this program was first written against, so the engine reads the same.

constexpr std::uint32_t DSBCAPS_STATIC = 0x2;
constexpr std::uint32_t DSBCAPS_CTRLFREQUENCY = 0x20;
constexpr std::uint32_t DSBCAPS_CTRLPAN = 0x40;
constexpr std::uint32_t DSBCAPS_CTRLVOLUME = 0x80;
constexpr std::uint32_t DSBCAPS_GLOBALFOCUS = 0x8000;

constexpr std::uint32_t DSSCL_NORMAL = 1;
constexpr std::uint32_t DSSCL_WRITEPRIMARY = 4;
constexpr std::uint32_t DSBPLAY_LOOPING = 1;

constexpr std::int32_t DSBVOLUME_MIN = -10000;
constexpr std::int32_t DSBVOLUME_MAX = 0;
constexpr std::int32_t DSBPAN_LEFT = -10000;
constexpr std::int32_t DSBPAN_RIGHT = 10000;
constexpr std::uint32_t DSBFREQUENCY_MIN = 100;
constexpr std::uint32_t DSBFREQUENCY_MAX = 200000;

constexpr std::uint16_t WAVE_FORMAT_PCM = 1;

// A buffer plays at its recording's own rate, so the record carries no rate.
struct WaveFormatEx {
    std::uint16_t formatTag = 0;
    std::uint16_t channels = 0;
    std::uint16_t blockAlign = 0;
    std::uint16_t bitsPerSample = 0;
    std::uint16_t extraSize = 0;
};

struct BufferDescription {
    std::uint32_t flags = 0;
    std::uint32_t bufferBytes = 0;
    std::uint32_t reserved = 0;
    const WaveFormatEx* format = nullptr;
};

// Opaque handle of the window a device cooperates with.
using WindowHandle = std::uintptr_t;

} // namespace qf::sound
