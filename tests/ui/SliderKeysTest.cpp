#include "app/ConfigCommands.h"
#include "tests/fixtures/FakeAppFolder.h"
#include "tests/fixtures/TestDoubles.h"
#include "ui/MainWindow.h"

#include <QApplication>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QTest>
#include <QWheelEvent>

#include <gtest/gtest.h>

#include <memory>

namespace {

using qf::MixerSlider;

// Where the bar draws its thumb, left edge in pixels.
int thumbLeft(const MixerSlider* bar) {
    QStyleOptionSlider option;
    option.initFrom(bar);
    option.orientation = bar->orientation();
    option.minimum = bar->minimum();
    option.maximum = bar->maximum();
    option.sliderPosition = bar->sliderPosition();
    option.sliderValue = bar->value();
    option.singleStep = bar->singleStep();
    option.pageStep = bar->pageStep();
    option.upsideDown = bar->invertedAppearance();
    option.subControls = QStyle::SC_All;
    return bar->style()
        ->subControlRect(QStyle::CC_ScrollBar, &option, QStyle::SC_ScrollBarSlider, bar)
        .left();
}

// Notches of the wheel turned away from the user (up).
void wheel(MixerSlider* bar, int notches) {
    const QPointF centre(bar->width() / 2.0, bar->height() / 2.0);
    QWheelEvent event(centre, bar->mapToGlobal(centre), QPoint(), QPoint(0, 120 * notches),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(bar, &event);
}

class SliderKeysTest : public ::testing::Test {
protected:
    SliderKeysTest()
        : window(std::make_unique<qf::MainWindow>(folder.str(), messages,
                                                  qf::ConfigCommands::inFolder(folder.str()),
                                                  qf::test::offlineOutputs())) {
        window->load();
    }

    qf::sound::VoiceHandle& channel(int row) { return *window->engine().buffer(row); }

    qf::test::FakeAppFolder folder;
    qf::test::RecordingMessages messages;
    std::unique_ptr<qf::MainWindow> window;
};

TEST_F(SliderKeysTest, ArrowsAndWheelMoveVolumeTheWayTheThumbMoves) {
    MixerSlider* volume = window->controlsLayout().volumeSliders[0];
    volume->setValue(-1500);
    volume->setFocus();

    QTest::keyClick(volume, Qt::Key_Right);
    EXPECT_EQ(volume->value(), -1499) << "one small step up";
    EXPECT_EQ(channel(1).GetVolume(), -1499) << "the channel follows, as after a drag";

    int thumb = thumbLeft(volume);
    QTest::keyClick(volume, Qt::Key_Right, Qt::ControlModifier);
    EXPECT_EQ(volume->value(), -1399) << "Ctrl+Right is 1 dB";
    EXPECT_GT(thumbLeft(volume), thumb) << "the thumb goes right with the key";

    thumb = thumbLeft(volume);
    QTest::keyClick(volume, Qt::Key_PageUp);
    EXPECT_EQ(volume->value(), -599) << "Page Up is the large step";
    EXPECT_GT(thumbLeft(volume), thumb);

    wheel(volume, 1);
    EXPECT_GT(volume->value(), -599) << "the wheel turned away raises, thumb to the right";

    QTest::keyClick(volume, Qt::Key_End);
    EXPECT_EQ(volume->value(), 0);
    QTest::keyClick(volume, Qt::Key_Right, Qt::ControlModifier);
    EXPECT_EQ(volume->value(), 0) << "the coarse step stops at the end";
    QTest::keyClick(volume, Qt::Key_Home);
    EXPECT_EQ(channel(1).GetVolume(), -3000);
}

TEST_F(SliderKeysTest, RightPansRightAndFrequencyMovesByHundredHertz) {
    auto& ui = window->controlsLayout();
    QTest::keyClick(ui.panSlider, Qt::Key_Right);
    EXPECT_EQ(ui.panSlider->value(), 1000);
    EXPECT_EQ(channel(3).GetPan(), 1000) << "a positive pan is to the right";
    QTest::keyClick(ui.panSlider, Qt::Key_Left, Qt::ControlModifier);
    EXPECT_EQ(ui.panSlider->value(), 900);

    MixerSlider* frequency = ui.frequencySliders[1];
    const int before = frequency->value();
    QTest::keyClick(frequency, Qt::Key_Right, Qt::ControlModifier);
    EXPECT_EQ(frequency->value(), before + 100);
    EXPECT_EQ(channel(2).GetFrequency(), before + 100);
}

} // namespace
