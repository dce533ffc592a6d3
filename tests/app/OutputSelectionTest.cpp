// The output the user chose is applied at once, kept in its file and applied again at the next
// start; a file that is missing, empty or not one of ours means the system default.

#include "app/OutputSelection.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace qf {
namespace {

class OutputSelectionTest : public ::testing::Test {
protected:
    OutputSelection make() {
        return OutputSelection(
            file, [this](const std::string& name) { applied.push_back(name); },
            [] { return std::optional<std::vector<OutputMenu::Output>>{}; });
    }

    QTemporaryDir dir;
    // In a folder that does not exist yet, as on a first run.
    QString file = dir.path() + QStringLiteral("/quietfield/output");
    std::vector<std::string> applied;
};

TEST_F(OutputSelectionTest, AChoiceHoldsAtOnceAndAtTheNextStart) {
    make().load();
    {
        OutputSelection first = make();
        first.load();
        first.choose(
            {QStringLiteral("bluez_sink.A0_B1.a2dp_sink"), QStringLiteral("Headset & Co")});
    }
    OutputSelection next = make();
    next.load();
    EXPECT_EQ(next.chosen().description, QStringLiteral("Headset & Co"));
    EXPECT_EQ(applied, (std::vector<std::string>{"", "", "bluez_sink.A0_B1.a2dp_sink",
                                                 "bluez_sink.A0_B1.a2dp_sink"}));

    // Back to the default: the next start plays on the default too, as it does when the file
    // is not one of ours.
    next.choose({});
    applied.clear();
    make().load();
    QFile junk(file);
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    junk.write(QByteArray(64 * 1024, 'x'));
    junk.close();
    make().load();
    EXPECT_EQ(applied, (std::vector<std::string>{"", ""}));
}

} // namespace
} // namespace qf
