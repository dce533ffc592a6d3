#pragma once

#include "widgets/Twips.h"

#include "engine/ChannelTable.h"
#include "ui/ChannelCheckBox.h"
#include "ui/MixerSlider.h"
#include "widgets/PictureButton.h"
#include "widgets/SliderReading.h"

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

#include <array>
#include <string>

namespace qf {

// The main window's controls, placed where the window's layout puts them. Positions are given in
// twips (15 to a pixel at 96 dots per inch) so they read like the layout they come from; Qt's own
// scaling takes care of high-resolution screens.
class MainWindowLayout {
public:
    static constexpr int kClientWidth = 554;
    static constexpr int kClientHeight = 336;

    // Pictures (button faces) are read from the application folder.
    MainWindowLayout(QWidget* client, const std::string& appFolder);

    // The object names are those of the window's original layout (Frame1 to Frame5, Check1,
    // HScroll3, Label8_0, Command1, ...), so tests and layout tables can find each control.
    QGroupBox* soundColorFrame;
    QGroupBox* volumesFrame;
    QGroupBox* frequencyFrame;
    QGroupBox* optionsFrame;
    QGroupBox* buttonsFrame;
    // Check1 to Check5, HScroll3 to HScroll7, HScroll8 to HScroll12, and the readouts Label1,
    // Label2, Label3, Label6, Label7, indexed by row - 1.
    std::array<ChannelCheckBox*, ChannelTable::kChannels> checkBoxes;
    std::array<MixerSlider*, ChannelTable::kChannels> volumeSliders;
    std::array<MixerSlider*, ChannelTable::kChannels> frequencySliders;
    std::array<QLabel*, ChannelTable::kChannels> readouts;
    // The unit labels, Label8(0) to Label8(4), by index (not by row).
    std::array<QLabel*, ChannelTable::kChannels> unitLabels;
    QLabel* panningLabel;          // Label4
    MixerSlider* panSlider;        // HScroll1
    QLabel* pictureBox;            // Picture1
    PictureButton* closeButton;    // Command1
    PictureButton* trayButton;     // Command2
    PictureButton* recordButton;   // Command3
    PictureButton* muteButton;     // Command4
    PictureButton* resetAllButton; // Command6

private:
    MixerSlider* slider(QWidget* parent, const char* name, QRect where, int min, int max, int small,
                        int large, int value);
    // The name and reading a screen reader gives a slider.
    static void describeSlider(QScrollBar* bar, const QString& name, SliderReading::Scale scale);
    void buildRows(QWidget* client);
    void buildButtons(QWidget* client, const std::string& appFolder);
    void setFocusOrder();
};

} // namespace qf
