// Suspend at the End is remembered from one start to the next (a file not of ours is the kept
// switch's test); at the timer's end the mix is on disk before the machine is asked, once, to
// suspend.

#include "app/SuspendAtEnd.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace qf {
namespace {

TEST(SuspendAtEndTest, TheCheckHoldsAtTheNextStartAndSuspendsOnceAfterStoring) {
    QTemporaryDir dir;
    // In a folder that does not exist yet, as on a first run.
    const QString file = dir.path() + QStringLiteral("/quietfield/suspend-at-end");
    std::vector<std::string> steps;
    const auto make = [&] {
        return SuspendAtEnd(file, [&](QString&) {
            steps.push_back("suspend");
            return true;
        });
    };
    const auto store = [&] {
        steps.push_back("store");
        return true;
    };
    {
        SuspendAtEnd first = make();
        EXPECT_FALSE(first.wanted());
        first.atEnd(store);
        EXPECT_TRUE(steps.empty());
        first.setWanted(true);
    }
    SuspendAtEnd next = make();
    ASSERT_TRUE(next.wanted());
    next.atEnd(store);
    next.atEnd(store);
    EXPECT_EQ(steps, (std::vector<std::string>{"store", "suspend"}));
}

} // namespace
} // namespace qf
