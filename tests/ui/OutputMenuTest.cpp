// The Output menu as it opens: the server's outputs under "System default", the one in use
// checked, a chosen one that is away still shown, and a word when no server answers.

#include "ui/OutputMenu.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

namespace qf {
namespace {

QStringList shown(const QMenu& menu) {
    QStringList lines;
    for (const QAction* action : menu.actions()) {
        lines << (action->isSeparator()
                      ? QStringLiteral("-")
                      : QString(action->text()).replace(QStringLiteral("&&"), QStringLiteral("+")) +
                            (action->isChecked() ? QStringLiteral(" *") : "") +
                            (action->isEnabled() ? "" : QStringLiteral(" off")));
    }
    return lines;
}

TEST(OutputMenuTest, ListsWhatTheServerHasAndWhatWasChosen) {
    QMenu menu;
    std::optional<std::vector<OutputMenu::Output>> server = std::vector<OutputMenu::Output>{
        {QStringLiteral("speakers"), QStringLiteral("Built-in Audio")},
        {QStringLiteral("headset"), QStringLiteral("Jabra & Co")}};
    OutputMenu output(&menu, [&] { return server; });
    QSignalSpy chosen(&output, &OutputMenu::chosenChanged);

    emit menu.aboutToShow();
    // Last, its own check, kept as the list is filled afresh.
    const QString pause = QStringLiteral("&Pause When Headphones Go *");
    EXPECT_EQ(shown(menu),
              (QStringList{"&System default *", "-", "Built-in Audio", "Jabra + Co", "-", pause}));
    menu.actions()[3]->trigger();
    ASSERT_EQ(chosen.size(), 1);
    EXPECT_EQ(chosen[0][0].toString(), QStringLiteral("headset"));

    // Switched off: still there, checked, so the user sees where the noise will go.
    server->pop_back();
    emit menu.aboutToShow();
    EXPECT_EQ(shown(menu), (QStringList{"&System default", "-", "Built-in Audio",
                                        "Jabra + Co (not connected) *", "-", pause}));
    server.reset();
    emit menu.aboutToShow();
    EXPECT_EQ(shown(menu), (QStringList{"&System default", "-", "No sound server answers off",
                                        "Jabra + Co (not connected) *", "-", pause}));
    menu.actions()[0]->trigger();
    ASSERT_EQ(chosen.size(), 2);
    EXPECT_TRUE(chosen[1][0].toString().isEmpty());
}

} // namespace
} // namespace qf
