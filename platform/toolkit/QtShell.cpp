#include "platform/toolkit/QtShell.h"

#include <QDesktopServices>
#include <QString>
#include <QUrl>

namespace qf {

void QtShell::open(const std::string& path, std::uintptr_t /*ownerWindow*/) {
    // The desktop's opener takes no owner window. Its answer is ignored on purpose: a missing
    // document or a type with no viewer is for the desktop to tell the user about, not us.
    QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(path)));
}

void QtShell::openAt(const std::string& path, const std::string& section,
                     std::uintptr_t /*ownerWindow*/) {
    QUrl url = QUrl::fromLocalFile(QString::fromStdString(path));
    url.setFragment(QString::fromStdString(section));
    QDesktopServices::openUrl(url);
}

} // namespace qf
