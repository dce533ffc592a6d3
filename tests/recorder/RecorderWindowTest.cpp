#include "recorder/RecorderWindow.h"
#include "tests/recorder/FakeMedia.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using qf::RecorderWindow;
using Commands = std::vector<std::string>;

const std::string kFormat = "set capture samplespersec 44100 channels 2 bitspersample 16 "
                            "alignment 4 bytespersec 176400";
const Commands kRecordCommands = {"seek capture to start", kFormat, "record capture"};
const Commands kLoadCommands = {"close all", "open new type waveaudio alias capture"};

bool isPoll(const std::string& command) {
    return command == "status capture mode" || command == "set capture time format bytes" ||
           command == "status capture length";
}

class RecorderWindowTest : public ::testing::Test {
protected:
    RecorderWindowTest()
        : clock(QDate(2026, 3, 1), QTime(10, 0, 0, 400)),
          window(new RecorderWindow(folder.path().toStdString(), media, [this] { return clock; })),
          ui(window->controls()) {
        window->show();
    }
    ~RecorderWindowTest() override { delete window; }

    // What the buttons sent since the last look, leaving out the timers' polling.
    Commands buttonCommands() {
        Commands commands;
        for (const std::string& command : media.takeSent()) {
            if (!isPoll(command)) {
                commands.push_back(command);
            }
        }
        return commands;
    }

    void click(QPushButton* button) { QTest::mouseClick(button, Qt::LeftButton); }

    // Record, Stop, Play, Save, Reset, Help, and whether the elapsed-time timer runs.
    std::string state() const {
        std::string flags;
        for (const QWidget* b : {ui.recordButton, ui.stopButton, ui.playButton, ui.saveButton,
                                 ui.resetButton, ui.helpButton}) {
            flags += b->isEnabled() ? '1' : '0';
        }
        return flags + (window->elapsedTimer().isActive() ? " timing" : " idle");
    }

    QTemporaryDir folder;
    qf::test::FakeMedia media;
    QDateTime clock;
    QPointer<RecorderWindow> window;
    qf::RecorderLayout& ui;
};

TEST_F(RecorderWindowTest, LoadOpensANewDeviceAndStartsFresh) {
    EXPECT_EQ(buttonCommands(), kLoadCommands);
    EXPECT_EQ(state(), "100001 idle");
    EXPECT_TRUE(ui.timeBox->text().isEmpty());
    EXPECT_TRUE(window->modeTimer().isActive());
    EXPECT_EQ(window->modeTimer().interval(), 500);
    EXPECT_TRUE(window->informationTimer().isActive());
    EXPECT_EQ(window->informationTimer().interval(), 19);
    EXPECT_TRUE(window->highQuality()->isChecked());
    EXPECT_FALSE(window->lowQuality()->isChecked());
    EXPECT_FALSE(window->mediumQuality()->isChecked());
    EXPECT_FALSE(window->qualityMenu()->menuAction()->isEnabled());
}

TEST_F(RecorderWindowTest, RecordStopAndRecordAgainFollowTheStateTable) {
    buttonCommands();
    click(ui.recordButton);
    EXPECT_EQ(buttonCommands(), kRecordCommands);
    EXPECT_EQ(state(), "110001 timing");
    EXPECT_EQ(window->elapsedTimer().interval(), 1000);
    EXPECT_EQ(ui.timeBox->text(), "00:00:00");

    clock = clock.addSecs(65);
    window->increment();
    EXPECT_EQ(ui.timeBox->text(), "00:01:05");

    // Record while recording starts the timing and the device over.
    clock = clock.addSecs(3);
    click(ui.recordButton);
    EXPECT_EQ(buttonCommands(), kRecordCommands);
    EXPECT_EQ(ui.timeBox->text(), "00:00:00");
    EXPECT_EQ(state(), "110001 timing");

    clock = clock.addSecs(7);
    click(ui.stopButton);
    EXPECT_EQ(buttonCommands(), Commands{"stop capture"});
    EXPECT_EQ(state(), "111111 idle");
    EXPECT_EQ(ui.timeBox->text(), "00:00:07");

    // Playing changes nothing but the device.
    click(ui.playButton);
    EXPECT_EQ(buttonCommands(), Commands{"play capture from 0"});
    EXPECT_EQ(state(), "111111 idle");

    // Recording again after a stop leaves Save and Reset available.
    click(ui.recordButton);
    EXPECT_EQ(buttonCommands(), kRecordCommands);
    EXPECT_EQ(state(), "110111 timing");
}

