#include "Form1Layout.h"

namespace qf {

namespace {

constexpr int kRowPitch = 360;
constexpr const char* kReadoutStyle =
    "QLabel { background-color: black; color: rgb(255, 192, 128); border: 1px solid gray; }";

// The unit labels were laid out out of order: index 0 is on the first row, then 4, 3, 2, 1.
constexpr std::array<int, ChannelTable::kChannels> kUnitLabelRow = {0, 4, 3, 2, 1};

} // namespace

QRect Form1Layout::twips(int left, int top, int width, int height) {
    return {left / kTwipsPerPixel, top / kTwipsPerPixel, width / kTwipsPerPixel,
            height / kTwipsPerPixel};
}

QScrollBar* Form1Layout::slider(QWidget* parent, const char* name, QRect where, int min, int max,
                                int small, int large, int value) {
    auto* bar = new QScrollBar(Qt::Horizontal, parent);
    bar->setObjectName(QString::fromLatin1(name));
    bar->setGeometry(where);
    bar->setRange(min, max);
    bar->setSingleStep(small);
    bar->setPageStep(large);
    bar->setValue(value);
    // Tracking makes every step of a drag a value change, so the channel follows the thumb.
    bar->setTracking(true);
    return bar;
}

Form1Layout::Form1Layout(QWidget* client) {
    Frame1 = new QGroupBox(QStringLiteral("Sound Color"), client);
    Frame1->setGeometry(twips(120, 120, 2295, 2295));
    Frame2 = new QGroupBox(QStringLiteral("Volumes"), client);
    Frame2->setGeometry(twips(2520, 120, 2295, 2295));
    Frame3 = new QGroupBox(QStringLiteral("Frequency"), client);
    Frame3->setGeometry(twips(4920, 120, 3255, 2295));
    Frame4 = new QGroupBox(QStringLiteral("Options"), client);
    Frame4->setGeometry(twips(4920, 2520, 3255, 975));
    Frame5 = new QGroupBox(client);
    Frame5->setGeometry(twips(4920, 3360, 3255, 1215));

    buildRows(client);

    Picture1 = new QLabel(client);
    Picture1->setObjectName(QStringLiteral("Picture1"));
    Picture1->setGeometry(twips(120, 2520, 4695, 2055));
    Picture1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Picture1->setFrameShape(QFrame::Panel);
    Picture1->setFrameShadow(QFrame::Sunken);

    Label4 = new QLabel(QStringLiteral("Panning"), Frame4);
    Label4->setObjectName(QStringLiteral("Label4"));
    Label4->setGeometry(twips(240, 480, 615, 1635));
    Label4->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Label4->setAttribute(Qt::WA_TranslucentBackground);

    HScroll1 = slider(client, "HScroll1", twips(5880, 3000, 1995, 255), -3000, 3000, 1000, 2000, 0);

    Command6 = new QPushButton(QStringLiteral("Reset All"), Frame5);
    Command6->setObjectName(QStringLiteral("Command6"));
    Command6->setGeometry(twips(240, 720, 2775, 255));
    Command4 = new QPushButton(QStringLiteral("Mute"), client);
    Command4->setObjectName(QStringLiteral("Command4"));
    Command4->setGeometry(twips(6120, 3720, 855, 255));
}

void Form1Layout::buildRows(QWidget* client) {
    static constexpr std::array<int, ChannelTable::kChannels> kCheckWidth = {1815, 1815, 1455, 1815,
                                                                             1695};
    QFont readoutFont(QStringLiteral("Arial"));
    readoutFont.setPointSizeF(8.25);
    readoutFont.setBold(true);

    for (const ChannelRow& row : ChannelTable::rows()) {
        const int i = row.number - 1;
        const int top = 360 + kRowPitch * i;

        auto* box = new ChannelCheckBox(QString::fromLatin1(row.caption), client);
        box->setObjectName(QString::fromLatin1(row.checkBox));
        box->setGeometry(twips(360, 480 + kRowPitch * i, kCheckWidth[i], 255));
        checkBoxes[i] = box;

        volumeSliders[i] =
            slider(Frame2, row.volumeSlider, twips(240, top, 1815, 255), -3000, 0, 1, 800, 0);
        frequencySliders[i] = slider(Frame3, row.frequencySlider, twips(240, top, 1815, 255), 1000,
                                     32767, 1, 8000, 1000);

        auto* readout = new QLabel(Frame3);
        readout->setObjectName(QString::fromLatin1(row.readoutLabel));
        readout->setGeometry(twips(2160, top, 615, 255));
        readout->setAlignment(Qt::AlignCenter);
        readout->setFont(readoutFont);
        readout->setStyleSheet(QString::fromLatin1(kReadoutStyle));
        readouts[i] = readout;
    }
    for (int index = 0; index < ChannelTable::kChannels; ++index) {
        auto* unit = new QLabel(QStringLiteral("Hz"), Frame3);
        unit->setObjectName(QStringLiteral("Label8_%1").arg(index));
        unit->setGeometry(twips(2760, 360 + kRowPitch * kUnitLabelRow[index], 375, 255));
        Label8[index] = unit;
    }
}

} // namespace qf
