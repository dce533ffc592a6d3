#include "app/AppWindows.h"
#include "audio/OfflineOutput.h"
#include "platform/toolkit/Shell.h"
#include "tests/fixtures/FakeAppFolder.h"
#include "tests/recorder/FakeMedia.h"

#include <QApplication>
#include <QCoreApplication>
#include <QLineEdit>
#include <QPointer>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>

namespace {

using qf::AppWindows;

class RecordingShell final : public qf::Shell {
public:
    void open(const std::string& path, std::uintptr_t) override { opened.push_back(path); }
    void openAt(const std::string& path, const std::string& section, std::uintptr_t) override {
        opened.push_back(path + "#" + section);
    }
    std::vector<std::string> opened;
};

void flushDeletions() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

class RecorderInProgramTest : public ::testing::Test {
protected:
    RecorderInProgramTest()
        : windows(
              folder.str(), [] { return std::make_unique<qf::sound::OfflineOutput>(); }, &shell,
              &media) {
        windows.start();
        emit windows.splash()->timerFired();
        flushDeletions();
    }
    ~RecorderInProgramTest() override {
        windows.closeAll();
        flushDeletions();
    }

    void clickRecord() {
        QTest::mouseClick(windows.main()->controlsLayout().recordButton, Qt::LeftButton);
    }

    qf::test::FakeAppFolder folder;
    qf::test::FakeMedia media;
    RecordingShell shell;
    AppWindows windows;
};

TEST_F(RecorderInProgramTest, RecordShowsOneRecorderAndAFreshOneAfterClosing) {
    clickRecord();
    qf::RecorderWindow* const recorder = windows.recorder();
    ASSERT_TRUE(recorder);
    EXPECT_TRUE(recorder->isVisible());
    QTest::mouseClick(recorder->controls().recordButton, Qt::LeftButton);
    clickRecord();
    EXPECT_EQ(windows.recorder(), recorder) << "a second click brings the same window forward";
    EXPECT_EQ(recorder->controls().timeBox->text(), "00:00:00");

    recorder->close();
    flushDeletions();
    EXPECT_FALSE(windows.recorder());
    clickRecord();
    ASSERT_TRUE(windows.recorder());
    EXPECT_TRUE(windows.recorder()->controls().timeBox->text().isEmpty());
    EXPECT_FALSE(windows.recorder()->controls().stopButton->isEnabled());
}

TEST_F(RecorderInProgramTest, SaveWindowExistsOnceAndKeepsTheTypedName) {
    clickRecord();
    auto& controls = windows.recorder()->controls();
    QTest::mouseClick(controls.recordButton, Qt::LeftButton);
    QTest::mouseClick(controls.stopButton, Qt::LeftButton);
    QTest::mouseClick(controls.saveButton, Qt::LeftButton);
    qf::SaveWindow* const save = windows.saveWindow();
    ASSERT_TRUE(save);
    EXPECT_TRUE(save->isVisible());
    QTest::keyClicks(save->nameBox(), "birds");
    QTest::mouseClick(controls.saveButton, Qt::LeftButton);
    EXPECT_EQ(windows.saveWindow(), save);
    EXPECT_EQ(save->nameBox()->text(), "birds");
    EXPECT_TRUE(windows.recorder()->isEnabled()) << "the recorder stays usable behind it";
}

TEST_F(RecorderInProgramTest, EscapeClosesSaveWindowThenRecorderAndTheKeysComeBack) {
    clickRecord();
    QPointer<qf::RecorderWindow> recorder = windows.recorder();
    auto& controls = recorder->controls();
    QTest::mouseClick(controls.recordButton, Qt::LeftButton);
    QTest::mouseClick(controls.stopButton, Qt::LeftButton);
    QTest::mouseClick(controls.saveButton, Qt::LeftButton);
    qf::SaveWindow* const save = windows.saveWindow();
    ASSERT_TRUE(save);
    ASSERT_TRUE(QTest::qWaitForWindowActive(save));

    QTest::keyClick(save->nameBox(), Qt::Key_Escape);
    EXPECT_FALSE(save->isVisible());
    flushDeletions();
    EXPECT_FALSE(windows.saveWindow());
    EXPECT_TRUE(QTest::qWaitForWindowActive(recorder)) << "the keys go back to the recorder";
    EXPECT_EQ(QApplication::activeWindow(), recorder.data());

    media.takeSent();
    QTest::keyClick(recorder.data(), Qt::Key_Escape);
    flushDeletions();
    EXPECT_FALSE(recorder) << "closed, and so unloaded";
    const std::vector<std::string> sent = media.takeSent();
    EXPECT_NE(std::find(sent.begin(), sent.end(), "close capture"), sent.end())
        << "the device is let go of";
    EXPECT_TRUE(windows.main()) << "the program goes on";
}

TEST_F(RecorderInProgramTest, HelpOpensTheDocumentAtTheRecordersSection) {
    clickRecord();
    QTest::mouseClick(windows.recorder()->controls().helpButton, Qt::LeftButton);
    ASSERT_EQ(shell.opened.size(), 1u);
    EXPECT_EQ(shell.opened[0], (folder.path() / "help.htm").string() + "#recorder");
}

TEST_F(RecorderInProgramTest, RecorderOutlivesTheMainWindowAndTheProgramEndsWithIt) {
    clickRecord();
    bool working = false;
    QTimer::singleShot(0, [&] { windows.main()->close(); });
    QTimer::singleShot(300, [&] {
        working = !windows.main() && windows.recorder() && windows.recorder()->isVisible() &&
                  windows.recorder()->informationTimer().isActive();
        media.takeSent();
        QTest::mouseClick(windows.recorder()->controls().recordButton, Qt::LeftButton);
        working = working && media.sent.size() >= 3;
        windows.recorder()->close();
    });
    bool timedOut = false;
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [&] {
        timedOut = true;
        QCoreApplication::exit(1);
    });
    guard.start(5000);
    QCoreApplication::exec();
    EXPECT_FALSE(timedOut) << "the program ends when the recorder, its last window, closes";
    EXPECT_TRUE(working);
}

} // namespace
