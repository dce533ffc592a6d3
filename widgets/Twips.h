#pragma once

#include <QRect>

namespace qf {

// Window layouts are written in twips, 1/1440 inch: 15 to a logical pixel at 96 dots per inch.
// Qt scales logical pixels on high-resolution screens.
constexpr int kTwipsPerPixel = 15;

constexpr int twipsToPixels(int twips) {
    return twips / kTwipsPerPixel;
}

// Left, top, width and height in twips, relative to the control's container.
inline QRect twips(int left, int top, int width, int height) {
    return {twipsToPixels(left), twipsToPixels(top), twipsToPixels(width), twipsToPixels(height)};
}

} // namespace qf
