#include "platform/toolkit/QtMessageBox.h"

#include <QMessageBox>

#include <cstdio>

namespace qf {

namespace {

// A box whose text is one long path has nowhere to break a line, so it grows as wide as the
// screen and still cuts the path off. A zero-width space after each folder separator, and in
// any other long run without a blank, gives it places to wrap without showing anything.
QString withLineBreaks(const QString& text) {
    constexpr int kLongestRun = 30;
    constexpr QChar kBreak(0x200B);
    QString broken;
    broken.reserve(text.size() + text.size() / 8);
    int run = 0;
    for (const QChar c : text) {
        broken.append(c);
        if (c.isSpace()) {
            run = 0;
            continue;
        }
        ++run;
        // Never between the halves of a character outside the basic plane.
        if (c.isHighSurrogate()) {
            continue;
        }
        if (c == QLatin1Char('/') || c == QLatin1Char('\\') || run >= kLongestRun) {
            broken.append(kBreak);
            run = 0;
        }
    }
    return broken;
}

} // namespace

void QtMessageBox::show(const std::string& text) {
    if (toStandardError_) {
        if (!text.empty()) {
            std::fprintf(stderr, "quietfield: %s\n", text.c_str());
        }
        return;
    }
    // Held by a guarded pointer: should the window it sits on go while the box waits, the box
    // goes with it and is not deleted twice.
    QPointer<QMessageBox> box =
        new QMessageBox(QMessageBox::NoIcon, QStringLiteral("Quietfield"),
                        withLineBreaks(QString::fromStdString(text)), QMessageBox::Ok, parent_);
    box->exec();
    delete box;
}

} // namespace qf
