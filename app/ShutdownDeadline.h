#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace qf {

// A close asked for by the platform (log-off, shutdown) must end the program in bounded time,
// whatever the closing meets: a sound server or a disk that does not answer. Once armed, the
// process ends after the limit unless this object has been destroyed first, which happens at
// the very end of a normal exit.
class ShutdownDeadline {
public:
    static constexpr auto kLimit = std::chrono::milliseconds(1900);

    ShutdownDeadline() = default;
    ~ShutdownDeadline();
    ShutdownDeadline(const ShutdownDeadline&) = delete;
    ShutdownDeadline& operator=(const ShutdownDeadline&) = delete;

    // Starts the count; later calls change nothing.
    void arm();

private:
    std::mutex mutex_;
    std::condition_variable ended_;
    bool done_ = false;
    std::thread watch_;
};

} // namespace qf
