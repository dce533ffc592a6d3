#include "platform/dbus/ScreenLockWatch.h"

#include <QDBusConnection>
#include <QString>

namespace qf {

ScreenLockWatch::ScreenLockWatch(QObject* parent) : QObject(parent) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        return;
    }
    // From whoever sends them: the name the screensaver owns differs between desktops.
    struct Source {
        const char* path;
        const char* interface;
    };
    for (const Source& source :
         {Source{"/org/gnome/ScreenSaver", "org.gnome.ScreenSaver"},
          Source{"/org/freedesktop/ScreenSaver", "org.freedesktop.ScreenSaver"},
          Source{"/ScreenSaver", "org.freedesktop.ScreenSaver"}}) {
        bus.connect(QString(), QString::fromLatin1(source.path),
                    QString::fromLatin1(source.interface), QStringLiteral("ActiveChanged"), this,
                    SLOT(activeChanged(bool)));
    }
}

void ScreenLockWatch::activeChanged(bool active) {
    if (locked_ == active) {
        return;
    }
    locked_ = active;
    emit lockedChanged(active);
}

} // namespace qf
