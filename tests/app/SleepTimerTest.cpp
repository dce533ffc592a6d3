// The minutes the sleep timer has left, as the window's caption shows them.

#include "app/SleepTimer.h"

#include <QElapsedTimer>
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

// Added to while it fades, the timer fades again over the new last minute and ends that much
// later; a timer that does not run takes no time.
TEST(SleepTimerTest, AddedTimeMovesTheFadeAndTheEnd) {
    SleepTimer timer(50ms);
    QSignalSpy changed(&timer, &SleepTimer::changed);
    timer.extend(15);
    EXPECT_FALSE(timer.running());
    EXPECT_EQ(changed.size(), 0);

    QSignalSpy fades(&timer, &SleepTimer::fadeDue);
    std::chrono::milliseconds fadeLength{0};
    QObject::connect(&timer, &SleepTimer::fadeDue,
                     [&](std::chrono::milliseconds length) { fadeLength = length; });
    QSignalSpy expired(&timer, &SleepTimer::expired);
    timer.start(2);
    ASSERT_TRUE(fades.wait(1000));
    QElapsedTimer since;
    since.start();
    timer.extend(15);
    EXPECT_EQ(timer.minutesLeft(), 16);
    EXPECT_EQ(timer.requestedMinutes(), 17);
    ASSERT_TRUE(fades.wait(2000));
    const auto fadeAt = since.elapsed();
    EXPECT_EQ(fadeLength, 50ms);
    ASSERT_TRUE(expired.wait(2000));
    const auto endAt = since.elapsed();
    // Under 50 ms were left when 750 ms were added.
    EXPECT_GE(fadeAt, 690);
    EXPECT_LE(fadeAt, 900);
    EXPECT_GE(endAt - fadeAt, 40);
    EXPECT_LE(endAt - fadeAt, 120);
    EXPECT_EQ(expired.size(), 1);
}

} // namespace
} // namespace qf
