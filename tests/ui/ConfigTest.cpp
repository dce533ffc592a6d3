#include "app/ConfigCommands.h"
#include "audio/OfflineOutput.h"
#include "tests/fixtures/FakeAppFolder.h"
#include "tests/fixtures/TestDoubles.h"
#include "ui/ChannelCheckBox.h"
#include "ui/MainWindow.h"

#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <vector>

namespace {

using qf::MainWindow;
using qf::test::NoOutput;
using qf::test::RecordingMessages;
namespace fs = std::filesystem;

// Answers the file dialog with whatever the test put in `answer`.
class ScriptedDialog final : public qf::CommonDialog {
public:
    void ShowOpen() override {
        ++shows;
        FileName = answer;
    }
    std::string answer;
    int shows = 0;
};

std::string contents(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

void put(const fs::path& file, const std::string& text) {
    std::ofstream(file, std::ios::binary) << text;
}

// The recording's own rate of row `row`, as the fake program folder made it.
int ownRate(int row) {
    const char* files[] = {"Brown_Noise.Wav", "Pink_Noise.Wav", "Blue_Noise.Wav", "violet.Wav",
                           "White_Noise.Wav"};
    return qf::test::FakeAppFolder::rateOf(files[row - 1]);
}

// The five frequency fields of a first run, the rates that were heard; `row`, if given, at
// `frequency` instead.
std::string ownRates(int row = 0, int frequency = 0) {
    std::ostringstream text;
    for (int r = 1; r <= 5; ++r) {
        text << (r > 1 ? "," : "") << (r == row ? frequency : ownRate(r));
    }
    return text.str();
}

class ConfigTest : public ::testing::Test {
protected:
    void open(const std::function<void()>& beforeLoad = {}) {
        window = std::make_unique<MainWindow>(
            folder.str(), messages, qf::ConfigCommands::inFolder(folder.str()),
            [this]() -> std::unique_ptr<qf::sound::AudioOutput> {
                if (devicesLeft-- > 0) {
                    return std::make_unique<qf::sound::OfflineOutput>();
                }
                return std::make_unique<NoOutput>();
            },
            &dialog);
        ui = &window->controlsLayout();
        if (beforeLoad) {
            beforeLoad();
        }
        window->load();
    }

    qf::sound::VoiceHandle& channel(int row) { return *window->engine().buffer(row); }
    fs::path settingsFile() const { return folder.path() / "settings.ini"; }

    std::vector<int> values() {
        std::vector<int> v;
        for (int row = 1; row <= 5; ++row) {
            v.push_back(window->checkState(row));
        }
        for (int row = 1; row <= 5; ++row) {
            v.push_back(window->volumeValue(row));
        }
        for (int row = 1; row <= 5; ++row) {
            v.push_back(window->frequencyValue(row));
        }
        return v;
    }

    qf::test::FakeAppFolder folder;
    RecordingMessages messages;
    ScriptedDialog dialog;
    int devicesLeft = 100;
    std::unique_ptr<MainWindow> window;
    qf::MainWindowLayout* ui = nullptr;
};

// The sliders take the rates the channels play at, so the next start plays what was heard, not
// every row at 1000 Hz.
TEST_F(ConfigTest, FirstRunKeepsTheRatesThatWereHeard) {
    open();
    window->close();
    EXPECT_EQ(contents(settingsFile()), "0,0,0,0,0,0,0,0,0,0," + ownRates() + "\r\n");
    EXPECT_TRUE(messages.shown.empty());

    open();
    for (int row = 1; row <= 5; ++row) {
        EXPECT_EQ(channel(row).GetFrequency(), static_cast<std::uint32_t>(ownRate(row)));
    }
}

TEST_F(ConfigTest, AStored1000StillMeans1000Hz) {
    put(settingsFile(), "0,0,0,0,0,0,0,0,0,0,1000,1000,1000,1000,1000\r\n");
    open();
    for (int row = 1; row <= 5; ++row) {
        EXPECT_EQ(window->frequencyValue(row), 1000);
        EXPECT_EQ(channel(row).GetFrequency(), 1000u);
    }
}

TEST_F(ConfigTest, NoOutputAtStartLeavesTheStoredMixAloneAndPlaysItOnceTheOutputAppears) {
    const std::string mix = "0,1,0,0,0,0,-600,0,0,0,1000,9000,1000,1000,1000\r\n";
    put(settingsFile(), mix);
    // An output that is missing at first and turns up on the third look.
    int looks = 0;
    class LateOutput final : public qf::sound::AudioOutput {
    public:
        explicit LateOutput(int& looks) : looks_(looks) {}
        bool open(int rate, std::string&) override {
            rate_ = rate;
            return true;
        }
        bool openWhenAvailable(int rate, std::string& reason) override {
            rate_ = rate;
            reason = "Connection refused";
            return false;
        }
        bool openedLater() const override { return ++looks_ >= 3; }
        int sampleRate() const override { return rate_; }
        void start(qf::sound::Mixer&) override {}

    private:
        int& looks_;
        int rate_ = 0;
    };
    window = std::make_unique<MainWindow>(
        folder.str(), messages, qf::ConfigCommands::inFolder(folder.str()),
        [&] { return std::make_unique<LateOutput>(looks); }, &dialog);
    window->load();
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0],
              "Error. Please check you have DirectX8 or later.\nConnection refused");
    EXPECT_FALSE(window->engine().started());
    EXPECT_EQ(window->checkState(2), 0) << "nothing stored is applied without a device";
    window->controlsLayout().panSlider->setValue(-2000);

