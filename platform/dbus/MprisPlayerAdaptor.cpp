#include "platform/dbus/MprisPlayerAdaptor.h"

#include "platform/dbus/MprisService.h"

namespace qf {

MprisPlayerAdaptor::MprisPlayerAdaptor(MprisService* service)
    : QDBusAbstractAdaptor(service), service_(*service) {}

QString MprisPlayerAdaptor::playbackStatus() const {
    return service_.state().status;
}

QVariantMap MprisPlayerAdaptor::metadata() const {
    return service_.metadata();
}

void MprisPlayerAdaptor::Play() {
    emit service_.playRequested();
}

void MprisPlayerAdaptor::Pause() {
    emit service_.pauseRequested();
}

void MprisPlayerAdaptor::PlayPause() {
    emit service_.playPauseRequested();
}

void MprisPlayerAdaptor::Stop() {
    emit service_.stopRequested();
}

} // namespace qf
