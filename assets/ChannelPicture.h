#pragma once

#include "assets/NoiseKind.h"

#include <QImage>

// The picture beside a channel: the noise's colour with its spectrum drawn on it, level
// against log frequency across the audible range.
class ChannelPicture {
public:
    static constexpr int width = 313;
    static constexpr int height = 137;

    // `scale` pixels to the point: 2 draws the same picture at twice the detail.
    static QImage render(const NoiseKind& kind, int scale = 1);
};
