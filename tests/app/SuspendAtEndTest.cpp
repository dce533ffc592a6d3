// Suspend at the End is remembered from one start to the next; at the timer's end the mix is on
// disk before the machine is asked to suspend, and it is asked once; a refusal is told.

#include "app/SuspendAtEnd.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace qf {
namespace {

class SuspendAtEndTest : public ::testing::Test {
protected:
    SuspendAtEnd make(bool accepted = true) {
        return SuspendAtEnd(file, [this, accepted](QString& error) {
            steps.push_back("suspend");
            error = QStringLiteral("Access denied");
            return accepted;
        });
    }
    bool store() {
        steps.push_back("store");
        return true;
    }

    QTemporaryDir dir;
    // In a folder that does not exist yet, as on a first run.
    QString file = dir.path() + QStringLiteral("/quietfield/suspend-at-end");
    std::vector<std::string> steps;
};

TEST_F(SuspendAtEndTest, TheCheckHoldsAtTheNextStartAndSuspendsOnceAfterStoring) {
    {
        SuspendAtEnd first = make();
        EXPECT_FALSE(first.wanted());
        first.atEnd([this] { return store(); });
        EXPECT_TRUE(steps.empty());
        first.setWanted(true);
    }
    SuspendAtEnd next = make();
    ASSERT_TRUE(next.wanted());
    next.atEnd([this] { return store(); });
    next.atEnd([this] { return store(); });
    EXPECT_EQ(steps, (std::vector<std::string>{"store", "suspend"}));

    next.setWanted(false);
    EXPECT_FALSE(make().wanted());
}

TEST_F(SuspendAtEndTest, AFileNotOfOursIsUncheckedAndARefusalIsTold) {
    ASSERT_TRUE(QDir().mkpath(file));
    EXPECT_FALSE(make().wanted());
    ASSERT_TRUE(QDir(file).removeRecursively());
    QFile garbage(file);
    ASSERT_TRUE(garbage.open(QIODevice::WriteOnly));
    garbage.write("yes please\n");
    garbage.close();
    EXPECT_FALSE(make().wanted());

    SuspendAtEnd refused = make(false);
    refused.setWanted(true);
    testing::internal::CaptureStderr();
    refused.atEnd([this] { return store(); });
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "quietfield: could not suspend: Access denied\n");
    EXPECT_EQ(steps, (std::vector<std::string>{"store", "suspend"}));
}

} // namespace
} // namespace qf
