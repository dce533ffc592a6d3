#pragma once

#include <QImage>

// The main window's pictures: its background, the logo and the window icon. Nothing here
// draws text, because fonts differ between machines and the pictures must not.
class WindowArt {
public:
    static QImage background();
    static QImage logo();
    static QImage icon();
};
