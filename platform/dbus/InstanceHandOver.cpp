#include "platform/dbus/InstanceHandOver.h"

#include "platform/dbus/MprisService.h"

#include <QDBusConnection>
#include <QDBusMessage>

namespace qf {

namespace {

// A program that does not answer in this time is hung; the new start gives up.
constexpr int kReplyWaitMs = 5000;

bool call(const char* interface, const char* method, const QVariantList& arguments,
          QString& error) {
    QDBusMessage message =
        QDBusMessage::createMethodCall(QString::fromLatin1(MprisService::kInstanceName),
                                       QString::fromLatin1(MprisService::kObjectPath),
                                       QString::fromLatin1(interface), QString::fromLatin1(method));
    message.setArguments(arguments);
    const QDBusMessage reply =
        QDBusConnection::sessionBus().call(message, QDBus::Block, kReplyWaitMs);
    if (reply.type() == QDBusMessage::ErrorMessage) {
        error = reply.errorMessage();
        return false;
    }
    return true;
}

} // namespace

bool InstanceHandOver::toRunning(std::optional<int> sleepMinutes, QString& error) {
    if (sleepMinutes && !call(MprisService::kInstanceInterface, "Sleep", {*sleepMinutes}, error)) {
        return false;
    }
    return call("org.mpris.MediaPlayer2", "Raise", {}, error);
}

} // namespace qf
