#include "recorder/SaveWindow.h"
#include "tests/fixtures/TemporaryHome.h"
#include "tests/fixtures/TestDoubles.h"
#include "tests/recorder/FakeMedia.h"

#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <string>

namespace {

using qf::SaveWindow;

class SaveWindowTest : public ::testing::Test {
protected:
    SaveWindowTest() {
        window = new SaveWindow(homeDir.str(), media, &messages);
        window->show();
    }
    ~SaveWindowTest() override { delete window; }

    void typeAndSave(const QString& name) {
        QTest::keyClicks(window->nameBox(), name);
        QTest::mouseClick(window->saveButton(), Qt::LeftButton);
    }
    std::string home() const { return homeDir.str(); }

    // "C:\" is the home folder; a known one makes the real path predictable.
    qf::test::TemporaryHome homeDir;
    qf::test::FakeMedia media;
    qf::test::RecordingMessages messages;
    QPointer<SaveWindow> window;
};

TEST_F(SaveWindowTest, AsksForANameWithTheFocusInTheTextBox) {
    EXPECT_EQ(window->objectName(), "Form10");
    EXPECT_EQ(window->windowTitle(), "Save");
    EXPECT_EQ(window->size(), QSize(257, 119));
    EXPECT_EQ(window->instructionLabel()->text(),
              "Type a name for your sound. It will be saved in the root of your C drive");
    // Taller than first drawn, to hold two lines of today's fonts, and still above the name box.
    EXPECT_EQ(window->instructionLabel()->geometry(), QRect(16, 16, 225, 31));
    EXPECT_EQ(window->findChild<QLineEdit*>("Text1")->geometry(), QRect(16, 48, 225, 25));
    EXPECT_EQ(window->findChild<QPushButton*>("Command1")->text(), "Save");
    EXPECT_EQ(window->focusWidget(), window->nameBox());
    EXPECT_EQ(window->nameBox()->nextInFocusChain(), window->saveButton());
}

TEST_F(SaveWindowTest, EnterInTheNameBoxDoesNotSave) {
    QTest::keyClicks(window->nameBox(), "half");
    QTest::keyClick(window->nameBox(), Qt::Key_Return);
    QTest::keyClick(window->nameBox(), Qt::Key_Enter);
    EXPECT_TRUE(media.sent.empty());
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(SaveWindowTest, SavedNameIsSentAsTypedAndTheMessageGivesTheRealPath) {
    typeAndSave("rain on a roof.wav");
    ASSERT_EQ(media.sent.size(), 1u);
    EXPECT_EQ(media.sent[0], "save capture c:\\rain on a roof.wav.wav");
    EXPECT_EQ(media.lengths[0], 0u);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0],
              "File Saved: C:\\rain on a roof.wav.wav\n" + home() + "/rain on a roof.wav.wav");
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(window) << "the window unloads after a save";
}

TEST_F(SaveWindowTest, FailedSaveSaysWhyAndKeepsTheWindowWithTheName) {
    media.errors["save capture c:\\no\\such\\folder.wav"] = 7;
    typeAndSave("no\\such\\folder");
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0], "File Not Saved: C:\\no\\such\\folder.wav\n" + home() +
                                     "/no/such/folder.wav\nthe device said no (7)");
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_TRUE(window);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->nameBox()->text(), "no\\such\\folder");

    // Corrected, it saves and goes.
    window->nameBox()->setText("folder");
    QTest::mouseClick(window->saveButton(), Qt::LeftButton);
    EXPECT_EQ(media.sent.back(), "save capture c:\\folder.wav");
    EXPECT_EQ(messages.shown.back(), "File Saved: C:\\folder.wav\n" + home() + "/folder.wav");
}

TEST_F(SaveWindowTest, AnEmptyOrBlankNameIsRefusedAndTheWindowKeepsIt) {
    std::size_t refusals = 0;
    for (const QString& name : {QString(), QStringLiteral("   ")}) {
        window->nameBox()->setText(name);
        QTest::mouseClick(window->saveButton(), Qt::LeftButton);
        ASSERT_EQ(messages.shown.size(), ++refusals);
        EXPECT_EQ(messages.shown.back().rfind("File Not Saved", 0), 0u) << messages.shown.back();
        EXPECT_NE(messages.shown.back().find("no name"), std::string::npos);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        ASSERT_TRUE(window);
        EXPECT_TRUE(window->isVisible());
        EXPECT_EQ(window->nameBox()->text(), name);
    }
    EXPECT_TRUE(media.sent.empty()) << "nothing may be written for an empty name";
}

} // namespace
