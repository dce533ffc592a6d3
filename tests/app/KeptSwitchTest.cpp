// A kept choice holds at the next start, from a folder that did not exist yet; a file that is
// not one of ours, or cannot be written, leaves the choice as the program first had it.

#include "app/KeptSwitch.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace qf {
namespace {

TEST(KeptSwitchTest, AChoiceHoldsAtTheNextStartAndJunkMeansTheDefault) {
    QTemporaryDir dir;
    const QString file = dir.path() + QStringLiteral("/quietfield/media-keys");
    EXPECT_TRUE(KeptSwitch(file, true).on());
    ASSERT_TRUE(KeptSwitch(file, true).set(false));
    EXPECT_FALSE(KeptSwitch(file, true).on());
    ASSERT_TRUE(KeptSwitch(file, false).set(true));
    EXPECT_TRUE(KeptSwitch(file, false).on());

    QFile junk(file);
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    junk.write("offish\n");
    junk.close();
    EXPECT_TRUE(KeptSwitch(file, true).on());
    EXPECT_FALSE(KeptSwitch(file, false).on());

    // A folder in the way: the choice holds for this run only.
    const QString blocked = file + QStringLiteral("/inside");
    KeptSwitch unkept(blocked, true);
    EXPECT_FALSE(unkept.set(false));
    EXPECT_FALSE(unkept.on());
    EXPECT_TRUE(KeptSwitch(blocked, true).on());
}

} // namespace
} // namespace qf
