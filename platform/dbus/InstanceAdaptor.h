#pragma once

#include <QDBusAbstractAdaptor>

namespace qf {

class MprisService;

// The program's own interface beside the player's: what a second start hands over to the
// running program before it raises its window and ends.
class InstanceAdaptor final : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.quietfield.Instance")
public:
    explicit InstanceAdaptor(MprisService* service);

public slots:
    // Starts the sleep timer, or starts it afresh, for this many minutes.
    void Sleep(int minutes);

private:
    MprisService& service_;
};

} // namespace qf
