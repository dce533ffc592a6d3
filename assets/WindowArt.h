#pragma once

#include <QImage>

// The main window's pictures: its background, the logo and the window icon. Nothing here
// draws text, because fonts differ between machines and the pictures must not.
class WindowArt {
public:
    // `scale` pixels to the point: 2 draws the same picture at twice the detail.
    static QImage background(int scale = 1);
    static QImage logo(int scale = 1);
    // The window icon is 48 px; the desktop's icon theme asks for other sizes of the same picture.
    static QImage icon(int size = 48);
};
