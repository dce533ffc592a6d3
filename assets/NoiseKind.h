#pragma once

#include <cstdint>
#include <span>
#include <string>

// One of the five noise colours the program plays, with everything the generators need
// to make its recording and its picture.
struct NoiseKind {
    std::string recordingName;
    std::string pictureName;
    double slopeDbPerOctave;
    std::uint64_t leftSeed;
    std::uint64_t rightSeed;
    // Picture colours as 0xRRGGBB: the field, and the spectrum drawn on it.
    std::uint32_t fieldColour;
    std::uint32_t traceColour;

    static std::span<const NoiseKind> all();
};
