#include "platform/dbus/MprisService.h"

#include "platform/dbus/InstanceAdaptor.h"
#include "platform/dbus/MprisPlayerAdaptor.h"
#include "platform/dbus/MprisRootAdaptor.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>

namespace qf {

MprisService::MprisService(QObject* parent) : QObject(parent) {
    // Each adaptor is a child of this object and exports one interface of it.
    new MprisRootAdaptor(this);
    new MprisPlayerAdaptor(this);
    new InstanceAdaptor(this);
}

MprisService::Registration MprisService::registerOnSessionBus() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() || bus.interface() == nullptr) {
        return Registration::NoBus;
    }
    // The object first, so that whoever sees the name appear can call it at once.
    if (!bus.registerObject(QString::fromLatin1(kObjectPath), this,
                            QDBusConnection::ExportAdaptors)) {
        return Registration::NoBus;
    }
    const auto reply = bus.interface()->registerService(
        QString::fromLatin1(kInstanceName), QDBusConnectionInterface::DontQueueService,
        QDBusConnectionInterface::DontAllowReplacement);
    if (!reply.isValid() || reply.value() != QDBusConnectionInterface::ServiceRegistered) {
        bus.unregisterObject(QString::fromLatin1(kObjectPath));
        return reply.isValid() ? Registration::NameTaken : Registration::NoBus;
    }
    registered_ = true;
    return Registration::Registered;
}

bool MprisService::answerMediaKeys(bool answer) {
    if (!registered_ || answer == answering_) {
        return answer == answering_;
    }
    QDBusConnectionInterface* bus = QDBusConnection::sessionBus().interface();
    const QString name = QString::fromLatin1(kServiceName);
    if (answer) {
        const auto reply = bus->registerService(name, QDBusConnectionInterface::DontQueueService,
                                                QDBusConnectionInterface::DontAllowReplacement);
        answering_ =
            reply.isValid() && reply.value() == QDBusConnectionInterface::ServiceRegistered;
    } else {
        bus->unregisterService(name);
        answering_ = false;
    }
    return answer == answering_;
}

QVariantMap MprisService::metadata() const {
    QVariantMap map;
    map.insert(QStringLiteral("mpris:trackid"),
               QVariant::fromValue(QDBusObjectPath(state_.trackId)));
    if (!state_.title.isEmpty()) {
        map.insert(QStringLiteral("xesam:title"), state_.title);
    }
    return map;
}

void MprisService::setState(const State& state) {
    if (state == state_) {
        return;
    }
    QVariantMap changed;
    if (state.status != state_.status) {
        changed.insert(QStringLiteral("PlaybackStatus"), state.status);
    }
    const bool newTrack = state.trackId != state_.trackId || state.title != state_.title;
    state_ = state;
    if (newTrack) {
        changed.insert(QStringLiteral("Metadata"), metadata());
    }
    if (!registered_) {
        return;
    }
    QDBusMessage signal = QDBusMessage::createSignal(
        QString::fromLatin1(kObjectPath), QStringLiteral("org.freedesktop.DBus.Properties"),
        QStringLiteral("PropertiesChanged"));
    signal << QString::fromLatin1(kPlayerInterface) << changed << QStringList();
    QDBusConnection::sessionBus().send(signal);
}

} // namespace qf
