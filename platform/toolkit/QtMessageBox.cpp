#include "QtMessageBox.h"

#include <QMessageBox>

#include <cstdio>

namespace qf {

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
                        QString::fromStdString(text), QMessageBox::Ok, parent_);
    box->exec();
    delete box;
}

} // namespace qf
