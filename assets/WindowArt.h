#pragma once

#include <QImage>

// The main window's pictures: its background, the logo and the window icon. Nothing here
// draws text, because fonts differ between machines and the pictures must not.
class WindowArt {
public:
    static QImage background();
    static QImage logo();
    // The window icon is 48 px; the desktop's icon theme asks for other sizes of the same picture.
    static QImage icon(int size = 48);
};
