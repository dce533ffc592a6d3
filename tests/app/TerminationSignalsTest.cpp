#include "app/TerminationSignals.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>

namespace {

TEST(TerminationSignals, EachSignalBecomesOneCloseRequestOnTheEventLoop) {
    qf::TerminationSignals termination;
    QSignalSpy requests(&termination, &qf::TerminationSignals::closeRequested);
    for (int number : {SIGTERM, SIGHUP, SIGINT}) {
        const int before = requests.count();
        ASSERT_EQ(std::raise(number), 0);
        // Nothing happens inside the handler; the request arrives through the event loop.
        EXPECT_EQ(requests.count(), before);
        EXPECT_TRUE(requests.wait(2000)) << "signal " << number;
        EXPECT_EQ(requests.count(), before + 1);
    }
}

TEST(TerminationSignals, TheHandlerLeavesErrnoAsItFoundIt) {
    qf::TerminationSignals termination;
    // Signals that arrive faster than the event loop reads them fill the wake-up channel (each
    // one-byte write holds far more than a byte of socket buffer); from then on the handler's
    // write fails, which is when it would overwrite errno.
    for (int i = 0; i < 100'000; ++i) {
        ASSERT_EQ(std::raise(SIGHUP), 0);
    }
    errno = EDOM;
    ASSERT_EQ(std::raise(SIGHUP), 0);
    EXPECT_EQ(errno, EDOM);
}

} // namespace
