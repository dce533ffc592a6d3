// The minutes the sleep timer has left, as the window's caption shows them.

#include "app/SleepTimer.h"

#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <vector>

namespace qf {
namespace {

using namespace std::chrono_literals;

TEST(SleepTimerTest, CountsDownOnceAMinuteAndEndsAtNothing) {
    SleepTimer timer(200ms);
    std::vector<int> seen;
    QObject::connect(&timer, &SleepTimer::changed, [&] { seen.push_back(timer.minutesLeft()); });
    QSignalSpy expired(&timer, &SleepTimer::expired);
    timer.start(3);
    EXPECT_EQ(timer.requestedMinutes(), 3);
    ASSERT_TRUE(expired.wait(2000));
    EXPECT_EQ(seen, (std::vector<int>{3, 2, 1, 0}));
    EXPECT_EQ(timer.requestedMinutes(), 0);
}

TEST(SleepTimerTest, TheLastRequestWinsAndCancelSaysSo) {
    SleepTimer timer(100ms);
    QSignalSpy changed(&timer, &SleepTimer::changed);
    timer.start(90);
    timer.start(15);
    EXPECT_EQ(timer.minutesLeft(), 15);
    EXPECT_EQ(timer.requestedMinutes(), 15);
    timer.cancel();
    EXPECT_EQ(changed.size(), 3);
    EXPECT_EQ(timer.minutesLeft(), 0);
    EXPECT_EQ(timer.requestedMinutes(), 0);
    // Nothing more comes from a cancelled timer.
    QTest::qWait(250);
    EXPECT_EQ(changed.size(), 3);
}

} // namespace
} // namespace qf
