#include "platform/dbus/MprisRootAdaptor.h"

#include "platform/dbus/MprisService.h"

namespace qf {

MprisRootAdaptor::MprisRootAdaptor(MprisService* service)
    : QDBusAbstractAdaptor(service), service_(*service) {}

QString MprisRootAdaptor::identity() const {
    return QString::fromLatin1(MprisService::kIdentity);
}

QString MprisRootAdaptor::desktopEntry() const {
    return QString::fromLatin1(MprisService::kDesktopEntry);
}

void MprisRootAdaptor::Raise() {
    emit service_.raiseRequested();
}

void MprisRootAdaptor::Quit() {
    emit service_.quitRequested();
}

} // namespace qf