    ASSERT_TRUE(QTest::qWaitFor([&] { return window->engine().started(); }, 3000));
    EXPECT_FALSE(window->outputWatch().isActive());
    EXPECT_TRUE(channel(2).IsPlaying());
    EXPECT_EQ(channel(2).GetVolume(), -600);
    EXPECT_EQ(channel(2).GetFrequency(), 9000u);
    EXPECT_EQ(channel(2).GetPan(), -2000) << "the pan moved while waiting was lost";
    window->close();
    EXPECT_EQ(contents(settingsFile()), mix);
}

TEST_F(ConfigTest, StoredMixStartsItsRowsBeforeTheirVolumesArrive) {
    put(settingsFile(), "0,1,0,1,0,0,-1200,0,-3000,0,1000,1000,8000,22050,1000\r\n");
    bool playingWhenTicked = false;
    int volumeWhenTicked = 1;
    open([&] {
        QObject::connect(ui->checkBoxes[1], &qf::ChannelCheckBox::valueChanged, [&] {
            playingWhenTicked = channel(2).IsPlaying();
            volumeWhenTicked = channel(2).GetVolume();
        });
    });
    EXPECT_TRUE(playingWhenTicked);
    EXPECT_EQ(volumeWhenTicked, 0) << "the row started before the file's volumes were applied";
    EXPECT_TRUE(channel(2).IsPlaying());
    EXPECT_TRUE(channel(4).IsPlaying());
    EXPECT_FALSE(channel(1).IsPlaying());
    EXPECT_EQ(std::filesystem::path(window->pictureShown().toStdString()).filename(), "violet.jpg");
    EXPECT_EQ(channel(2).GetVolume(), -1200);
    EXPECT_EQ(channel(4).GetVolume(), -3000);
    // A frequency equal to the slider's own value still reaches the channel.
    EXPECT_EQ(channel(1).GetFrequency(), 1000);
    EXPECT_EQ(channel(3).GetFrequency(), 8000);
    EXPECT_EQ(channel(4).GetFrequency(), 22050);
    EXPECT_EQ(values(), (std::vector<int>{0, 1, 0, 1, 0, 0, -1200, 0, -3000, 0, 1000, 1000, 8000,
                                          22050, 1000}));
}

TEST_F(ConfigTest, FifteenLinesAndExtraFieldsReadLikeTheWrittenLine) {
    put(settingsFile(), "1\n0\n0\n0\n0\n-10\n0\n0\n0\n0\n2000\n1000\n1000\n1000\n1000\n7,8,9\n");
    open();
    EXPECT_TRUE(channel(1).IsPlaying());
    EXPECT_EQ(channel(1).GetVolume(), -10);
    EXPECT_EQ(channel(1).GetFrequency(), 2000);
}

