#include "platform/toolkit/QtCommonDialog.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <random>

namespace {

namespace fs = std::filesystem;

// Acts on the file dialog once it is up and waiting for the user.
void whenDialogOpens(const std::function<void(QFileDialog&)>& act) {
    QTimer::singleShot(0, [act] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        act(*dialog);
    });
}

class CommonDialogTest : public ::testing::Test {
protected:
    CommonDialogTest() {
        folder =
            fs::temp_directory_path() / ("qf-dialog-" + std::to_string(std::random_device{}()));
        fs::create_directories(folder);
        dialog.Filter = "Quietfield Files (*.qfc)| *.qfc";
        dialog.InitDir = folder.string();
    }
    ~CommonDialogTest() override { fs::remove_all(folder); }

    fs::path folder;
    qf::QtCommonDialog dialog;
};

TEST_F(CommonDialogTest, FilterReadsAsOneDescriptionWithItsPattern) {
    EXPECT_EQ(qf::QtCommonDialog::nameFilters("Quietfield Files (*.qfc)| *.qfc"),
              QStringLiteral("Quietfield Files (*.qfc)"));
    EXPECT_EQ(qf::QtCommonDialog::nameFilters("Text|*.txt|All|*"),
              QStringLiteral("Text (*.txt);;All (*)"));
}

TEST_F(CommonDialogTest, TypedNewNameIsReturnedWholeWithoutAnExtension) {
    QString startedIn;
    QStringList filters;
    whenDialogOpens([&](QFileDialog& open) {
        startedIn = open.directory().absolutePath();
        filters = open.nameFilters();
        auto* name = open.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        ASSERT_NE(name, nullptr);
        name->setText(QStringLiteral("late evening"));
        static_cast<QDialog&>(open).accept();
    });
    dialog.ShowOpen();
    EXPECT_EQ(startedIn.toStdString(), fs::canonical(folder).string());
    EXPECT_EQ(filters, QStringList{QStringLiteral("Quietfield Files (*.qfc)")});
    EXPECT_EQ(fs::path(dialog.FileName), fs::canonical(folder) / "late evening");
}

TEST_F(CommonDialogTest, CancellingLeavesTheNameEmpty) {
    dialog.FileName = "/earlier/choice.qfc";
    whenDialogOpens([](QFileDialog& open) { open.reject(); });
    dialog.ShowOpen();
    EXPECT_TRUE(dialog.FileName.empty());
}

} // namespace
