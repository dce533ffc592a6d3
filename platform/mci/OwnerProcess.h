#pragma once

#include <sys/types.h>

#include <string_view>

namespace qf::mci {

// The process a file the program names after itself ("<prefix><pid>-<rest>") belongs to, and
// whether that process still runs, so that one start can tell what an ended one left behind
// from what another running one is still writing.
class OwnerProcess {
public:
    // The pid in `name`, or 0 when `name` is not of that form.
    static pid_t fromName(std::string_view name, std::string_view prefix);
    // kill(pid, 0) rather than /proc/<pid>/exe: it needs no /proc and works under another user
    // too. A pid since taken by an unrelated process counts as running, so its file waits for
    // a later start rather than being read while it may still be written.
    static bool running(pid_t pid);
};

} // namespace qf::mci
