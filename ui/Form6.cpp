#include "Form6.h"

#include "MakerTexts.h"

#include <QCloseEvent>
#include <QLabel>

#include <utility>

namespace qf {

Form6::Form6(std::string appFolder)
    : ToolWindow(std::move(appFolder), QString::fromUtf8(maker::kProgramName), 4560, 3165) {
    setBackground(picture("background.jpg"));
    picture1_ = addLogoBox(twips(120, 120, 4335, 2475));
    label1_ = addCaptionLabel("Label1", QString::fromUtf8(maker::kProgramName),
                              twips(120, 2640, 2535, 375));
    label1_->setFont(titleFont());
    label2_ = addCaptionLabel("Label2", QString::fromUtf8(maker::kOwnershipNotice),
                              twips(120, 2880, 3855, 495));

    // A coarse timer may run up to a tenth of a second late; the splash time is meant exactly.
    timer1_.setTimerType(Qt::PreciseTimer);
    timer1_.setInterval(2000);
    connect(&timer1_, &QTimer::timeout, this, [this] {
        timer1_.stop();
        emit timerFired();
    });
    timer1_.start();
}

void Form6::closeEvent(QCloseEvent* event) {
    // Closed by hand before its time: the main window must not follow.
    timer1_.stop();
    ToolWindow::closeEvent(event);
}

} // namespace qf
