#include "ui/MainWindow.h"
#include "app/ConfigCommands.h"
#include "audio/OfflineOutput.h"
#include "platform/device/AudioSystem.h"
#include "platform/device/DeviceAudioOutput.h"
#include "platform/sdl/SdlBackend.h"
#include "tests/fixtures/FakeAppFolder.h"
#include "tests/fixtures/TestDoubles.h"

#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <vector>

namespace {

using qf::MainWindow;
using qf::test::FakeAppFolder;
using qf::test::RecordingMessages;

class MainWindowTest : public ::testing::Test {
protected:
    void open(qf::sound::DirectSound::OutputFactory outputs = qf::test::offlineOutputs()) {
        window = std::make_unique<MainWindow>(
            folder.str(), messages, qf::ConfigCommands::inFolder(folder.str()), std::move(outputs));
        window->load();
        ui = &window->controlsLayout();
    }

    void click(QWidget* widget) {
        QTest::mouseClick(widget, Qt::LeftButton, {}, QPoint(8, widget->height() / 2));
    }

    std::string picture() const {
        return std::filesystem::path(window->pictureShown().toStdString()).filename().string();
    }

    qf::sound::VoiceHandle& channel(int row) { return *window->engine().buffer(row); }

    FakeAppFolder folder;
    RecordingMessages messages;
    std::unique_ptr<MainWindow> window;
    qf::MainWindowLayout* ui = nullptr;
};

TEST_F(MainWindowTest, RowsCarryTheirCaptionsAndControlNames) {
    open();
    const char* captions[] = {"Brown Noise", "Pink Noise", "Blue Noise", "Violet Noise",
                              "White Noise"};
    const char* volumes[] = {"HScroll3", "HScroll4", "HScroll5", "HScroll6", "HScroll7"};
    const char* frequencies[] = {"HScroll8", "HScroll9", "HScroll10", "HScroll11", "HScroll12"};
    const char* readouts[] = {"Label1", "Label2", "Label3", "Label6", "Label7"};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(ui->checkBoxes[i]->text().toStdString(), captions[i]);
        EXPECT_EQ(ui->checkBoxes[i]->objectName().toStdString(), "Check" + std::to_string(i + 1));
        EXPECT_EQ(ui->volumeSliders[i]->objectName().toStdString(), volumes[i]);
        EXPECT_EQ(ui->frequencySliders[i]->objectName().toStdString(), frequencies[i]);
        EXPECT_EQ(ui->readouts[i]->objectName().toStdString(), readouts[i]);
        EXPECT_EQ(ui->unitLabels[i]->text(), QStringLiteral("Hz"));
    }
    EXPECT_EQ(window->centralWidget()->size(), QSize(554, 336));
    EXPECT_EQ(ui->checkBoxes[0]->geometry(), QRect(24, 32, 121, 17));
    EXPECT_EQ(ui->volumeSliders[4]->geometry(), QRect(16, 120, 121, 17));
    EXPECT_EQ(ui->panSlider->geometry(), QRect(392, 200, 133, 17));
    EXPECT_EQ(ui->pictureBox->geometry(), QRect(8, 168, 313, 137));
    // The unit label of index 1 sits on the last row.
    EXPECT_EQ(ui->unitLabels[1]->y(), ui->readouts[4]->y());
}

TEST_F(MainWindowTest, FirstStartShowsTheRecordingsOwnRatesOnReadoutsAndSliders) {
    open();
    QTest::qWait(120);
    const char* files[] = {"Brown_Noise.Wav", "Pink_Noise.Wav", "Blue_Noise.Wav", "violet.Wav",
                           "White_Noise.Wav"};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(ui->readouts[i]->text().toInt(), FakeAppFolder::rateOf(files[i])) << files[i];
        EXPECT_EQ(ui->frequencySliders[i]->value(), FakeAppFolder::rateOf(files[i]));
        EXPECT_EQ(ui->volumeSliders[i]->value(), 0);
        EXPECT_FALSE(channel(i + 1).IsPlaying());
    }
    EXPECT_TRUE(window->playTimerEnabled());
    EXPECT_TRUE(window->pictureShown().isEmpty());
}

