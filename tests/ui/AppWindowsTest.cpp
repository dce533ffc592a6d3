#include "AppWindows.h"
#include "FakeAppFolder.h"
#include "OfflineOutput.h"
#include "Shell.h"

#include <QApplication>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using qf::AppWindows;

class RecordingShell final : public qf::Shell {
public:
    void open(const std::string& path, std::uintptr_t owner) override {
        opened.push_back(path);
        owners.push_back(owner);
    }
    std::vector<std::string> opened;
    std::vector<std::uintptr_t> owners;
};

void flushDeletions() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

class AppWindowsTest : public ::testing::Test {
protected:
    AppWindowsTest()
        : windows(
              folder.str(),
              [this] {
                  // The sound device is made inside the main window's start-up: note what
                  // is on screen at that moment.
                  splashUpDuringStart = windows.splash() && windows.splash()->isVisible();
                  mainUpDuringStart = windows.main() && windows.main()->isVisible();
                  return std::make_unique<qf::sound::OfflineOutput>();
              },
              &shell) {}

    ~AppWindowsTest() override {
        windows.closeAll();
        flushDeletions();
    }

    void startAndFireSplash() {
        windows.start();
        ASSERT_TRUE(windows.splash());
        emit windows.splash()->timerFired();
        flushDeletions();
    }

    qf::test::FakeAppFolder folder;
    RecordingShell shell;
    bool splashUpDuringStart = false;
    bool mainUpDuringStart = false;
    AppWindows windows;
};

TEST_F(AppWindowsTest, SplashComesFirstAndLeavesOnlyOnceTheMainWindowHasStarted) {
    windows.start();
    ASSERT_TRUE(windows.splash());
    EXPECT_TRUE(windows.splash()->isVisible());
    EXPECT_FALSE(windows.main());
    EXPECT_EQ(windows.splash()->cueTimer().interval(), 2000);

    emit windows.splash()->timerFired();
    EXPECT_TRUE(splashUpDuringStart);
    EXPECT_TRUE(mainUpDuringStart) << "the main window shows itself before the sound starts";
    ASSERT_TRUE(windows.main());
    EXPECT_TRUE(windows.main()->playTimerEnabled()) << "start-up ends with PlaySound";
    flushDeletions();
    EXPECT_FALSE(windows.splash());
    EXPECT_TRUE(windows.main()->isVisible());
}

TEST_F(AppWindowsTest, EachWindowExistsOnceAndIsMadeAfreshAfterClosing) {
    startAndFireSplash();
    qf::MainWindow* const main = windows.main();
    windows.showMain();
    EXPECT_EQ(windows.main(), main);

    windows.showAbout();
    qf::AboutWindow* const about = windows.about();
    windows.showAbout();
    EXPECT_EQ(windows.about(), about);
    windows.showContact();
    qf::ContactWindow* const contact = windows.contact();
    windows.showContact();
    EXPECT_EQ(windows.contact(), contact);
    EXPECT_TRUE(about->isVisible());
    EXPECT_TRUE(contact->isVisible());

    about->close();
    flushDeletions();
    EXPECT_FALSE(windows.about());
    windows.showAbout();
    EXPECT_TRUE(windows.about());
    EXPECT_TRUE(windows.about()->isVisible());
}

TEST_F(AppWindowsTest, MenuItemsOfTheMainWindowOpenTheirWindows) {
    startAndFireSplash();
    windows.main()->menu().aboutAction->trigger();
    windows.main()->menu().contactAction->trigger();
    EXPECT_TRUE(windows.about() && windows.about()->isVisible());
    EXPECT_TRUE(windows.contact() && windows.contact()->isVisible());
}

TEST_F(AppWindowsTest, HelpAsksTheDesktopEveryTimeWithTheMainWindowAsOwner) {
    startAndFireSplash();
    windows.main()->menu().helpAction->trigger();
    windows.main()->menu().helpAction->trigger();
    ASSERT_EQ(shell.opened.size(), 2u);
    EXPECT_EQ(shell.opened[0], (folder.path() / "help.htm").string());
    EXPECT_EQ(shell.owners[0], static_cast<std::uintptr_t>(windows.main()->winId()));
}

// Runs the program's event loop until it ends by itself; false if it had not within 5 s.
bool programEnds() {
    bool timedOut = false;
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [&] {
        timedOut = true;
        QCoreApplication::exit(1);
    });
    guard.start(5000);
    QCoreApplication::exec();
    return !timedOut;
}

TEST_F(AppWindowsTest, OtherWindowsOutliveTheMainWindowAndKeepTheProgramRunning) {
    startAndFireSplash();
    windows.showAbout();
    bool aboutOutlivedMain = false;
    QTimer::singleShot(0, [&] { windows.main()->close(); });
    QTimer::singleShot(300, [&] {
        aboutOutlivedMain = !windows.main() && windows.about() && windows.about()->isVisible();
        windows.about()->close();
    });
    EXPECT_TRUE(programEnds());
    EXPECT_TRUE(aboutOutlivedMain);
}

TEST_F(AppWindowsTest, ClosingTheSplashEarlyEndsTheProgramWithoutAMainWindow) {
    windows.start();
    QTimer::singleShot(0, [&] { windows.splash()->close(); });
    EXPECT_TRUE(programEnds());
    EXPECT_FALSE(windows.splash());
    EXPECT_FALSE(windows.main());
}

TEST_F(AppWindowsTest, CloseAllTakesEveryWindowDownByItsOwnPath) {
    startAndFireSplash();
    int unloads = 0;
    windows.main()->setUnloadStep([&] { ++unloads; });
    windows.showAbout();
    windows.showContact();
    windows.closeAll();
    flushDeletions();
    EXPECT_EQ(unloads, 1);
    EXPECT_FALSE(windows.main());
    EXPECT_FALSE(windows.about());
    EXPECT_FALSE(windows.contact());
}

} // namespace
