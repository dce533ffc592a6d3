#pragma once

#include <QImage>

#include <cstdint>

// A grey button face with fine horizontal streaks, like brushed aluminium. The streaks come
// from a seeded generator, so a face looks the same on every build.
class BrushedMetal {
public:
    static QImage face(int width, int height, std::uint64_t seed);
    // The same face in red, for the button that starts a recording.
    static QImage redFace(int width, int height, std::uint64_t seed);
};
