#include "ui/SplashWindow.h"

#include "ui/MakerTexts.h"

#include <QCloseEvent>
#include <QLabel>

#include <utility>

namespace qf {

SplashWindow::SplashWindow(std::string appFolder)
    : ToolWindow(std::move(appFolder), QString::fromUtf8(maker::kProgramName), 4560, 3165) {
    setObjectName(QStringLiteral("Form6"));
    setBackground(picture("background.jpg"));
    logo_ = addLogoBox(twips(120, 120, 4335, 2475));
    title_ = addCaptionLabel("Label1", QString::fromUtf8(maker::kProgramName),
                             twips(120, 2640, 2535, 375));
    title_->setFont(titleFont());
    ownership_ = addCaptionLabel("Label2", QString::fromUtf8(maker::kOwnershipNotice),
                                 twips(120, 2880, 3855, 495));

    // A coarse timer may run up to a tenth of a second late; the splash time is meant exactly.
    cueTimer_.setTimerType(Qt::PreciseTimer);
    cueTimer_.setInterval(2000);
    connect(&cueTimer_, &QTimer::timeout, this, [this] {
        cueTimer_.stop();
        emit timerFired();
    });
    cueTimer_.start();
}

void SplashWindow::closeEvent(QCloseEvent* event) {
    // Closed by hand before its time: the main window must not follow.
    cueTimer_.stop();
    ToolWindow::closeEvent(event);
}

} // namespace qf