TEST_F(ConfigTest, BrokenSettingsFileIsSetAsideAndReplacedAtExit) {
    put(settingsFile(), "1,1,1,1,1,0,0,abc");
    open();
    for (int row = 1; row <= 5; ++row) {
        EXPECT_FALSE(channel(row).IsPlaying()) << "nothing of a broken file is applied";
    }
    EXPECT_EQ(contents(folder.path() / "settings.ini.bad"), "1,1,1,1,1,0,0,abc");
    EXPECT_TRUE(messages.shown.empty()) << "told only once start-up is over";
    QTest::qWait(20);
    ASSERT_EQ(messages.shown.size(), 1u) << "told once";
    const std::string& report = messages.shown[0];
    EXPECT_NE(report.find(settingsFile().string()), std::string::npos) << report;
    EXPECT_NE(report.find("field 8 (row 3 volume)"), std::string::npos) << report;
    EXPECT_NE(report.find("\"abc\" is not a whole number"), std::string::npos) << report;
    EXPECT_NE(report.find(settingsFile().string() + ".bad"), std::string::npos) << report;
    window->close();
    EXPECT_EQ(contents(settingsFile()), "0,0,0,0,0,0,0,0,0,0," + ownRates() + "\r\n");
    EXPECT_EQ(messages.shown.size(), 1u);
}

TEST_F(ConfigTest, SaveThenLoadTheSameFileChangesAndRestartsNothing) {
    open();
    window->setCheckState(3, 1);
    window->setVolumeValue(3, -700);
    window->setFrequencyValue(3, 9000);
    window->engine().channelDevice()->mixer().render(4800);
    const auto position = channel(3).GetCurrentPosition();
    const fs::path file = folder.path() / "mine";
    dialog.answer = file.string();

    window->menu().saveConfigAction->trigger();
    EXPECT_EQ(contents(file), "0,0,1,0,0,0,0,-700,0,0," + ownRates(3, 9000) + "\r\n")
        << "saved under exactly the name typed, with no extension added";

    std::vector<std::unique_ptr<QSignalSpy>> spies;
    for (int i = 0; i < 5; ++i) {
        spies.push_back(
            std::make_unique<QSignalSpy>(ui->checkBoxes[i], &qf::ChannelCheckBox::valueChanged));
        spies.push_back(
            std::make_unique<QSignalSpy>(ui->volumeSliders[i], &QScrollBar::valueChanged));
        spies.push_back(
            std::make_unique<QSignalSpy>(ui->frequencySliders[i], &QScrollBar::valueChanged));
    }
    window->menu().loadConfigAction->trigger();
    for (const auto& spy : spies) {
        EXPECT_EQ(spy->count(), 0);
    }
    EXPECT_TRUE(channel(3).IsPlaying());
    EXPECT_GE(channel(3).GetCurrentPosition(), position) << "not restarted";
    EXPECT_EQ(channel(3).GetVolume(), -700);
    EXPECT_EQ(messages.shown, (std::vector<std::string>{file.string(), file.string()}));
    EXPECT_EQ(dialog.Filter, "Quietfield Files (*.qfc)| *.qfc");
    EXPECT_EQ(dialog.InitDir, folder.str());
}

TEST_F(ConfigTest, LoadStartsStopsAndKeepsRowsAsTheFileSays) {
    open();
    window->setCheckState(1, 1);
    window->setCheckState(2, 1);
    const fs::path file = folder.path() / "evening.qfc";
    put(file, "1,0,1,0,0,0,0,0,0,0,1000,1000,1000,1000,1000\r\n");
    dialog.answer = file.string();
    window->menu().loadConfigAction->trigger();
    EXPECT_TRUE(channel(1).IsPlaying());
    EXPECT_FALSE(channel(2).IsPlaying());
    EXPECT_TRUE(channel(3).IsPlaying());
    EXPECT_EQ(channel(2).GetFrequency(), 1000);
    EXPECT_NE(window->engine().soundDevice(), window->engine().channelDevice())
        << "loading makes a new device";
}