TEST_F(RecorderWindowTest, StopAgainRefreshesTheTimeSinceRecordAndKeepsTheTimerOff) {
    click(ui.recordButton);
    clock = clock.addSecs(10);
    click(ui.stopButton);
    buttonCommands();
    clock = clock.addSecs(20);
    click(ui.stopButton);
    EXPECT_EQ(buttonCommands(), Commands{"stop capture"});
    EXPECT_EQ(ui.timeBox->text(), "00:00:30");
    EXPECT_EQ(state(), "111111 idle");
}

TEST_F(RecorderWindowTest, ElapsedTimeDropsWholeDaysAndOverwritesTypingButNotTheStart) {
    click(ui.recordButton);
    const QDateTime start = window->startTime();
    EXPECT_EQ(start.time(), QTime(10, 0, 0)) << "the start is kept to the whole second";
    QTest::keyClicks(ui.timeBox, "typed");
    clock = clock.addSecs(25 * 3600);
    window->increment();
    EXPECT_EQ(ui.timeBox->text(), "01:00:00");
    EXPECT_EQ(window->startTime(), start);
}

TEST_F(RecorderWindowTest, ResetDiscardsTheRecordingWithoutSavingAndStartsAfresh) {
    click(ui.recordButton);
    clock = clock.addSecs(4);
    click(ui.stopButton);
    window->showMode();
    window->showInformation();
    buttonCommands();

    clock = clock.addSecs(50);
    click(ui.resetButton);
    Commands expected{"close capture"};
    expected.insert(expected.end(), kLoadCommands.begin(), kLoadCommands.end());
    EXPECT_EQ(buttonCommands(), expected) << "nothing is saved on the way";
    EXPECT_EQ(state(), "100001 idle");
    EXPECT_EQ(ui.timeBox->text(), "00:00:00");
    EXPECT_EQ(window->startTime(), clock.addMSecs(-400));
    EXPECT_TRUE(ui.modeLabel->text().isEmpty());
    EXPECT_TRUE(ui.informationLabel->text().isEmpty());
    EXPECT_TRUE(window->modeTimer().isActive());
    EXPECT_TRUE(window->informationTimer().isActive());
    EXPECT_TRUE(window->highQuality()->isChecked());
}

TEST_F(RecorderWindowTest, InformationShowsTheLengthInMegabytesAndTheChannels) {
    const auto shown = [this](const char* reply) {
        media.replies["status capture length"] = reply;
        media.takeSent();
        window->showInformation();
        EXPECT_EQ(media.sent, (Commands{"set capture time format bytes", "status capture length"}));
        EXPECT_EQ(media.lengths[1], 255u);
        return ui.informationLabel->text().toStdString();
    };
    EXPECT_EQ(shown("0"), "MBytes :  0\r\nChannels : 2 (stereo)\r\n");
    EXPECT_EQ(shown("1764000"), "MBytes :  1.764\r\nChannels : 2 (stereo)\r\n");
    EXPECT_EQ(shown("176400"), "MBytes :  0.1764\r\nChannels : 2 (stereo)\r\n");
    EXPECT_EQ(shown(""), "MBytes :  0\r\nChannels : 2 (stereo)\r\n");
    media.errors["status capture length"] = 5;
    EXPECT_EQ(shown("1764000"), "MBytes :  0\r\nChannels : 2 (stereo)\r\n")
        << "a failed query shows nothing recorded, not what the buffer held";
}

TEST_F(RecorderWindowTest, ModeShowsTheDevicesReplyAfterABlankAndABlankAloneWithoutADevice) {
    media.replies["status capture mode"] = "recording";
    window->showMode();
    EXPECT_EQ(ui.modeLabel->text(), " recording");
    EXPECT_EQ(media.lengths.back(), 255u);
    media.failEverything = 263;
    window->showMode();
    EXPECT_EQ(ui.modeLabel->text(), " ");
}

