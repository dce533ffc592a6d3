#include "Form2.h"

#include "MakerTexts.h"

#include <QLabel>

#include <utility>

namespace qf {

Form2::Form2(std::string appFolder)
    : ToolWindow(std::move(appFolder), QStringLiteral("Quietfield v2.0"), 4575, 4005) {
    setBackground(picture("background.jpg"));
    picture1_ = addLogoBox(twips(120, 120, 4335, 2475));
    // The labels are stacked closer than their heights; they show only their text, so the
    // overlap does not hide anything.
    label1_ = addCaptionLabel("Label1", QString::fromUtf8(maker::kProgramName),
                              twips(120, 2760, 2535, 375));
    label1_->setFont(titleFont());
    label2_ = addCaptionLabel("Label2", QString::fromUtf8(maker::kOwnershipNotice),
                              twips(120, 3000, 3855, 495));
    label4_ = addCaptionLabel("Label4", QString::fromUtf8(maker::kWebAddress),
                              twips(120, 3240, 3495, 255));
    label3_ = addCaptionLabel("Label3", QString::fromUtf8(maker::kDesignerCredit),
                              twips(120, 3480, 3975, 495));
}

} // namespace qf
