// Opening the output: which outputs the root object accepts and what it builds on them.

#include "tests/audio/SoundTestKit.h"

#include "audio/Mixer.h"

#include <gtest/gtest.h>

namespace qf::sound {
namespace {

using namespace testkit;

// An output that records what is done to it and opens or fails as told.
class ScriptedOutput final : public AudioOutput {
public:
    struct Log {
        int opens = 0;
        int askedRate = 0;
        Mixer* startedWith = nullptr;
    };

    ScriptedOutput(Log& log, bool succeed, int rate, std::string failure = {})
        : log_(log), succeed_(succeed), rate_(rate), failure_(std::move(failure)) {}

    bool open(int preferredRate, std::string& reason) override {
        ++log_.opens;
        log_.askedRate = preferredRate;
        reason = failure_;
        return succeed_;
    }
    int sampleRate() const override { return rate_; }
    void start(Mixer& mixer) override { log_.startedWith = &mixer; }

private:
    Log& log_;
    bool succeed_;
    int rate_;
    std::string failure_;
};

TEST(DeviceTest, OpensTheOutputAndMixesAtTheRateItReports) {
    ScriptedOutput::Log log;
    DirectSound root([&] { return std::make_unique<ScriptedOutput>(log, true, 44100); });
    std::unique_ptr<SoundDevice> device;
    ASSERT_EQ(root.DirectSoundCreate("", device), SoundResult::Ok);
    ASSERT_NE(device, nullptr);
    EXPECT_EQ(log.opens, 1);
    EXPECT_EQ(log.askedRate, 48000);
    EXPECT_EQ(device->mixer().deviceRate(), 44100);
    // The output is started with the very mixer the device hands out buffers from.
    EXPECT_EQ(log.startedWith, &device->mixer());
}

TEST(DeviceTest, FailingOutputIsNoDriver) {
    ScriptedOutput::Log log;
    DirectSound root(
        [&] { return std::make_unique<ScriptedOutput>(log, false, 0, "server not running"); });
    std::unique_ptr<SoundDevice> device = offlineDevice();
    std::string reason;
    EXPECT_EQ(root.DirectSoundCreate("", device, &reason), SoundResult::NoDriver);
    EXPECT_EQ(device, nullptr);
    EXPECT_EQ(reason, "server not running");
    EXPECT_EQ(log.startedWith, nullptr);

    // Failing without saying why still gives a reason to show.
    DirectSound silent([&] { return std::make_unique<ScriptedOutput>(log, false, 0); });
    reason.clear();
    EXPECT_EQ(silent.DirectSoundCreate("", device, &reason), SoundResult::NoDriver);
    EXPECT_FALSE(reason.empty());

    DirectSound none([] { return std::unique_ptr<AudioOutput>(); });
    EXPECT_EQ(none.DirectSoundCreate("", device), SoundResult::NoDriver);
    EXPECT_EQ(device, nullptr);
}

TEST(DeviceTest, OnlyTheDefaultDeviceCanBeOpened) {
    ScriptedOutput::Log log;
    DirectSound root([&] { return std::make_unique<ScriptedOutput>(log, true, 48000); });
    std::unique_ptr<SoundDevice> device;
    std::string reason;
    for (const char* id : {"hw:0", "{DEF00000-9C6D-47ED-AAF1-4DDA8F2B5C03}", " "}) {
        SCOPED_TRACE(id);
        EXPECT_EQ(root.DirectSoundCreate(id, device, &reason), SoundResult::NoDriver);
        EXPECT_EQ(device, nullptr);
        EXPECT_FALSE(reason.empty());
    }
    EXPECT_EQ(log.opens, 0);
}

TEST(DeviceTest, CooperativeLevelTakesTheKnownLevels) {
    auto device = offlineDevice();
    EXPECT_EQ(device->SetCooperativeLevel(0x1234, DSSCL_NORMAL), SoundResult::Ok);
    EXPECT_EQ(device->cooperativeWindow(), 0x1234u);
    EXPECT_EQ(device->SetCooperativeLevel(0x5678, 0), SoundResult::InvalidParam);
    EXPECT_EQ(device->SetCooperativeLevel(0x5678, DSSCL_WRITEPRIMARY + 1),
              SoundResult::InvalidParam);
    EXPECT_EQ(device->cooperativeWindow(), 0x1234u);
}

TEST(DeviceTest, EveryResultHasADescription) {
    for (SoundResult result :
         {SoundResult::Ok, SoundResult::InvalidParam, SoundResult::ControlUnavailable,
          SoundResult::NoDriver, SoundResult::FileNotFound, SoundResult::BadFormat,
          SoundResult::OutOfVoices}) {
        const std::string text = describe(result);
        EXPECT_FALSE(text.empty());
        EXPECT_NE(text, "unknown");
    }
}

} // namespace
} // namespace qf::sound
