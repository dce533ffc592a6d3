#include "platform/dbus/InstanceAdaptor.h"

#include "platform/dbus/MprisService.h"

namespace qf {

InstanceAdaptor::InstanceAdaptor(MprisService* service)
    : QDBusAbstractAdaptor(service), service_(*service) {}

void InstanceAdaptor::Sleep(int minutes) {
    emit service_.sleepRequested(minutes);
}

} // namespace qf
