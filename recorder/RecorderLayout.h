#pragma once

#include "widgets/Backdrop.h"
#include "widgets/PictureButton.h"
#include "widgets/Twips.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>

#include <functional>

namespace qf {

// The recorder window's controls, placed in twips as the window was laid out. Object names are
// those of the original layout (Picture1, Frame2, Command1, ...), so tests and layout tables can
// find each control.
class RecorderLayout {
public:
    static constexpr int kClientWidthTwips = 5865;
    static constexpr int kClientHeightTwips = 2520;

    // Pictures (the backdrop, button faces) come from `picture`, given a file name; a null pixmap
    // leaves a plain control.
    RecorderLayout(QWidget* client, const std::function<QPixmap(const char*)>& picture);

    // Every control back to how the window is first made: empty displays, and only Record,
    // Save, Reset and Help enabled (the window's load then disables Save and Reset).
    void restoreInitialState();

    Backdrop* backdrop;          // Picture1
    QGroupBox* informationFrame; // Frame3
    QLabel* informationLabel;    // Label3, in Frame3
    QGroupBox* statusFrame;      // Frame2
    QLineEdit* timeBox;          // Text1, in Frame2
    QLabel* modeLabel;           // Label1, in Frame2
    PictureButton* saveButton;   // Command5, in Frame2
    PictureButton* recordButton; // Command2
    PictureButton* stopButton;   // Command3
    PictureButton* playButton;   // Command4
    PictureButton* resetButton;  // Command1
    PictureButton* helpButton;   // Command6

private:
    void buildInformation();
    void buildStatus();
    void buildButtons(QWidget* client, const std::function<QPixmap(const char*)>& picture);
    void setFocusOrder();
};

} // namespace qf
