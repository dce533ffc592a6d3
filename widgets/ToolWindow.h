#pragma once

#include "widgets/Twips.h"

#include <QPixmap>
#include <QWidget>

#include <string>

class QLabel;

namespace qf {

// What the splash, About and Contact windows have in common: a small tool-window title bar with a
// close box only, a fixed client area, no taskbar entry, centring when first shown, and an
// optional background picture drawn unscaled from the top-left corner.
//
// A tool window has no parent, so it outlives the main window, and it keeps the program running
// while it is open. Closing it destroys it (deleteLater); hold it through a QPointer.
class ToolWindow : public QWidget {
    Q_OBJECT
public:
    // The application folder is where the window's pictures are looked up.
    ToolWindow(std::string appFolder, const QString& caption, int clientWidthTwips,
               int clientHeightTwips);

    // A picture from the application folder; null when it is missing or unreadable.
    QPixmap picture(const std::string& name) const;
    // A null pixmap leaves the plain window colour.
    void setBackground(const QPixmap& background);
    const QPixmap& background() const { return background_; }

protected:
    // A label placed in twips, with no input of its own: these windows only show things.
    QLabel* addLabel(const char* name, const QString& text, QRect where);
    // White text on the background picture, as the splash and About windows show it.
    QLabel* addCaptionLabel(const char* name, const QString& text, QRect where);
    // The dark blue box with the logo drawn from its top-left corner.
    QLabel* addLogoBox(QRect where);
    // The program's name in the heavier face used under the logo.
    static QFont titleFont();

    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void centre();

    std::string appFolder_;
    QPixmap background_;
    bool placed_ = false;
};

} // namespace qf
