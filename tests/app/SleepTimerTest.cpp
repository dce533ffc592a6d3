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

    // The last request wins; a cancelled timer says so once and then nothing more.
    timer.start(90);
    timer.start(15);
    EXPECT_EQ(timer.minutesLeft(), 15);
    timer.cancel();
    EXPECT_EQ(seen, (std::vector<int>{3, 2, 1, 0, 90, 15, 0}));
    QTest::qWait(500);
    EXPECT_EQ(seen.size(), 7u);
}

} // namespace
} // namespace qf
