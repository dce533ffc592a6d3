// The output the user chose is applied at once, kept in its file and applied again at the next
// start; a file that is missing, empty or not one of ours means the system default.

#include "app/OutputSelection.h"

#include <QDir>
#include <QFile>
#include <QMenu>
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

// Where the manual page says: in the configuration folder, as two lines.
TEST_F(OutputSelectionTest, AChoiceIsKeptInTheUsersConfigurationFolder) {
    const bool wasSet = qEnvironmentVariableIsSet("XDG_CONFIG_HOME");
    const QByteArray was = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir.path()));
    const QString where = OutputSelection::fileInConfigFolder();
    wasSet ? qputenv("XDG_CONFIG_HOME", was) : qunsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(where, file);

    OutputSelection kept(
        where, [](const std::string&) {},
        [] { return std::optional<std::vector<OutputMenu::Output>>{}; });
    kept.choose({QStringLiteral("qf_b"), QStringLiteral("Second")});
    QFile written(file);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_EQ(written.readAll(), QByteArray("qf_b\nSecond\n"));
    EXPECT_EQ(
        QDir(dir.path() + QStringLiteral("/quietfield")).entryList(QDir::Files | QDir::Hidden),
        QStringList{QStringLiteral("output")})
        << "no temporary is left beside it";
}

// Unchecked, "Pause When Headphones Go" is kept as a third line, also with the system default, and
// holds at the next start; a file without it, as older ones are, pauses.
TEST_F(OutputSelectionTest, PauseWhenHeadphonesGoIsKeptWithTheChoice) {
    std::vector<bool> held;
    const auto make = [&] {
        return OutputSelection(
            file, [](const std::string&) {},
            [] { return std::optional<std::vector<OutputMenu::Output>>{}; },
            [&](bool hold) { held.push_back(hold); });
    };
    make().load();
    QMenu menu;
    {
        OutputSelection first = make();
        first.load();
        OutputMenu shown(&menu, [] { return std::optional<std::vector<OutputMenu::Output>>{}; });
        // As the window's menu is joined to it.
        QObject::connect(shown.pauseWhenHeadphonesGo(), &QAction::toggled, &first,
                         [&first](bool on) { first.setPauseWhenHeadphonesGo(on); });
        shown.pauseWhenHeadphonesGo()->trigger();
    }
    QFile written(file);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_EQ(written.readAll(), QByteArray("\n\ncontinue\n"));
    written.close();
    OutputSelection next = make();
    next.load();
    EXPECT_TRUE(next.chosen().name.isEmpty());
    EXPECT_FALSE(next.pausesWhenHeadphonesGo());
    next.choose({QStringLiteral("qf_b"), QStringLiteral("Second")});
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_EQ(written.readAll(), QByteArray("qf_b\nSecond\ncontinue\n"));
    EXPECT_EQ(held, (std::vector<bool>{true, true, false, false}));
}

} // namespace
} // namespace qf
