#include "tests/settings/ChildProcess.h"

#include <cerrno>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

namespace qf::test {

ChildProcess::Result ChildProcess::run(const std::function<std::string()>& body) {
    int channel[2];
    if (::pipe(channel) != 0) {
        throw std::runtime_error("pipe failed");
    }
    const pid_t pid = ::fork();
    if (pid < 0) {
        throw std::runtime_error("fork failed");
    }
    if (pid == 0) {
        ::close(channel[0]);
        std::string report;
        try {
            report = body();
        } catch (const std::exception& e) {
            report = std::string("exception: ") + e.what();
        }
        const char* p = report.data();
        std::size_t left = report.size();
        while (left > 0) {
            const ssize_t n = ::write(channel[1], p, left);
            if (n <= 0) {
                break;
            }
            p += n;
            left -= static_cast<std::size_t>(n);
        }
        // Straight out: the child must not run the test framework's exit handling twice.
        ::_exit(0);
    }
    ::close(channel[1]);
    Result result;
    char buffer[512];
    for (;;) {
        const ssize_t n = ::read(channel[0], buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            break;
        }
        result.report.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(channel[0]);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    result.exited = WIFEXITED(status);
    result.signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
    return result;
}

} // namespace qf::test
