#include "ui/AboutWindow.h"

#include "ui/MakerTexts.h"

#include <QLabel>

#include <utility>

namespace qf {

AboutWindow::AboutWindow(std::string appFolder)
    : ToolWindow(std::move(appFolder), QStringLiteral("Quietfield v2.0"), 4575, 4005) {
    setObjectName(QStringLiteral("Form2"));
    setBackground(picture("background.jpg"));
    logo_ = addLogoBox(twips(120, 120, 4335, 2475));
    // The labels are stacked closer than their heights; they show only their text, so the
    // overlap does not hide anything.
    title_ = addCaptionLabel("Label1", QString::fromUtf8(maker::kProgramName),
                             twips(120, 2760, 2535, 375));
    title_->setFont(titleFont());
    ownership_ = addCaptionLabel("Label2", QString::fromUtf8(maker::kOwnershipNotice),
                                 twips(120, 3000, 3855, 495));
    webAddress_ = addCaptionLabel("Label4", QString::fromUtf8(maker::kWebAddress),
                                  twips(120, 3240, 3495, 255));
    designer_ = addCaptionLabel("Label3", QString::fromUtf8(maker::kDesignerCredit),
                                twips(120, 3480, 3975, 495));
}

} // namespace qf
