#pragma once

#include "Twips.h"

#include "ChannelCheckBox.h"
#include "PictureButton.h"
#include "engine/ChannelTable.h"

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>

#include <array>
#include <string>

namespace qf {

// The main window's controls, placed where the window's layout puts them. Positions are given in
// twips (15 to a pixel at 96 dots per inch) so they read like the layout they come from; Qt's own
// scaling takes care of high-resolution screens.
class Form1Layout {
public:
    static constexpr int kClientWidth = 554;
    static constexpr int kClientHeight = 336;

    // Pictures (button faces) are read from the application folder.
    Form1Layout(QWidget* client, const std::string& appFolder);

    QGroupBox* Frame1;
    QGroupBox* Frame2;
    QGroupBox* Frame3;
    QGroupBox* Frame4;
    QGroupBox* Frame5;
    // Check1 to Check5, HScroll3 to HScroll7, HScroll8 to HScroll12, and the readouts Label1,
    // Label2, Label3, Label6, Label7, indexed by row - 1.
    std::array<ChannelCheckBox*, ChannelTable::kChannels> checkBoxes;
    std::array<QScrollBar*, ChannelTable::kChannels> volumeSliders;
    std::array<QScrollBar*, ChannelTable::kChannels> frequencySliders;
    std::array<QLabel*, ChannelTable::kChannels> readouts;
    // The unit labels, Label8(0) to Label8(4), by index (not by row).
    std::array<QLabel*, ChannelTable::kChannels> Label8;
    QLabel* Label4;
    QScrollBar* HScroll1;
    QLabel* Picture1;
    PictureButton* Command1;
    PictureButton* Command2;
    PictureButton* Command3;
    PictureButton* Command4;
    PictureButton* Command6;

private:
    QScrollBar* slider(QWidget* parent, const char* name, QRect where, int min, int max, int small,
                       int large, int value);
    void buildRows(QWidget* client);
    void buildButtons(QWidget* client, const std::string& appFolder);
    void setFocusOrder();
};

} // namespace qf
