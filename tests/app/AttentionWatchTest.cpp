// Whether a person is at the program: input keeps it so, a quiet while, the main window put
// away or the screen locked ends it, and input brings it back at once.

#include "app/AttentionWatch.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QSignalSpy>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

namespace qf {
namespace {

using namespace std::chrono_literals;

TEST(AttentionWatchTest, QuietForAWhileOrPutAwayIsNobodyAndInputIsSomeoneAtOnce) {
    QWidget main;
    main.show();
    AttentionWatch watch(&main, 300ms);
    QSignalSpy changes(&watch, &AttentionWatch::attendedChanged);
    EXPECT_TRUE(watch.attended());

    // Input halfway through the quiet time starts it again.
    QTest::qWait(150);
    QKeyEvent key(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier);
    QCoreApplication::sendEvent(&main, &key);
    QTest::qWait(200);
    EXPECT_TRUE(watch.attended());
    ASSERT_TRUE(changes.wait(1000));
    EXPECT_FALSE(watch.attended());

    QCoreApplication::sendEvent(&main, &key);
    EXPECT_TRUE(watch.attended());
    EXPECT_EQ(changes.count(), 2);

    // Hidden, nobody is there at once, whatever the input says; shown again, somebody is.
    main.hide();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !watch.attended(); }, 200));
    main.show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return watch.attended(); }, 200));

    // Locked, nobody is there however recent the input; unlocked, the input since says.
    QCoreApplication::sendEvent(&main, &key);
    watch.setScreenLocked(true);
    EXPECT_FALSE(watch.attended());
    QCoreApplication::sendEvent(&main, &key);
    EXPECT_FALSE(watch.attended());
    watch.setScreenLocked(false);
    EXPECT_TRUE(watch.attended());
    watch.setScreenLocked(true);
    QTest::qWait(400);
    watch.setScreenLocked(false);
    EXPECT_FALSE(watch.attended()) << "the quiet time had run out while locked";
}

} // namespace
} // namespace qf
