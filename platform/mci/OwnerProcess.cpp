#include "platform/mci/OwnerProcess.h"

#include <signal.h>

#include <cerrno>
#include <charconv>
#include <system_error>

namespace qf::mci {

pid_t OwnerProcess::fromName(std::string_view name, std::string_view prefix) {
    if (!name.starts_with(prefix)) {
        return 0;
    }
    name.remove_prefix(prefix.size());
    pid_t pid = 0;
    const auto [end, error] = std::from_chars(name.data(), name.data() + name.size(), pid);
    if (error != std::errc() || end == name.data() || end == name.data() + name.size() ||
        *end != '-' || pid <= 0) {
        return 0;
    }
    return pid;
}

bool OwnerProcess::running(pid_t pid) {
    return ::kill(pid, 0) == 0 || errno != ESRCH;
}

} // namespace qf::mci
