#pragma once

#include <QObject>

namespace qf {

// Hears the desktop's screen lock come and go on the session bus: the screensaver's
// ActiveChanged signal, which GNOME sends as org.gnome.ScreenSaver and KDE, Xfce and others as
// org.freedesktop.ScreenSaver. Without a session bus, or on a desktop that sends neither, it
// simply never tells.
class ScreenLockWatch final : public QObject {
    Q_OBJECT
public:
    explicit ScreenLockWatch(QObject* parent = nullptr);

    bool locked() const { return locked_; }

signals:
    void lockedChanged(bool locked);

private slots:
    void activeChanged(bool active);

private:
    bool locked_ = false;
};

} // namespace qf