TEST_F(MainWindowTest, ClickingARowStartsAndStopsItsChannelAndShowsItsPicture) {
    open();
    click(ui->checkBoxes[2]);
    EXPECT_TRUE(channel(3).IsPlaying());
    EXPECT_EQ(picture(), "blue_noise.jpg");
    EXPECT_FALSE(ui->pictureBox->pixmap().isNull());
    click(ui->checkBoxes[2]);
    EXPECT_FALSE(channel(3).IsPlaying());
    EXPECT_EQ(picture(), "blue_noise.jpg");
}

TEST_F(MainWindowTest, SlidersActDuringADragAndOnlyOnChange) {
    open();
    QScrollBar* volume = ui->volumeSliders[1];
    volume->setSliderDown(true);
    volume->setSliderPosition(-900);
    EXPECT_EQ(channel(2).GetVolume(), -900);
    volume->setSliderPosition(-950);
    EXPECT_EQ(channel(2).GetVolume(), -950);
    volume->setSliderDown(false);

    QSignalSpy changes(ui->frequencySliders[0], &QScrollBar::valueChanged);
    window->setFrequencyValue(1, window->frequencyValue(1));
    EXPECT_EQ(changes.count(), 0);
    EXPECT_EQ(channel(1).GetFrequency(), FakeAppFolder::rateOf("Brown_Noise.Wav"));
    window->setFrequencyValue(1, 1001);
    EXPECT_EQ(channel(1).GetFrequency(), 1001);

    ui->panSlider->triggerAction(QAbstractSlider::SliderPageStepAdd);
    for (int row = 1; row <= 5; ++row) {
        EXPECT_EQ(channel(row).GetPan(), 2000);
    }
}

TEST_F(MainWindowTest, MuteTwiceRestoresEverySliderAndChannel) {
    open();
    const int before[] = {-100, 0, -3000, -1234, -2999};
    for (int i = 0; i < 5; ++i) {
        ui->volumeSliders[i]->setValue(before[i]);
    }
    QSignalSpy alreadyMuted(ui->volumeSliders[2], &QScrollBar::valueChanged);
    click(ui->muteButton);
    EXPECT_EQ(alreadyMuted.count(), 0);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(ui->volumeSliders[i]->value(), -3000);
        EXPECT_EQ(channel(i + 1).GetVolume(), -3000);
    }
    ui->volumeSliders[0]->setValue(-50);
    EXPECT_EQ(channel(1).GetVolume(), -50);
    click(ui->muteButton);
    EXPECT_EQ(window->mixer().muteState(), 0);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(ui->volumeSliders[i]->value(), before[i]);
        EXPECT_EQ(channel(i + 1).GetVolume(), before[i]);
    }
    EXPECT_EQ(ui->muteButton->text(), QStringLiteral("Mute"));
}

TEST_F(MainWindowTest, ResetAllWithRowsTwoAndFourOnEndsShowingViolet) {
    open();
    click(ui->checkBoxes[1]);
    click(ui->checkBoxes[3]);
    ui->panSlider->setValue(1000);
    click(ui->resetAllButton);
    EXPECT_FALSE(channel(2).IsPlaying());
    EXPECT_FALSE(channel(4).IsPlaying());
    EXPECT_EQ(picture(), "violet.jpg");
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(ui->checkBoxes[i]->value(), 0);
        EXPECT_EQ(ui->volumeSliders[i]->value(), -1500);
        EXPECT_EQ(ui->frequencySliders[i]->value(), 32767);
        EXPECT_EQ(channel(i + 1).GetFrequency(), 32767);
    }
    EXPECT_EQ(ui->panSlider->value(), 1000);
}

TEST_F(MainWindowTest, ResetAllWithNothingOnLeavesThePictureAlone) {
    open();
    click(ui->resetAllButton);
    EXPECT_TRUE(window->pictureShown().isEmpty());
}

TEST_F(MainWindowTest, GreyStateIsOnlyReachedFromCodeAndChangesNothingHeard) {
    open();
    window->setCheckState(5, 2);
    EXPECT_EQ(ui->checkBoxes[4]->checkState(), Qt::PartiallyChecked);
    EXPECT_FALSE(channel(5).IsPlaying());
    EXPECT_EQ(picture(), "white_noise.jpg");
    click(ui->checkBoxes[4]);
    EXPECT_EQ(ui->checkBoxes[4]->value(), 1);
    EXPECT_TRUE(channel(5).IsPlaying());
    click(ui->checkBoxes[4]);
    click(ui->checkBoxes[4]);
    EXPECT_EQ(ui->checkBoxes[4]->value(), 1) << "a click never leads into the grey state";
}