TEST_F(RecorderWindowTest, ADeviceThatCannotRecordSaysSoAndRecordPretendsNothing) {
    // The input went away after the window opened: Record starts no clock and offers no Stop.
    media.replies["status capture mode"] = "stopped";
    media.errors["record capture"] = 263;
    click(ui.recordButton);
    EXPECT_EQ(state(), "100001 idle");
    EXPECT_TRUE(ui.timeBox->text().isEmpty());
    EXPECT_EQ(ui.modeLabel->text(), " cannot record");
    // Once it can record again, everything is as usual.
    media.errors.clear();
    click(ui.recordButton);
    EXPECT_EQ(state(), "110001 timing");
    media.replies["status capture mode"] = "recording";
    window->showMode();
    EXPECT_EQ(ui.modeLabel->text(), " recording");

    // No scratch folder: the device does not even open, which the window says from the start.
    qf::test::FakeMedia broken;
    broken.errors["open new type waveaudio alias capture"] = 263;
    RecorderWindow unusable(folder.path().toStdString(), broken, [this] { return clock; });
    unusable.showMode();
    EXPECT_EQ(unusable.controls().modeLabel->text(), " cannot record");
}

TEST_F(RecorderWindowTest, TimersTickAndPollTheDevice) {
    media.replies["status capture mode"] = "stopped";
    media.replies["status capture length"] = "352800";
    click(ui.recordButton);
    clock = clock.addSecs(2);
    // The elapsed time changes only on the one-second tick; by then the faster ones have run.
    EXPECT_TRUE(QTest::qWaitFor([this] { return ui.timeBox->text() != "00:00:00"; }, 5000));
    EXPECT_EQ(ui.modeLabel->text(), " stopped");
    EXPECT_EQ(ui.informationLabel->text(), "MBytes :  0.3528\r\nChannels : 2 (stereo)\r\n");
    EXPECT_EQ(ui.timeBox->text(), "00:00:02");
}

TEST_F(RecorderWindowTest, ClosingReleasesTheDeviceOnceAndStopsPolling) {
    buttonCommands();
    window->close();
    EXPECT_EQ(buttonCommands(), Commands{"close capture"});
    EXPECT_FALSE(window->modeTimer().isActive());
    EXPECT_FALSE(window->informationTimer().isActive());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(window) << "a closed window is gone; opening it again makes a fresh one";
    EXPECT_TRUE(media.takeSent().empty());
}

TEST_F(RecorderWindowTest, ControlsSitWhereTheLayoutPutsThem) {
    EXPECT_EQ(window->objectName(), "Form8");
    EXPECT_EQ(window->windowTitle(), "Sound Recorder");
    EXPECT_TRUE(window->windowFlags() & Qt::Tool);
    const QWidget* client = ui.backdrop->parentWidget();
    EXPECT_EQ(client->size(), QSize(391, 168));
    EXPECT_EQ(window->size(), QSize(391, 168 + client->y()));

    const auto find = [this](const char* name) {
        return window->findChild<QWidget*>(QString::fromLatin1(name));
    };
    struct Place {
        const char* name;
        const char* parent;
        QRect where;
    };
    for (const Place& p :
         {Place{"Picture1", "", {0, 0, 409, 185}}, Place{"Frame2", "", {200, 8, 185, 153}},
          Place{"Label3", "Frame3", {8, 16, 169, 129}}, Place{"Label1", "Frame2", {8, 48, 169, 25}},
          Place{"Command5", "Frame2", {8, 104, 169, 17}}, Place{"Command3", "", {264, 88, 57, 17}},
          Place{"Command1", "", {208, 136, 113, 17}}}) {
        SCOPED_TRACE(p.name);
        const QWidget* control = find(p.name);
        ASSERT_NE(control, nullptr);
        EXPECT_EQ(control->geometry(), p.where);
        EXPECT_EQ(control->parentWidget(), *p.parent ? find(p.parent) : client);
    }
    EXPECT_EQ(ui.saveButton->text(), "Save ");
    EXPECT_EQ(ui.timeBox->font().pointSize(), 12);
    EXPECT_TRUE(ui.timeBox->font().bold());
    EXPECT_EQ(ui.timeBox->alignment(), Qt::AlignCenter);

    // Tab order: Play, Stop, Record, Save, Reset, Help.
    EXPECT_EQ(ui.playButton->nextInFocusChain(), ui.stopButton);
    EXPECT_EQ(ui.stopButton->nextInFocusChain(), ui.recordButton);
    EXPECT_EQ(ui.recordButton->nextInFocusChain(), ui.saveButton);
    EXPECT_EQ(ui.saveButton->nextInFocusChain(), ui.resetButton);
    EXPECT_EQ(ui.resetButton->nextInFocusChain(), ui.helpButton);

    EXPECT_EQ(window->menuBar()->actions().front()->text(), "Quality");
    EXPECT_EQ(window->findChild<QAction*>("med")->text(), "Medium Quality");
}

} // namespace
