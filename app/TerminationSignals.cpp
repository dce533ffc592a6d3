#include "app/TerminationSignals.h"

#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace qf {

namespace {

// The write end is used from the signal handler, where only async-signal-safe calls are allowed.
int wakePipe[2] = {-1, -1};
constexpr int kSignals[] = {SIGTERM, SIGHUP, SIGINT};

} // namespace

void TerminationSignals::onSignal(int number) {
    // The interrupted code may be about to read errno; write() must not change it under it.
    const int savedErrno = errno;
    const char byte = static_cast<char>(number);
    [[maybe_unused]] const auto written = ::write(wakePipe[1], &byte, 1);
    errno = savedErrno;
}

TerminationSignals::TerminationSignals(QObject* parent) : QObject(parent) {
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, wakePipe) != 0) {
        return;
    }
    ::fcntl(wakePipe[1], F_SETFL, O_NONBLOCK);
    notifier_ = new QSocketNotifier(wakePipe[0], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, [this] {
        char byte = 0;
        [[maybe_unused]] const auto got = ::read(wakePipe[0], &byte, 1);
        emit closeRequested();
    });
    struct sigaction action {};
    action.sa_handler = &TerminationSignals::onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int number : kSignals) {
        ::sigaction(number, &action, nullptr);
    }
}

TerminationSignals::~TerminationSignals() {
    struct sigaction action {};
    action.sa_handler = SIG_DFL;
    for (int number : kSignals) {
        ::sigaction(number, &action, nullptr);
    }
    if (wakePipe[0] >= 0) {
        ::close(wakePipe[0]);
        ::close(wakePipe[1]);
        wakePipe[0] = wakePipe[1] = -1;
    }
}

} // namespace qf
