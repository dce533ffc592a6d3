#include "platform/toolkit/QtMessageBox.h"

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QTextLayout>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace {

// The text as the box shows it, line by line at the label's width: the widest line and the
// height all the lines take.
struct Laid {
    qreal widest = 0;
    qreal height = 0;
};
Laid layOut(const QLabel& label) {
    QTextLayout layout(label.text(), label.font());
    QTextOption option;
    option.setWrapMode(QTextOption::WordWrap);
    layout.setTextOption(option);
    const int width = label.contentsRect().width();
    Laid laid;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        laid.widest = std::max(laid.widest, line.naturalTextWidth());
        laid.height += line.height();
    }
    layout.endLayout();
    return laid;
}

TEST(QtMessageBoxTest, ALongPathWrapsWithinTheBoxAndIsShownWhole) {
    // A name typed with folders and no blanks, as the save window reports it: neither line has
    // a blank to break at.
    const std::string name = "field_recordings\\spring_2026\\dawn_chorus_behind_the_house_with_"
                             "the_blackbird_and_the_robin";
    std::string real = name;
    std::replace(real.begin(), real.end(), '\\', '/');
    const std::string text = "File Saved: C:\\" + name + ".wav\n/home/someone/" + real + ".wav";
    QWidget owner;
    owner.show();
    bool looked = false;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        // Dismissed however the checks go, so a failure does not hang the run.
        QTimer::singleShot(0, box, &QDialog::accept);
        const auto* label = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
        ASSERT_NE(label, nullptr);
        looked = true;
        EXPECT_LE(box->width(), 600);
        QString shown = label->text();
        shown.remove(QChar(0x200B));
        EXPECT_EQ(shown.toStdString(), text) << "the whole text, nothing left out";
        const Laid laid = layOut(*label);
        EXPECT_LE(laid.widest, label->contentsRect().width()) << "a line is cut off";
        EXPECT_LE(laid.height, label->contentsRect().height()) << "lines are cut off";
    });
    qf::QtMessageBox(&owner).show(text);
    EXPECT_TRUE(looked);
}

} // namespace
