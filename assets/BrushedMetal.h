#pragma once

#include <QImage>

#include <cstdint>

// A grey button face with fine horizontal streaks, like brushed aluminium. The streaks come
// from a seeded generator, so a face looks the same on every build.
class BrushedMetal {
public:
    // `scale` pixels to the point: 2 brushes the face at twice the detail, with the bevel and
    // the streaks as long and as thick on the screen as at 1.
    static QImage face(int width, int height, std::uint64_t seed, int scale = 1);
    // The same face in red, for the button that starts a recording.
    static QImage redFace(int width, int height, std::uint64_t seed, int scale = 1);
};
