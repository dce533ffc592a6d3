#include "app/ConfigCommands.h"
#include "audio/OfflineOutput.h"
#include "tests/fixtures/FakeAppFolder.h"
#include "ui/MainWindow.h"

#include <QMenuBar>
#include <QSet>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

namespace {

using qf::MainWindow;

class SilentMessages final : public qf::MessageBox {
public:
    void show(const std::string&) override {}
};

// A user who cancels every file dialog.
class CancelledDialog final : public qf::CommonDialog {
public:
    void ShowOpen() override { FileName.clear(); }
};

class MainWindowShellTest : public ::testing::Test {
protected:
    MainWindowShellTest()
        : window(
              folder.str(), messages, qf::ConfigCommands::inFolder(folder.str()),
              [] { return std::make_unique<qf::sound::OfflineOutput>(); }, &dialog) {
        window.setUnloadStep([this] {
            ++unloads;
            stoppedBeforeUnload = !window.engine().buffer(1)->IsPlaying();
        });
        window.load();
        window.controlsLayout().checkBoxes[0]->setValue(1);
    }

    qf::test::FakeAppFolder folder;
    SilentMessages messages;
    CancelledDialog dialog;
    MainWindow window;
    int unloads = 0;
    bool stoppedBeforeUnload = false;
};

// The caption as the menu shows it: the mnemonic's ampersand is not drawn.
QString shown(const QAction* action) {
    return QString(action->text()).remove(QLatin1Char('&'));
}

TEST_F(MainWindowShellTest, MenusReadAsTheyAlwaysHave) {
    auto& menu = window.menu();
    const QList<QAction*> bar = window.menuBar()->actions();
    ASSERT_EQ(bar.size(), 5);
    EXPECT_EQ(shown(bar[0]), QStringLiteral("Menu"));
    EXPECT_EQ(shown(bar[1]), QStringLiteral("Output"));
    EXPECT_EQ(shown(bar[2]), QStringLiteral("Sleep"));
    EXPECT_EQ(shown(bar[3]), QStringLiteral("Options"));
    EXPECT_EQ(shown(bar[4]), QStringLiteral("Help"));
    const QList<QAction*> first = menu.mainMenu->actions();
    ASSERT_EQ(first.size(), 4);
    EXPECT_EQ(shown(first[0]), QStringLiteral("Load  Config"));
    EXPECT_EQ(shown(first[1]), QStringLiteral("Save Config"));
    EXPECT_TRUE(first[2]->isSeparator());
    EXPECT_EQ(shown(first[3]), QStringLiteral("Exit"));
    const QList<QAction*> second = menu.helpMenu->actions();
    ASSERT_EQ(second.size(), 4);
    EXPECT_EQ(shown(second[0]), QStringLiteral("Help"));
    EXPECT_EQ(shown(second[1]), QStringLiteral("Contact Us"));
    EXPECT_TRUE(second[2]->isSeparator());
    EXPECT_EQ(shown(second[3]), QStringLiteral("About"));
    for (QAction* action : first + second) {
        EXPECT_TRUE(action->isEnabled());
        EXPECT_FALSE(action->isCheckable());
        EXPECT_TRUE(action->shortcut().isEmpty());
    }
}

// The readouts follow a change within a tick or two; with nothing changing, their timer rests.
TEST_F(MainWindowShellTest, ReadoutsFollowAChangeThenTheirTimerRests) {
    const auto rests = [this] { return !window.readoutTimer().isActive(); };
    ASSERT_TRUE(QTest::qWaitFor(rests, 1000));
    window.controlsLayout().frequencySliders[0]->setValue(12345);
    EXPECT_TRUE(QTest::qWaitFor(
        [this] { return window.controlsLayout().readouts[0]->text() == QStringLiteral("12345"); },
        200));
    EXPECT_TRUE(QTest::qWaitFor(rests, 1000));
}

TEST_F(MainWindowShellTest, SleepMenuAsksForItsTimesAndShowsWhatIsLeft) {
    auto& menu = window.menu();
    QSignalSpy asked(&window, &MainWindow::sleepRequested);
    menu.sleepActions[1]->trigger();
    menu.sleepCancelAction->trigger();
    ASSERT_EQ(asked.size(), 2);
    EXPECT_EQ(asked[0][0].toInt(), 30);
    EXPECT_EQ(asked[1][0].toInt(), 0);

    window.showSleep(29, 30);
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Quietfield - sleeping in 29 min"));
    for (std::size_t i = 0; i < menu.sleepActions.size(); ++i) {
        EXPECT_EQ(menu.sleepActions[i]->isChecked(), i == 1) << i;
    }
    window.showPaused(true);
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Quietfield - sleeping in 29 min (paused)"));
    // A time set elsewhere (--sleep 42) checks no entry; cancelled, the caption is plain again.
    window.showSleep(42, 42);
    EXPECT_FALSE(menu.sleepActions[1]->isChecked());
    window.showPaused(false);
    window.showSleep(0, 0);
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Quietfield"));
}

// More time is offered only while the timer runs; Suspend at the End is a check of its own.
TEST_F(MainWindowShellTest, SleepMenuAddsTimeOnlyWhileTheTimerRuns) {
    auto& menu = window.menu();
    QSignalSpy added(&window, &MainWindow::sleepAddRequested);
    QSignalSpy asked(&window, &MainWindow::sleepRequested);
    EXPECT_FALSE(menu.sleepAddAction->isEnabled());
    window.showSleep(14, 15);
    ASSERT_TRUE(menu.sleepAddAction->isEnabled());
    menu.sleepAddAction->trigger();
    ASSERT_EQ(added.size(), 1);
    EXPECT_EQ(added[0][0].toInt(), 15);
    EXPECT_EQ(asked.size(), 0);
    window.showSleep(0, 0);
    EXPECT_FALSE(menu.sleepAddAction->isEnabled());
    EXPECT_TRUE(menu.sleepSuspendAction->isCheckable());
    EXPECT_FALSE(menu.sleepSuspendAction->isChecked());
}

TEST_F(MainWindowShellTest, EveryMenuEntryHasAnAltLetterOfItsOwn) {
    auto& menu = window.menu();
    for (const QList<QAction*>& entries :
         {window.menuBar()->actions(), menu.mainMenu->actions(), menu.sleepMenu->actions(),
          menu.optionsMenu->actions(), menu.helpMenu->actions()}) {
        QSet<QKeySequence> letters;
        for (const QAction* action : entries) {
            if (action->isSeparator()) {
                continue;
            }
            const QKeySequence letter = QKeySequence::mnemonic(action->text());
            EXPECT_FALSE(letter.isEmpty()) << shown(action).toStdString();
            EXPECT_FALSE(letters.contains(letter)) << shown(action).toStdString();
            letters.insert(letter);
        }
    }
}

TEST_F(MainWindowShellTest, F10OpensTheFirstMenu) {
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    QTest::keyClick(&window, Qt::Key_F10);
    EXPECT_EQ(window.menuBar()->activeAction(), window.menu().mainMenu->menuAction());
    EXPECT_TRUE(QTest::qWaitFor([this] { return window.menu().mainMenu->isVisible(); }, 1000));
    window.menu().mainMenu->close();
}

TEST_F(MainWindowShellTest, FixedWindowWithCloseBoxOnly) {
    const Qt::WindowFlags flags = window.windowFlags();
    EXPECT_TRUE(flags & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(flags & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint);
    EXPECT_EQ(window.windowType(), Qt::Window);
    EXPECT_EQ(window.minimumSize(), window.maximumSize());
    EXPECT_EQ(window.centralWidget()->size(), QSize(554, 336));
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Quietfield"));
    EXPECT_FALSE(window.windowIcon().availableSizes().isEmpty());
    EXPECT_FALSE(window.client().picture().isNull());
}

TEST_F(MainWindowShellTest, PanSliderHasTheFocusFirstAndTheTabOrderFollowsTheRows) {
    auto& ui = window.controlsLayout();
    EXPECT_EQ(window.focusWidget(), ui.panSlider);
    EXPECT_EQ(ui.panSlider->nextInFocusChain(), ui.checkBoxes[0]);
    EXPECT_EQ(ui.checkBoxes[4]->nextInFocusChain(), ui.volumeSliders[0]);
    EXPECT_EQ(ui.volumeSliders[4]->nextInFocusChain(), ui.frequencySliders[0]);
    EXPECT_EQ(ui.frequencySliders[4]->nextInFocusChain(), ui.pictureBox);
    EXPECT_EQ(ui.pictureBox->nextInFocusChain(), ui.closeButton);
    EXPECT_EQ(ui.closeButton->nextInFocusChain(), ui.trayButton);
    EXPECT_EQ(ui.recordButton->nextInFocusChain(), ui.muteButton);
    EXPECT_EQ(ui.muteButton->nextInFocusChain(), ui.resetAllButton);
}

TEST_F(MainWindowShellTest, CloseButtonStopsSoundThenUnloadsOnce) {
    QTest::mouseClick(window.controlsLayout().closeButton, Qt::LeftButton);
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(unloads, 1);
    EXPECT_TRUE(stoppedBeforeUnload);
    window.close();
    EXPECT_EQ(unloads, 1);
}

TEST_F(MainWindowShellTest, ExitMenuTakesTheSamePath) {
    window.menu().exitAction->trigger();
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(unloads, 1);
    EXPECT_TRUE(stoppedBeforeUnload);
}

TEST_F(MainWindowShellTest, CloseBoxTakesTheSamePath) {
    window.close();
    EXPECT_EQ(unloads, 1);
    EXPECT_TRUE(stoppedBeforeUnload);
}

TEST_F(MainWindowShellTest, TrayMinimisesAndChangesNothingElse) {
    QTest::mouseClick(window.controlsLayout().trayButton, Qt::LeftButton);
    EXPECT_TRUE(window.windowState() & Qt::WindowMinimized);
    EXPECT_TRUE(window.engine().buffer(1)->IsPlaying());
    EXPECT_EQ(unloads, 0);
    window.showNormal();
    EXPECT_EQ(window.controlsLayout().checkBoxes[0]->value(), 1);
}

TEST_F(MainWindowShellTest, RecordAboutContactAndHelpAskForTheirWindows) {
    QSignalSpy record(&window, &MainWindow::recordRequested);
    QSignalSpy about(&window, &MainWindow::aboutRequested);
    QSignalSpy contact(&window, &MainWindow::contactRequested);
    QSignalSpy help(&window, &MainWindow::helpRequested);
    QTest::mouseClick(window.controlsLayout().recordButton, Qt::LeftButton);
    window.menu().aboutAction->trigger();
    window.menu().contactAction->trigger();
    window.menu().helpAction->trigger();
    window.menu().helpAction->trigger();
    EXPECT_EQ(record.count(), 1);
    EXPECT_EQ(about.count(), 1);
    EXPECT_EQ(contact.count(), 1);
    EXPECT_EQ(help.count(), 2);
    // Configuration files chosen in a cancelled dialog change nothing.
    window.menu().loadConfigAction->trigger();
    window.menu().saveConfigAction->trigger();
    EXPECT_TRUE(window.isVisible());
}

} // namespace