TEST_F(ConfigTest, LoadingWhileMutedKeepsTheVolumesSavedByMute) {
    open();
    window->setVolumeValue(1, -400);
    window->mixer().mute();
    const fs::path file = folder.path() / "loud.qfc";
    put(file, "0,0,0,0,0,-100,-100,-100,-100,-100,1000,1000,1000,1000,1000\r\n");
    dialog.answer = file.string();
    ui->panSlider->setValue(2000);
    window->menu().loadConfigAction->trigger();
    EXPECT_EQ(window->mixer().muteState(), 1);
    EXPECT_EQ(channel(2).GetVolume(), -100);
    EXPECT_EQ(ui->panSlider->value(), 2000) << "pan is not part of a mix";
    window->mixer().mute();
    EXPECT_EQ(window->volumeValue(1), -400);
    EXPECT_EQ(window->volumeValue(2), 0);
    EXPECT_EQ(channel(1).GetVolume(), -400);
}

TEST_F(ConfigTest, BrokenConfigurationIsNamedAndChangesNothing) {
    open();
    window->setCheckState(5, 1);
    const auto before = values();
    const fs::path file = folder.path() / "broken.qfc";
    put(file, "1,1,1,1,1,0,0,0,0,0,1000,1000,1000,1000,99999\r\n");
    dialog.answer = file.string();
    window->menu().loadConfigAction->trigger();
    ASSERT_EQ(messages.shown.size(), 2u);
    EXPECT_EQ(messages.shown[0], file.string());
    EXPECT_NE(messages.shown[1].find(file.string()), std::string::npos) << messages.shown[1];
    EXPECT_NE(messages.shown[1].find("15"), std::string::npos) << "names the field";
    EXPECT_EQ(values(), before);
    EXPECT_FALSE(channel(1).IsPlaying());
}

TEST_F(ConfigTest, CancellingShowsAnEmptyBoxAndNothingElse) {
    open();
    dialog.answer.clear();
    window->menu().loadConfigAction->trigger();
    window->menu().saveConfigAction->trigger();
    EXPECT_EQ(messages.shown, (std::vector<std::string>{"", ""}));
    EXPECT_EQ(window->engine().soundDevice(), window->engine().channelDevice());
}

TEST_F(ConfigTest, NoNewDeviceAbandonsTheLoad) {
    devicesLeft = 1;
    open();
    const fs::path file = folder.path() / "x.qfc";
    put(file, "1,1,1,1,1,0,0,0,0,0,1000,1000,1000,1000,1000\r\n");
    dialog.answer = file.string();
    window->menu().loadConfigAction->trigger();
    ASSERT_EQ(messages.shown.size(), 2u);
    EXPECT_EQ(messages.shown[1], "Unable to Continue, Error creating Directsound object.");
    EXPECT_EQ(window->checkState(1), 0);
    EXPECT_FALSE(channel(1).IsPlaying());
}

TEST_F(ConfigTest, SaveThatCannotWriteSaysWhyAndChangesNothing) {
    open();
    put(folder.path() / "plain-file", "x");
    const fs::path file = folder.path() / "plain-file" / "mix.qfc";
    dialog.answer = file.string();
    const auto before = values();
    window->menu().saveConfigAction->trigger();
    ASSERT_EQ(messages.shown.size(), 2u);
    EXPECT_NE(messages.shown[1].find("not saved"), std::string::npos) << messages.shown[1];
    EXPECT_EQ(values(), before);
    EXPECT_FALSE(fs::exists(file));
}

TEST_F(ConfigTest, SettingsFileLoadsLikeAnyConfiguration) {
    open();
    put(settingsFile(), "0,0,0,0,1,0,0,0,0,-5,1000,1000,1000,1000,1500\r\n");
    dialog.answer = settingsFile().string();
    window->menu().loadConfigAction->trigger();
    EXPECT_TRUE(channel(5).IsPlaying());
    EXPECT_EQ(channel(5).GetFrequency(), 1500);
}

} // namespace
