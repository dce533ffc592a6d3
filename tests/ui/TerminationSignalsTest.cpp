#include "TerminationSignals.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

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

} // namespace
