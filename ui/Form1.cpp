#include "Form1.h"

#include <QCloseEvent>
#include <QPixmap>
#include <QScreen>

namespace qf {

Form1::Form1(std::string appFolder, MessageBox& messages, sound::DirectSound::OutputFactory outputs,
             QWidget* parent)
    : QMainWindow(parent), messages_(messages), engine_(std::move(appFolder), std::move(outputs)),
      controls_(engine_, *this), client_(new QWidget(this)),
      layout_(std::make_unique<Form1Layout>(client_)) {
    setWindowTitle(QStringLiteral("Quietfield"));
    client_->setFixedSize(Form1Layout::kClientWidth, Form1Layout::kClientHeight);
    setCentralWidget(client_);
    connectControls();

    timer3_.setInterval(50);
    connect(&timer3_, &QTimer::timeout, this, [this] { controls_.refreshReadouts(); });
    timer3_.start();
}

Form1::~Form1() = default;

void Form1::connectControls() {
    for (int row = 1; row <= ChannelTable::kChannels; ++row) {
        ChannelCheckBox* box = layout_->checkBoxes[row - 1];
        connect(box, &QCheckBox::stateChanged, this,
                [this, row, box] { controls_.checkChanged(row, box->value()); });
        connect(layout_->volumeSliders[row - 1], &QScrollBar::valueChanged, this,
                [this, row](int value) { controls_.volumeChanged(row, value); });
        connect(layout_->frequencySliders[row - 1], &QScrollBar::valueChanged, this,
                [this, row](int value) { controls_.frequencyChanged(row, value); });
    }
    connect(layout_->HScroll1, &QScrollBar::valueChanged, this,
            [this](int value) { controls_.panChanged(value); });
    connect(layout_->Command4, &QPushButton::clicked, this, [this] { controls_.mute(); });
    connect(layout_->Command6, &QPushButton::clicked, this, [this] { controls_.resetAll(); });
}

void Form1::load() {
    if (const QScreen* screen = this->screen()) {
        adjustSize();
        move(screen->availableGeometry().center() - rect().center());
    }
    show();
    Initialise();
    PlaySound();
}

void Form1::Initialise() {
    engine_.Initialise(*this, messages_, winId());
}

void Form1::PlaySound() {
    timer1Enabled_ = true;
}

void Form1::StopSound() {
    engine_.StopSound();
}

void Form1::closeEvent(QCloseEvent* event) {
    StopSound();
    event->accept();
}

int Form1::checkState(int row) const {
    return layout_->checkBoxes[row - 1]->value();
}

void Form1::setCheckState(int row, int state) {
    layout_->checkBoxes[row - 1]->setValue(state);
}

int Form1::volumeValue(int row) const {
    return layout_->volumeSliders[row - 1]->value();
}

void Form1::setVolumeValue(int row, int value) {
    layout_->volumeSliders[row - 1]->setValue(value);
}

int Form1::frequencyValue(int row) const {
    return layout_->frequencySliders[row - 1]->value();
}

void Form1::setFrequencyValue(int row, int value) {
    layout_->frequencySliders[row - 1]->setValue(value);
}

void Form1::showPicture(const std::string& path) {
    // A missing or broken picture leaves the box empty rather than showing a stale one.
    pictureShown_ = QString::fromStdString(path);
    QPixmap picture(pictureShown_);
    if (picture.isNull()) {
        layout_->Picture1->clear();
    } else {
        layout_->Picture1->setPixmap(picture);
    }
}

void Form1::setReadout(int row, const std::string& text) {
    const QString caption = QString::fromStdString(text);
    if (layout_->readouts[row - 1]->text() != caption) {
        layout_->readouts[row - 1]->setText(caption);
    }
}

void Form1::markUnavailable(int row, const std::string& reason) {
    ChannelCheckBox* box = layout_->checkBoxes[row - 1];
    box->setEnabled(false);
    box->setToolTip(QString::fromStdString(reason));
}

} // namespace qf
