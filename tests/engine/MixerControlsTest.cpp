#include "engine/MixerControls.h"
#include "audio/OfflineOutput.h"
#include "engine/NoiseEngine.h"
#include "tests/engine/FakePanel.h"
#include "tests/fixtures/FakeAppFolder.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

using qf::test::FakeAppFolder;
using qf::test::FakePanel;

class NoMessages final : public qf::MessageBox {
public:
    void show(const std::string& text) override { ADD_FAILURE() << "unexpected message: " << text; }
};

class MixerControlsTest : public ::testing::Test {
protected:
    MixerControlsTest()
        : engine(folder.str(), [] { return std::make_unique<qf::sound::OfflineOutput>(); }),
          controls(engine, panel) {
        panel.controls = &controls;
        EXPECT_TRUE(engine.Initialise(panel, messages, 1));
    }

    std::string lastPicture() const {
        return panel.pictures.empty()
                   ? std::string()
                   : std::filesystem::path(panel.pictures.back()).filename().string();
    }

    FakeAppFolder folder;
    FakePanel panel;
    NoMessages messages;
    qf::NoiseEngine engine;
    qf::MixerControls controls;
};

TEST_F(MixerControlsTest, CheckBoxStartsAndStopsItsChannelAndShowsItsPicture) {
    panel.setCheckState(3, 1);
    EXPECT_TRUE(engine.buffer(3)->IsPlaying());
    EXPECT_EQ(lastPicture(), "blue_noise.jpg");
    panel.setCheckState(3, 0);
    EXPECT_FALSE(engine.buffer(3)->IsPlaying());
    EXPECT_EQ(lastPicture(), "blue_noise.jpg");
    EXPECT_EQ(panel.pictures.size(), 2u);
}

TEST_F(MixerControlsTest, GreyStateNeitherStartsNorStops) {
    panel.setCheckState(1, 2);
    EXPECT_FALSE(engine.buffer(1)->IsPlaying());
    EXPECT_EQ(lastPicture(), "brown_noise.jpg");
    panel.setCheckState(1, 1);
    panel.setCheckState(1, 2);
    EXPECT_TRUE(engine.buffer(1)->IsPlaying());
}

TEST_F(MixerControlsTest, MuteTwiceRestoresEverySliderAndChannel) {
    const std::array<int, 5> before = {0, -250, -1200, -3000, -10};
    for (int row = 1; row <= 5; ++row) {
        panel.setVolumeValue(row, before[row - 1]);
    }
    controls.mute();
    EXPECT_EQ(controls.muteState(), 1);
    for (int row = 1; row <= 5; ++row) {
        EXPECT_EQ(panel.volumes[row - 1], -3000);
        EXPECT_EQ(engine.buffer(row)->GetVolume(), -3000);
    }
    controls.mute();
    EXPECT_EQ(controls.muteState(), 0);
    for (int row = 1; row <= 5; ++row) {
        EXPECT_EQ(panel.volumes[row - 1], before[row - 1]);
        EXPECT_EQ(engine.buffer(row)->GetVolume(), before[row - 1]);
    }
}

TEST_F(MixerControlsTest, SliderMovedWhileMutedIsHeardAndThenRestoredToTheSavedValue) {
    panel.setVolumeValue(2, -400);
    controls.mute();
    panel.setVolumeValue(2, -100);
    EXPECT_EQ(engine.buffer(2)->GetVolume(), -100);
    controls.mute();
    EXPECT_EQ(panel.volumes[1], -400);
    EXPECT_EQ(engine.buffer(2)->GetVolume(), -400);
}

TEST_F(MixerControlsTest, ResetAllStopsEveryRowAndEndsOnTheLastChangedPicture) {
    panel.setCheckState(2, 1);
    panel.setCheckState(4, 1);
    panel.pictures.clear();
    controls.resetAll();
    EXPECT_FALSE(engine.buffer(2)->IsPlaying());
    EXPECT_FALSE(engine.buffer(4)->IsPlaying());
    ASSERT_EQ(panel.pictures.size(), 2u);
    EXPECT_EQ(lastPicture(), "violet.jpg");
    for (int row = 1; row <= 5; ++row) {
        EXPECT_EQ(engine.buffer(row)->GetVolume(), -1500);
        EXPECT_EQ(engine.buffer(row)->GetFrequency(), 32767);
    }
}

TEST_F(MixerControlsTest, ResetAllWhileMutedKeepsTheMuteAndItsSavedVolumes) {
    panel.setVolumeValue(1, -700);
    controls.mute();
    controls.resetAll();
    EXPECT_EQ(controls.muteState(), 1);
    EXPECT_TRUE(panel.pictures.empty());
    controls.mute();
    EXPECT_EQ(panel.volumes[0], -700);
    EXPECT_EQ(panel.volumes[1], 0);
}

TEST_F(MixerControlsTest, PanMovesAllFiveChannelsPlayingOrNot) {
    panel.setCheckState(5, 1);
    controls.panChanged(-2500);
    for (int row = 1; row <= 5; ++row) {
        EXPECT_EQ(engine.buffer(row)->GetPan(), -2500);
    }
}

TEST_F(MixerControlsTest, ReadoutsShowTheTrueRateUntilASliderMoves) {
    controls.refreshReadouts();
    EXPECT_EQ(panel.readouts[0], std::to_string(FakeAppFolder::rateOf("Brown_Noise.Wav")));
    EXPECT_EQ(panel.readouts[4], std::to_string(FakeAppFolder::rateOf("White_Noise.Wav")));
    panel.setFrequencyValue(1, 1001);
    controls.refreshReadouts();
    EXPECT_EQ(panel.readouts[0], "1001");
}

} // namespace
