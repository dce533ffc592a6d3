#include "app/SuspendAtEnd.h"

#include "platform/files/AtomicFile.h"
#include "platform/files/UserFolders.h"
#include "ui/MainWindow.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdio>

namespace qf {

namespace {
// Anything longer was not written by us.
constexpr qint64 kLongestFile = 64;
} // namespace

SuspendAtEnd::SuspendAtEnd(QString file, Suspend suspend, QObject* parent)
    : QObject(parent), file_(std::move(file)), suspend_(std::move(suspend)) {
    QFile stored(file_);
    if (!file_.isEmpty() && stored.open(QIODevice::ReadOnly) && stored.size() <= kLongestFile) {
        wanted_ = stored.readAll().trimmed() == "1";
    }
}

QString SuspendAtEnd::fileInConfigFolder() {
    const std::filesystem::path config = UserFolders::configHome();
    return config.empty() ? QString()
                          : QFile::decodeName((config / "quietfield" / "suspend-at-end").c_str());
}

void SuspendAtEnd::setWanted(bool wanted) {
    wanted_ = wanted;
    if (!save()) {
        std::fprintf(stderr, "quietfield: could not keep Suspend at the End in %s\n",
                     qPrintable(QDir::toNativeSeparators(file_)));
    }
}

void SuspendAtEnd::follow(MainWindow* main) {
    QAction* check = main->menu().sleepSuspendAction;
    check->setChecked(wanted_);
    connect(check, &QAction::triggered, this, &SuspendAtEnd::setWanted);
}

void SuspendAtEnd::atEnd(const std::function<bool()>& storeMix) {
    if (!wanted_ || asked_) {
        return;
    }
    asked_ = true;
    // Suspended with the mix unsaved, it would be lost if the machine never wakes.
    if (!storeMix()) {
        std::fputs("quietfield: could not keep the mix before suspending\n", stderr);
    }
    QString error;
    if (!suspend_(error)) {
        std::fprintf(stderr, "quietfield: could not suspend: %s\n", qPrintable(error));
    }
}

bool SuspendAtEnd::save() const {
    if (file_.isEmpty() || !QDir().mkpath(QFileInfo(file_).absolutePath())) {
        return false;
    }
    const std::string_view content = wanted_ ? "1\n" : "0\n";
    std::string error;
    return AtomicFile::replace(QFile::encodeName(file_).toStdString(), content, error);
}

} // namespace qf
