#include "app/ShutdownDeadline.h"

#include <cstdio>
#include <cstdlib>

namespace qf {

ShutdownDeadline::~ShutdownDeadline() {
    {
        std::lock_guard lock(mutex_);
        done_ = true;
    }
    ended_.notify_all();
    if (watch_.joinable()) {
        watch_.join();
    }
}

void ShutdownDeadline::arm() {
    if (watch_.joinable()) {
        return;
    }
    watch_ = std::thread([this] {
        std::unique_lock lock(mutex_);
        if (ended_.wait_for(lock, kLimit, [this] { return done_; })) {
            return;
        }
        std::fputs("quietfield: the program did not end in time after the request to close; "
                   "ending it now.\n",
                   stderr);
        // Files are only ever replaced whole, so ending here cannot leave a half-written one.
        // The status says that the close did not finish, for whoever waits on it.
        std::_Exit(EXIT_FAILURE);
    });
}

} // namespace qf
