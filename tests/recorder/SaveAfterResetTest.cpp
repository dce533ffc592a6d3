// The recorder and its save window over the real media device (with a fake sound card): a save
// window left open across Reset must not put the empty recording in place of a good file.

#include "platform/mci/MediaControl.h"
#include "recorder/RecorderWindow.h"
#include "recorder/SaveWindow.h"
#include "tests/fixtures/TemporaryHome.h"
#include "tests/fixtures/TestDoubles.h"
#include "tests/mci/FakeAudioPorts.h"

#include <QLineEdit>
#include <QPointer>
#include <QTest>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

std::vector<char> fileBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class SaveAfterResetTest : public ::testing::Test {
protected:
    SaveAfterResetTest() {
        recorder = new qf::RecorderWindow(appFolder(), media);
        recorder->show();
    }
    ~SaveAfterResetTest() override {
        delete saveWindow;
        delete recorder;
    }

    std::string appFolder() const { return homeDir.str(); }
    fs::path home() const { return homeDir.path(); }
    void click(QPushButton* button) { QTest::mouseClick(button, Qt::LeftButton); }

    // Record about a second of sound (the fake card runs faster than real time), then Stop.
    void recordASecond() {
        click(recorder->controls().recordButton);
        ASSERT_TRUE(QTest::qWaitFor([&] { return media.device()->length() >= 176400; }, 5000));
        click(recorder->controls().stopButton);
    }
    void openSaveWindowAndType(const QString& name) {
        // What the recorder's Save button opens in the program.
        ASSERT_TRUE(recorder->controls().saveButton->isEnabled());
        saveWindow = new qf::SaveWindow(appFolder(), media, &messages);
        saveWindow->show();
        QTest::keyClicks(saveWindow->nameBox(), name);
    }

    qf::test::TemporaryHome homeDir;
    std::shared_ptr<qf::mci::fake::FakeSound> sound = std::make_shared<qf::mci::fake::FakeSound>();
    qf::mci::MediaControl media{std::make_unique<qf::mci::fake::FakeAudioPorts>(sound),
                                homeDir.path() / "cache"};
    qf::test::RecordingMessages messages;
    QPointer<qf::RecorderWindow> recorder;
    QPointer<qf::SaveWindow> saveWindow;
};

TEST_F(SaveAfterResetTest, ResetWithTheSaveWindowOpenLeavesTheGoodFileAndSaysNothingWasSaved) {
    recordASecond();
    openSaveWindowAndType("good");
    click(saveWindow->saveButton());
    ASSERT_EQ(messages.shown.size(), 1u);
    ASSERT_EQ(messages.shown[0].rfind("File Saved: C:\\good.wav", 0), 0u) << messages.shown[0];
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    const fs::path good = home() / "good.wav";
    const std::vector<char> goodBytes = fileBytes(good);
    ASSERT_GT(goodBytes.size(), 176400u);

    recordASecond();
    openSaveWindowAndType("good");
    click(recorder->controls().resetButton);
    click(saveWindow->saveButton());

    EXPECT_EQ(fileBytes(good), goodBytes) << "the good file was touched";
    ASSERT_EQ(messages.shown.size(), 2u);
    const std::string& said = messages.shown[1];
    EXPECT_EQ(said.rfind("File Not Saved: C:\\good.wav", 0), 0u) << said;
    EXPECT_NE(said.find("nothing was recorded"), std::string::npos) << said;
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_TRUE(saveWindow) << "the window stays for another name";
    EXPECT_TRUE(saveWindow->isVisible());
    EXPECT_EQ(saveWindow->nameBox()->text(), "good");

    // Where no file stands in the way, the empty recording is written as asked.
    saveWindow->nameBox()->setText("fresh");
    click(saveWindow->saveButton());
    EXPECT_EQ(messages.shown.back().rfind("File Saved: C:\\fresh.wav", 0), 0u)
        << messages.shown.back();
    EXPECT_EQ(fs::file_size(home() / "fresh.wav"), 44u);
    EXPECT_EQ(fileBytes(good), goodBytes);
}

} // namespace