TEST_F(MainWindowTest, MissingRecordingDisablesItsRowWithATooltipNamingIt) {
    folder.remove("violet.Wav");
    open();
    EXPECT_FALSE(ui->checkBoxes[3]->isEnabled());
    EXPECT_TRUE(ui->checkBoxes[3]->toolTip().contains(QStringLiteral("violet.Wav")));
    click(ui->checkBoxes[0]);
    EXPECT_TRUE(channel(1).IsPlaying());
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(MainWindowTest, DamagedRecordingsDisableTheirRowsWithTheDamageNamed) {
    auto bytesOf = [&](const char* name) {
        std::ifstream in(folder.path() / name, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    };
    auto rewrite = [&](const char* name, const std::string& bytes) {
        std::ofstream(folder.path() / name, std::ios::binary | std::ios::trunc) << bytes;
    };
    // A copy cut short, and a header stating 7 bits per sample over 16-bit samples.
    rewrite("violet.Wav", bytesOf("violet.Wav").substr(0, 1000));
    std::string blue = bytesOf("Blue_Noise.wav");
    blue[blue.find("fmt ") + 8 + 14] = 7;
    rewrite("Blue_Noise.wav", blue);
    open();
    EXPECT_FALSE(ui->checkBoxes[2]->isEnabled());
    EXPECT_TRUE(ui->checkBoxes[2]->toolTip().contains(
        QStringLiteral("Blue_Noise.wav: 7 bits per sample is not a whole number of bytes")))
        << ui->checkBoxes[2]->toolTip().toStdString();
    EXPECT_FALSE(ui->checkBoxes[3]->isEnabled());
    EXPECT_TRUE(
        ui->checkBoxes[3]->toolTip().contains(QStringLiteral("violet.Wav: the file is cut short")))
        << ui->checkBoxes[3]->toolTip().toStdString();
    for (int i : {0, 1, 4}) {
        EXPECT_TRUE(ui->checkBoxes[i]->isEnabled()) << i;
    }
}

TEST_F(MainWindowTest, NoSoundDeviceGivesTheMessageAndHarmlessControls) {
    open(qf::test::missingOutputs());
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0],
              "Error. Please check you have DirectX8 or later.\nno output device here");
    EXPECT_TRUE(window->isVisible());
    for (int i = 0; i < 5; ++i) {
        click(ui->checkBoxes[i]);
        ui->volumeSliders[i]->setValue(-500);
        ui->frequencySliders[i]->setValue(20000);
    }
    ui->panSlider->setValue(-3000);
    click(ui->muteButton);
    click(ui->resetAllButton);
    QTest::qWait(120);
    EXPECT_TRUE(ui->readouts[0]->text().isEmpty());
    window->close();
}

TEST_F(MainWindowTest, ClosingStopsAndRewindsEveryChannel) {
    open();
    for (int i = 0; i < 5; ++i) {
        click(ui->checkBoxes[i]);
    }
    window->engine().soundDevice()->mixer().render(2400);
    window->close();
    window->engine().soundDevice()->mixer().render(2400);
    for (int row = 1; row <= 5; ++row) {
        EXPECT_FALSE(channel(row).IsPlaying());
        EXPECT_EQ(channel(row).GetCurrentPosition(), 0u);
    }
}

TEST_F(MainWindowTest, RealSdlDeviceThroughTheDummyDriver) {
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    qf::sound::AudioSystem audio(std::make_unique<qf::sound::SdlBackend>());
    open(qf::sound::DeviceAudioOutput::factory(audio));
    EXPECT_TRUE(messages.shown.empty());
    ASSERT_TRUE(window->engine().hasDevice());
    click(ui->checkBoxes[0]);
    QTest::qWait(300);
    EXPECT_GT(channel(1).GetCurrentPosition(), 0u);
    window->close();
    window.reset();
}

} // namespace
