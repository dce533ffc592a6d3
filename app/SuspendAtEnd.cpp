#include "app/SuspendAtEnd.h"

#include "ui/MainWindow.h"

#include <QDir>

#include <cstdio>

namespace qf {

SuspendAtEnd::SuspendAtEnd(QString file, Suspend suspend, QObject* parent)
    : QObject(parent), choice_(std::move(file), false), suspend_(std::move(suspend)) {}

QString SuspendAtEnd::fileInConfigFolder() {
    return KeptSwitch::fileInConfigFolder("suspend-at-end");
}

void SuspendAtEnd::setWanted(bool wanted) {
    if (!choice_.set(wanted)) {
        std::fprintf(stderr, "quietfield: could not keep Suspend at the End in %s\n",
                     qPrintable(QDir::toNativeSeparators(choice_.file())));
    }
}

void SuspendAtEnd::follow(MainWindow* main) {
    QAction* check = main->menu().sleepSuspendAction;
    check->setChecked(wanted());
    connect(check, &QAction::triggered, this, &SuspendAtEnd::setWanted);
}

void SuspendAtEnd::atEnd(const std::function<bool()>& storeMix) {
    if (!wanted() || asked_) {
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

} // namespace qf
