#include "ui/MainWindowLayout.h"

#include "platform/files/FileLookup.h"
#include "widgets/AccessibleMarks.h"
#include "widgets/PictureFile.h"

#include <vector>

namespace qf {

namespace {

constexpr int kRowPitch = 360;
// What Ctrl with an arrow moves a slider by: 1 dB on the volume and pan sliders (their units are
// hundredths of a decibel), 100 Hz on the frequency sliders.
constexpr int kCoarseStep = 100;
constexpr const char* kReadoutStyle =
    "QLabel { background-color: black; color: rgb(255, 192, 128); border: 1px solid gray; }";

// The unit labels were laid out out of order: index 0 is on the first row, then 4, 3, 2, 1.
constexpr std::array<int, ChannelTable::kChannels> kUnitLabelRow = {0, 4, 3, 2, 1};

// The object names of each row's controls, by row.
struct RowNames {
    const char* checkBox;
    const char* volumeSlider;
    const char* frequencySlider;
    const char* readout;
};
constexpr std::array<RowNames, ChannelTable::kChannels> kRowNames{{
    {"Check1", "HScroll3", "HScroll8", "Label1"},
    {"Check2", "HScroll4", "HScroll9", "Label2"},
    {"Check3", "HScroll5", "HScroll10", "Label3"},
    {"Check4", "HScroll6", "HScroll11", "Label6"},
    {"Check5", "HScroll7", "HScroll12", "Label7"},
}};

} // namespace

MixerSlider* MainWindowLayout::slider(QWidget* parent, const char* name, QRect where, int min,
                                      int max, int small, int large, int value) {
    auto* bar = new MixerSlider(Qt::Horizontal, parent);
    bar->setObjectName(QString::fromLatin1(name));
    bar->setGeometry(where);
    bar->setRange(min, max);
    bar->setSingleStep(small);
    bar->setPageStep(large);
    bar->setCoarseStep(kCoarseStep);
    bar->setValue(value);
    // Tracking makes every step of a drag a value change, so the channel follows the thumb.
    bar->setTracking(true);
    // Sliders take the keyboard focus, so the arrow keys move them.
    bar->setFocusPolicy(Qt::StrongFocus);
    return bar;
}

void MainWindowLayout::describeSlider(QScrollBar* bar, const QString& name,
                                      SliderReading::Scale scale) {
    bar->setAccessibleName(name);
    AccessibleMarks::markSlider(bar, scale);
}

MainWindowLayout::MainWindowLayout(QWidget* client, const std::string& appFolder) {
    const auto frame = [client](const QString& caption, QRect where) {
        auto* box = new QGroupBox(caption, client);
        box->setGeometry(where);
        // Frames are solid panels over the window's picture, as in the classic look.
        box->setAutoFillBackground(true);
        return box;
    };
    soundColorFrame = frame(QStringLiteral("Sound Color"), twips(120, 120, 2295, 2295));
    volumesFrame = frame(QStringLiteral("Volumes"), twips(2520, 120, 2295, 2295));
    frequencyFrame = frame(QStringLiteral("Frequency"), twips(4920, 120, 3255, 2295));
    optionsFrame = frame(QStringLiteral("Options"), twips(4920, 2520, 3255, 975));
    buttonsFrame = frame(QString(), twips(4920, 3360, 3255, 1215));
    soundColorFrame->setObjectName(QStringLiteral("Frame1"));
    volumesFrame->setObjectName(QStringLiteral("Frame2"));
    frequencyFrame->setObjectName(QStringLiteral("Frame3"));
    optionsFrame->setObjectName(QStringLiteral("Frame4"));
    buttonsFrame->setObjectName(QStringLiteral("Frame5"));

    buildRows(client);

    pictureBox = new QLabel(client);
    pictureBox->setObjectName(QStringLiteral("Picture1"));
    pictureBox->setGeometry(twips(120, 2520, 4695, 2055));
    pictureBox->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    pictureBox->setFrameShape(QFrame::Panel);
    pictureBox->setFrameShadow(QFrame::Sunken);
    pictureBox->setAutoFillBackground(true);
    pictureBox->setFocusPolicy(Qt::StrongFocus);
    // A tab stop, so a screen reader says what it shows.
    AccessibleMarks::markPicture(pictureBox);
    pictureBox->setAccessibleName(QStringLiteral("No picture"));

    panningLabel = new QLabel(QStringLiteral("Panning"), optionsFrame);
    panningLabel->setObjectName(QStringLiteral("Label4"));
    // Wider than first drawn, up to the slider: "Panning" in today's desktop fonts is wider
    // than the face the layout was drawn with.
    panningLabel->setGeometry(twips(240, 480, 705, 1635));
    panningLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    // Transparent: the frame shows through.
    panningLabel->setAutoFillBackground(false);
    panningLabel->setAttribute(Qt::WA_TranslucentBackground);

    panSlider =
        slider(client, "HScroll1", twips(5880, 3000, 1995, 255), -3000, 3000, 1000, 2000, 0);
    describeSlider(panSlider, QStringLiteral("Pan"), SliderReading::Scale::Pan);

    buildButtons(client, appFolder);
    setFocusOrder();
}

void MainWindowLayout::buildButtons(QWidget* client, const std::string& appFolder) {
    const auto face = [client, &appFolder](const char* literal) {
        return PictureFile::load(QString::fromStdString(FileLookup::resolve(appFolder, literal)),
                                 QSize(), client->devicePixelRatioF());
    };
    const QPixmap small = face("\\button_small.jpg");
    const QPixmap wide = face("\\button_wide.jpg");
    const auto button = [](const char* name, const QString& caption, const QPixmap& face,
                           QWidget* parent, QRect where) {
        auto* b = new PictureButton(caption, face, parent);
        b->setObjectName(QString::fromLatin1(name));
        b->setGeometry(where);
        return b;
    };
    resetAllButton = button("Command6", QStringLiteral("Reset All"), wide, buttonsFrame,
                            twips(240, 720, 2775, 255));
    recordButton =
        button("Command3", QStringLiteral("Record"), small, client, twips(5160, 3720, 855, 255));
    muteButton =
        button("Command4", QStringLiteral("Mute"), small, client, twips(6120, 3720, 855, 255));
    // Checked while the mix is muted, so the button tells whether it is on.
    muteButton->setCheckable(true);
    trayButton =
        button("Command2", QStringLiteral("Tray"), small, client, twips(7080, 3720, 855, 255));
    closeButton =
        button("Command1", QStringLiteral("Close"), small, client, twips(7320, 4680, 855, 255));
}

void MainWindowLayout::setFocusOrder() {
    std::vector<QWidget*> order{panSlider};
    order.insert(order.end(), checkBoxes.begin(), checkBoxes.end());
    order.insert(order.end(), volumeSliders.begin(), volumeSliders.end());
    order.insert(order.end(), frequencySliders.begin(), frequencySliders.end());
    order.insert(order.end(),
                 {pictureBox, closeButton, trayButton, recordButton, muteButton, resetAllButton});
    for (std::size_t i = 1; i < order.size(); ++i) {
        QWidget::setTabOrder(order[i - 1], order[i]);
    }
}

void MainWindowLayout::buildRows(QWidget* client) {
    static constexpr std::array<int, ChannelTable::kChannels> kCheckWidth = {1815, 1815, 1455, 1815,
                                                                             1695};
    QFont readoutFont(QStringLiteral("Arial"));
    readoutFont.setPointSizeF(8.25);
    readoutFont.setBold(true);

    for (const ChannelRow& row : ChannelTable::rows()) {
        const int i = row.number - 1;
        const int top = 360 + kRowPitch * i;
        const RowNames& names = kRowNames[i];

        auto* box = new ChannelCheckBox(QString::fromLatin1(row.caption), client);
        box->setObjectName(QString::fromLatin1(names.checkBox));
        box->setGeometry(twips(360, 480 + kRowPitch * i, kCheckWidth[i], 255));
        checkBoxes[i] = box;

        volumeSliders[i] = slider(volumesFrame, names.volumeSlider, twips(240, top, 1815, 255),
                                  -3000, 0, 1, 800, 0);
        frequencySliders[i] = slider(frequencyFrame, names.frequencySlider,
                                     twips(240, top, 1815, 255), 1000, 32767, 1, 8000, 1000);
        const QString caption = QString::fromLatin1(row.caption);
        describeSlider(volumeSliders[i], caption + QStringLiteral(" volume"),
                       SliderReading::Scale::Volume);
        describeSlider(frequencySliders[i], caption + QStringLiteral(" playback frequency"),
                       SliderReading::Scale::Frequency);

        auto* readout = new QLabel(frequencyFrame);
        readout->setObjectName(QString::fromLatin1(names.readout));
        readout->setGeometry(twips(2160, top, 615, 255));
        readout->setAlignment(Qt::AlignCenter);
        readout->setFont(readoutFont);
        readout->setStyleSheet(QString::fromLatin1(kReadoutStyle));
        readout->setAccessibleName(caption + QStringLiteral(" playback rate"));
        readouts[i] = readout;
    }
    for (int index = 0; index < ChannelTable::kChannels; ++index) {
        auto* unit = new QLabel(QStringLiteral("Hz"), frequencyFrame);
        unit->setObjectName(QStringLiteral("Label8_%1").arg(index));
        unit->setGeometry(twips(2760, 360 + kRowPitch * kUnitLabelRow[index], 375, 255));
        unitLabels[index] = unit;
    }
}

} // namespace qf
