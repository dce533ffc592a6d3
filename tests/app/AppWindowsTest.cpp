#include "app/AppWindows.h"
#include "app/TerminationSignals.h"
#include "audio/OfflineOutput.h"
#include "platform/toolkit/Shell.h"
#include "tests/fixtures/FakeAppFolder.h"
#include "tests/fixtures/TestDoubles.h"

#include <QApplication>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
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

// A log-off (SIGTERM) while a modal box waits for the user: the box goes, the code that opened it
// runs to its end with its windows intact, and only then do the windows close by their normal
// path. The program ends by itself, and nothing is pulled from under running code (the
// sanitizer build checks that part).
class SignalDuringBoxTest : public ::testing::Test {
protected:
    SignalDuringBoxTest() {
        QObject::connect(&termination, &qf::TerminationSignals::closeRequested, &windows,
                         &AppWindows::closeAll);
    }
    ~SignalDuringBoxTest() override {
        windows.closeAll();
        flushDeletions();
    }

    // Runs `opener`, which shows a modal box, and sends SIGTERM once the box is up.
    void signalDuring(const std::function<void()>& opener) {
        QTimer::singleShot(300, [this] {
            boxWasUp = QApplication::activeModalWidget() != nullptr;
            std::raise(SIGTERM);
        });
        opener();
    }

    std::string settings() const {
        std::ifstream in(folder.path() / "settings.ini", std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

    qf::test::FakeAppFolder folder;
    qf::sound::DirectSound::OutputFactory outputs = qf::test::offlineOutputs();
    AppWindows windows{folder.str(), [this] { return outputs(); }};
    qf::TerminationSignals termination;
    bool boxWasUp = false;
};

TEST_F(SignalDuringBoxTest, DuringTheNoSoundMessageAtStartUp) {
    const std::string mix = "0,1,0,0,0,0,-600,0,0,0,1000,22050,1000,1000,1000\r\n";
    std::ofstream(folder.path() / "settings.ini", std::ios::binary) << mix;
    outputs = qf::test::missingOutputs();
    windows.start();
    signalDuring([&] { emit windows.splash()->timerFired(); });
    EXPECT_TRUE(boxWasUp);
    ASSERT_TRUE(windows.main()) << "start-up ran to its end with its window";
    EXPECT_TRUE(windows.main()->playTimerEnabled());
    EXPECT_TRUE(programEnds());
    EXPECT_FALSE(windows.main());
    EXPECT_FALSE(windows.splash());
    EXPECT_EQ(settings(), mix) << "a mix never read is not overwritten";
}

TEST_F(SignalDuringBoxTest, DuringLoadConfigsFileDialog) {
    windows.start();
    emit windows.splash()->timerFired();
    signalDuring([&] { windows.main()->menu().loadConfigAction->trigger(); });
    EXPECT_TRUE(boxWasUp);
    EXPECT_TRUE(programEnds());
    EXPECT_FALSE(windows.main());
    EXPECT_EQ(settings().rfind("0,0,0,0,0,0,0,0,0,0,", 0), 0u) << "closed by the normal path";
}

TEST_F(SignalDuringBoxTest, DuringTheMessageOfAFailedSaveOnClose) {
    std::filesystem::create_directory(folder.path() / "settings.ini");
    // The user's folder lies under a plain file: the mix cannot go there either.
    std::ofstream(folder.path() / "plain");
    ::setenv("XDG_CONFIG_HOME", (folder.path() / "plain").c_str(), 1);
    windows.start();
    emit windows.splash()->timerFired();
    ::unsetenv("XDG_CONFIG_HOME");
    // The close comes from the event loop, as a click would, so the program's end is seen.
    signalDuring([&] { QTimer::singleShot(0, [&] { windows.main()->close(); }); });
    EXPECT_TRUE(programEnds());
    EXPECT_TRUE(boxWasUp) << "a close by the user still shows the box";
    EXPECT_FALSE(windows.main());
}

} // namespace
