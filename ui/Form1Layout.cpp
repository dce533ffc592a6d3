#include "Form1Layout.h"

#include "FileLookup.h"

#include <vector>

namespace qf {

namespace {

constexpr int kRowPitch = 360;
constexpr const char* kReadoutStyle =
    "QLabel { background-color: black; color: rgb(255, 192, 128); border: 1px solid gray; }";

// The unit labels were laid out out of order: index 0 is on the first row, then 4, 3, 2, 1.
constexpr std::array<int, ChannelTable::kChannels> kUnitLabelRow = {0, 4, 3, 2, 1};

} // namespace

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
    // Sliders take the keyboard focus, so the arrow keys move them.
    bar->setFocusPolicy(Qt::StrongFocus);
    return bar;
}

Form1Layout::Form1Layout(QWidget* client, const std::string& appFolder) {
    const auto frame = [client](const QString& caption, QRect where) {
        auto* box = new QGroupBox(caption, client);
        box->setGeometry(where);
        // Frames are solid panels over the window's picture, as in the classic look.
        box->setAutoFillBackground(true);
        return box;
    };
    Frame1 = frame(QStringLiteral("Sound Color"), twips(120, 120, 2295, 2295));
    Frame2 = frame(QStringLiteral("Volumes"), twips(2520, 120, 2295, 2295));
    Frame3 = frame(QStringLiteral("Frequency"), twips(4920, 120, 3255, 2295));
    Frame4 = frame(QStringLiteral("Options"), twips(4920, 2520, 3255, 975));
    Frame5 = frame(QString(), twips(4920, 3360, 3255, 1215));
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Frame2->setObjectName(QStringLiteral("Frame2"));
    Frame3->setObjectName(QStringLiteral("Frame3"));
    Frame4->setObjectName(QStringLiteral("Frame4"));
    Frame5->setObjectName(QStringLiteral("Frame5"));

    buildRows(client);

    Picture1 = new QLabel(client);
    Picture1->setObjectName(QStringLiteral("Picture1"));
    Picture1->setGeometry(twips(120, 2520, 4695, 2055));
    Picture1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Picture1->setFrameShape(QFrame::Panel);
    Picture1->setFrameShadow(QFrame::Sunken);
    Picture1->setAutoFillBackground(true);
    Picture1->setFocusPolicy(Qt::StrongFocus);

    Label4 = new QLabel(QStringLiteral("Panning"), Frame4);
    Label4->setObjectName(QStringLiteral("Label4"));
    Label4->setGeometry(twips(240, 480, 615, 1635));
    Label4->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    // Transparent: the frame shows through.
    Label4->setAutoFillBackground(false);
    Label4->setAttribute(Qt::WA_TranslucentBackground);

    HScroll1 = slider(client, "HScroll1", twips(5880, 3000, 1995, 255), -3000, 3000, 1000, 2000, 0);

    buildButtons(client, appFolder);
    setFocusOrder();
}

void Form1Layout::buildButtons(QWidget* client, const std::string& appFolder) {
    const QPixmap small(
        QString::fromStdString(FileLookup::resolve(appFolder, "\\button_small.jpg")));
    const QPixmap wide(QString::fromStdString(FileLookup::resolve(appFolder, "\\button_wide.jpg")));
    const auto button = [](const char* name, const QString& caption, const QPixmap& face,
                           QWidget* parent, QRect where) {
        auto* b = new PictureButton(caption, face, parent);
        b->setObjectName(QString::fromLatin1(name));
        b->setGeometry(where);
        return b;
    };
    Command6 =
        button("Command6", QStringLiteral("Reset All"), wide, Frame5, twips(240, 720, 2775, 255));
    Command3 =
        button("Command3", QStringLiteral("Record"), small, client, twips(5160, 3720, 855, 255));
    Command4 =
        button("Command4", QStringLiteral("Mute"), small, client, twips(6120, 3720, 855, 255));
    Command2 =
        button("Command2", QStringLiteral("Tray"), small, client, twips(7080, 3720, 855, 255));
    Command1 =
        button("Command1", QStringLiteral("Close"), small, client, twips(7320, 4680, 855, 255));
}

void Form1Layout::setFocusOrder() {
    std::vector<QWidget*> order{HScroll1};
    order.insert(order.end(), checkBoxes.begin(), checkBoxes.end());
    order.insert(order.end(), volumeSliders.begin(), volumeSliders.end());
    order.insert(order.end(), frequencySliders.begin(), frequencySliders.end());
    order.insert(order.end(), {Picture1, Command1, Command2, Command3, Command4, Command6});
    for (std::size_t i = 1; i < order.size(); ++i) {
        QWidget::setTabOrder(order[i - 1], order[i]);
    }
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
