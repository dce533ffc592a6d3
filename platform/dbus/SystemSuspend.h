#pragma once

#include <QString>

namespace qf {

// Asks logind to suspend the machine: org.freedesktop.login1.Manager.Suspend on the system bus,
// without asking the user to authenticate, as nobody is there to answer at the end of a sleep
// timer. The wait for the answer is short: logind answers at once and suspends afterwards.
class SystemSuspend {
public:
    static constexpr int kReplyWaitMs = 3000;

    // True when logind took the request; otherwise `error` says why not (no system bus, no
    // logind on it, or its refusal).
    static bool request(QString& error);
};

} // namespace qf
