#include "QtMessageBox.h"

#include <QMessageBox>

namespace qf {

void QtMessageBox::show(const std::string& text) {
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Quietfield"), QString::fromStdString(text),
                    QMessageBox::Ok, parent_);
    box.exec();
}

} // namespace qf
