#include "app/ConfigCommands.h"
#include "audio/OfflineOutput.h"
#include "recorder/RecorderWindow.h"
#include "recorder/SaveWindow.h"
#include "tests/fixtures/FakeAppFolder.h"
#include "tests/recorder/FakeMedia.h"
#include "ui/MainWindow.h"

#include <QAccessible>
#include <QAccessibleValueInterface>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

namespace {

class SilentMessages final : public qf::MessageBox {
public:
    void show(const std::string&) override {}
};

QAccessibleInterface* of(QObject* object) {
    return QAccessible::queryAccessibleInterface(object);
}

class AccessibilityTest : public ::testing::Test {
protected:
    AccessibilityTest()
        : window(folder.str(), messages, qf::ConfigCommands::inFolder(folder.str()),
                 [] { return std::make_unique<qf::sound::OfflineOutput>(); }),
          ui(window.controlsLayout()) {
        window.load();
    }

    qf::test::FakeAppFolder folder;
    SilentMessages messages;
    qf::MainWindow window;
    qf::MainWindowLayout& ui;
};

TEST_F(AccessibilityTest, MainWindowReadsEachControlByNameAndValue) {
    window.setVolumeValue(1, -1500);
    QAccessibleInterface* volume = of(ui.volumeSliders[0]);
    EXPECT_EQ(volume->text(QAccessible::Name), QStringLiteral("Brown Noise volume"));
    EXPECT_EQ(volume->text(QAccessible::Description), QStringLiteral("-15.0 dB"));
    EXPECT_DOUBLE_EQ(volume->valueInterface()->currentValue().toDouble(), -15.0);

    ui.panSlider->setValue(-1000);
    QAccessibleInterface* pan = of(ui.panSlider);
    EXPECT_EQ(pan->text(QAccessible::Description), QStringLiteral("left 10 dB"));
    EXPECT_DOUBLE_EQ(pan->valueInterface()->currentValue().toDouble(), -10.0);
    pan->valueInterface()->setCurrentValue(2.5);
    EXPECT_EQ(ui.panSlider->value(), 250);
    EXPECT_EQ(pan->text(QAccessible::Description), QStringLiteral("right 2.5 dB"));
}

TEST_F(AccessibilityTest, MuteShowsWhetherItIsOnAndThePictureSaysWhatItShows) {
    QAccessibleInterface* mute = of(ui.muteButton);
    EXPECT_TRUE(mute->state().checkable);
    const QImage up = ui.muteButton->grab().toImage();
    QTest::mouseClick(ui.muteButton, Qt::LeftButton);
    EXPECT_TRUE(mute->state().checked);
    EXPECT_NE(ui.muteButton->grab().toImage(), up) << "a muted Mute looks pressed in";
    QTest::mouseClick(ui.muteButton, Qt::LeftButton);
    EXPECT_FALSE(mute->state().checked);

    QAccessibleInterface* picture = of(ui.pictureBox);
    EXPECT_EQ(picture->role(), QAccessible::Graphic);
    EXPECT_EQ(picture->text(QAccessible::Name), QStringLiteral("No picture"));
    ui.checkBoxes[2]->click();
    EXPECT_EQ(picture->text(QAccessible::Name), QStringLiteral("Blue Noise picture"));
}

TEST_F(AccessibilityTest, RecorderAndSaveWindowNameTheirBoxesAndPaceTheSize) {
    qf::test::FakeMedia media;
    media.replies["status capture mode"] = "recording";
    media.replies["status capture length"] = "1000";
    qf::RecorderWindow recorder(folder.str(), media);
    auto& controls = recorder.controls();
    EXPECT_EQ(of(controls.timeBox)->text(QAccessible::Name), QStringLiteral("Elapsed time"));
    recorder.showMode();
    QAccessibleInterface* mode = of(controls.modeLabel);
    EXPECT_EQ(mode->role(), QAccessible::StatusBar);
    EXPECT_EQ(mode->text(QAccessible::Name), QStringLiteral("recording"));

    // Fifty changes of the size within a second reach a screen reader as one, then the
    // latest a second later.
    QAccessibleInterface* size = of(controls.informationLabel);
    recorder.showInformation();
    const QString first = size->text(QAccessible::Name);
    EXPECT_EQ(first, QStringLiteral("MBytes : 0.001 Channels : 2 (stereo)"));
    for (int bytes = 2000; bytes <= 51000; bytes += 1000) {
        media.replies["status capture length"] = std::to_string(bytes);
        recorder.showInformation();
    }
    EXPECT_EQ(size->text(QAccessible::Name), first);
    EXPECT_TRUE(QTest::qWaitFor([&] { return size->text(QAccessible::Name) != first; }, 1500));
    EXPECT_EQ(size->text(QAccessible::Name),
              QStringLiteral("MBytes : 0.051 Channels : 2 (stereo)"));

    qf::SaveWindow save(folder.str(), media, &messages);
    QAccessibleInterface* name = of(save.nameBox());
    EXPECT_EQ(name->text(QAccessible::Name), QStringLiteral("File name"));
    const auto labels = name->relations(QAccessible::Label);
    ASSERT_EQ(labels.size(), 1);
    EXPECT_EQ(labels[0].first->object(), save.instructionLabel());
}

} // namespace
