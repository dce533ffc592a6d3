#include "engine/NoiseEngine.h"
#include "audio/OfflineOutput.h"
#include "engine/MixerControls.h"
#include "tests/engine/FakePanel.h"
#include "tests/fixtures/FakeAppFolder.h"
#include "tests/fixtures/TestDoubles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

namespace {

using qf::ChannelTable;
using qf::NoiseEngine;
using qf::test::FakeAppFolder;
using qf::test::FakePanel;
using qf::test::RecordingMessages;

class NoiseEngineTest : public ::testing::Test {
protected:
    FakeAppFolder folder;
    FakePanel panel;
    RecordingMessages messages;
};

TEST_F(NoiseEngineTest, EachRowPlaysTheNoiseItsCaptionNames) {
    NoiseEngine engine(folder.str(), qf::test::offlineOutputs());
    ASSERT_TRUE(engine.Initialise(panel, messages, 1));
    const std::vector<std::string> expected = {"Brown_Noise.Wav", "Pink_Noise.Wav",
                                               "Blue_Noise.Wav", "violet.Wav", "White_Noise.Wav"};
    for (int row = 1; row <= 5; ++row) {
        ASSERT_NE(engine.buffer(row), nullptr) << "row " << row;
        EXPECT_EQ(engine.buffer(row)->GetFrequency(), FakeAppFolder::rateOf(expected[row - 1]))
            << ChannelTable::row(row).caption;
        EXPECT_FALSE(engine.buffer(row)->IsPlaying());
        EXPECT_EQ(engine.buffer(row)->GetCurrentPosition(), 0u);
    }
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(NoiseEngineTest, DeviceRecordsAreFilledAsTheBuffersExpect) {
    NoiseEngine engine(folder.str(), qf::test::offlineOutputs());
    ASSERT_TRUE(engine.Initialise(panel, messages, 42));
    EXPECT_EQ(engine.bufferDescription().flags, 0x80E2u);
    const auto& format = engine.waveFormat();
    EXPECT_EQ(format.formatTag, 1);
    EXPECT_EQ(format.channels, 2);
    EXPECT_EQ(format.blockAlign, 4);
    EXPECT_EQ(format.bitsPerSample, 16);
    EXPECT_EQ(engine.soundDevice()->cooperativeWindow(), 42u);
}

TEST_F(NoiseEngineTest, NoDeviceShowsTheMessageAndLeavesEveryControlHarmless) {
    NoiseEngine engine(folder.str(), qf::test::missingOutputs());
    qf::MixerControls controls(engine, panel);
    panel.controls = &controls;
    bool restored = false;
    engine.setRestoreStep([&] { restored = true; });

    EXPECT_FALSE(engine.Initialise(panel, messages, 1));
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0],
              "Error. Please check you have DirectX8 or later.\nno output device here");
    EXPECT_FALSE(restored);
    EXPECT_FALSE(engine.hasDevice());

    for (int row = 1; row <= 5; ++row) {
        EXPECT_EQ(engine.buffer(row), nullptr);
        panel.setCheckState(row, 1);
        panel.setVolumeValue(row, -200);
        panel.setFrequencyValue(row, 8000);
    }
    controls.panChanged(3000);
    controls.mute();
    controls.mute();
    controls.resetAll();
    controls.refreshReadouts();
    engine.StopSound();
    EXPECT_EQ(panel.readouts[0], "");
}

TEST_F(NoiseEngineTest, StoredMixIsRestoredBetweenChannelsAndVolumes) {
    NoiseEngine engine(folder.str(), qf::test::offlineOutputs());
    qf::MixerControls controls(engine, panel);
    panel.controls = &controls;
    bool channelsExisted = false;
    engine.setRestoreStep([&] {
        channelsExisted = engine.buffer(1) != nullptr && engine.buffer(5) != nullptr;
        // Set directly, as if the slider already held this value: the volume must still reach
        // the channel afterwards.
        panel.volumes[2] = -1200;
    });
    ASSERT_TRUE(engine.Initialise(panel, messages, 1));
    EXPECT_TRUE(channelsExisted);
    EXPECT_EQ(engine.buffer(3)->GetVolume(), -1200);
    EXPECT_EQ(engine.buffer(1)->GetVolume(), 0);
}

TEST_F(NoiseEngineTest, MissingRecordingDisablesOnlyItsRow) {
    folder.remove("PINK_NOISE.WAV");
    NoiseEngine engine(folder.str(), qf::test::offlineOutputs());
    ASSERT_TRUE(engine.Initialise(panel, messages, 1));
    EXPECT_EQ(engine.buffer(2), nullptr);
    EXPECT_NE(panel.unavailable[1].find("Pink_Noise.Wav"), std::string::npos)
        << panel.unavailable[1];
    for (int row : {1, 3, 4, 5}) {
        EXPECT_NE(engine.buffer(row), nullptr);
        EXPECT_TRUE(panel.unavailable[row - 1].empty());
    }
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(NoiseEngineTest, UnreadableRecordingDisablesItsRowWithTheReason) {
    folder.remove("violet.Wav");
    std::FILE* junk = std::fopen((folder.path() / "violet.Wav").c_str(), "wb");
    std::fputs("RIFF\x10\0\0\0WAVEjunk that is not audio", junk);
    std::fclose(junk);
    NoiseEngine engine(folder.str(), qf::test::offlineOutputs());
    ASSERT_TRUE(engine.Initialise(panel, messages, 1));
    EXPECT_EQ(engine.buffer(4), nullptr);
    EXPECT_NE(panel.unavailable[3].find("violet.Wav"), std::string::npos);
}

TEST_F(NoiseEngineTest, StopSoundStopsAndRewindsEveryChannel) {
    NoiseEngine engine(folder.str(), qf::test::offlineOutputs());
    ASSERT_TRUE(engine.Initialise(panel, messages, 1));
    auto& mixer = engine.soundDevice()->mixer();
    for (int row = 1; row <= 5; ++row) {
        engine.buffer(row)->Play(qf::sound::DSBPLAY_LOOPING);
    }
    mixer.render(4800);
    engine.StopSound();
    mixer.render(4800);
    for (int row = 1; row <= 5; ++row) {
        EXPECT_FALSE(engine.buffer(row)->IsPlaying()) << row;
        EXPECT_EQ(engine.buffer(row)->GetCurrentPosition(), 0u) << row;
    }
    const auto quiet = mixer.render(480);
    for (float sample : quiet) {
        ASSERT_EQ(sample, 0.0f);
    }
}

TEST_F(NoiseEngineTest, LoadingConfigurationsOverAndOverKeepsTheVoicesSteady) {
    NoiseEngine engine(folder.str(), qf::test::offlineOutputs());
    ASSERT_TRUE(engine.Initialise(panel, messages, 1));
    auto& channels = engine.channelDevice()->mixer();
    ASSERT_EQ(channels.liveVoices(), 5u);
    // Every Load Config makes a new device; none of them may take voices, and the channels go
    // on with the five they have.
    for (int i = 0; i < 1000; ++i) {
        ASSERT_TRUE(engine.replaceDevice(1));
        ASSERT_EQ(channels.liveVoices(), 5u) << "after " << i;
        ASSERT_EQ(engine.soundDevice()->mixer().liveVoices(), 0u) << "after " << i;
    }
    engine.buffer(1)->Play(qf::sound::DSBPLAY_LOOPING);
    channels.render(4800);
    float loudest = 0.0f;
    for (float sample : channels.render(4800)) {
        loudest = std::max(loudest, std::abs(sample));
    }
    EXPECT_GT(loudest, 0.01f);
}

} // namespace
