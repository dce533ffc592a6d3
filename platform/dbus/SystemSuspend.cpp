#include "platform/dbus/SystemSuspend.h"

#include <QDBusConnection>
#include <QDBusError>
#include <QDBusMessage>

namespace qf {

bool SystemSuspend::request(QString& error) {
    QDBusConnection bus = QDBusConnection::systemBus();
    if (!bus.isConnected()) {
        const QString why = bus.lastError().message();
        error = why.isEmpty() ? QStringLiteral("there is no system bus")
                              : QStringLiteral("there is no system bus (%1)").arg(why);
        return false;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.login1"), QStringLiteral("/org/freedesktop/login1"),
        QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("Suspend"));
    call.setArguments({false});
    const QDBusMessage reply = bus.call(call, QDBus::Block, kReplyWaitMs);
    if (reply.type() == QDBusMessage::ErrorMessage) {
        error = reply.errorMessage().isEmpty()
                    ? reply.errorName()
                    : QStringLiteral("%1 (%2)").arg(reply.errorMessage(), reply.errorName());
        return false;
    }
    return true;
}

} // namespace qf
