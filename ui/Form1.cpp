#include "Form1.h"

#include "FileLookup.h"
#include "PictureFile.h"

#include <QCloseEvent>
#include <QIcon>
#include <QLayout>
#include <QPixmap>
#include <QScreen>

namespace qf {

Form1::Form1(std::string appFolder, MessageBox& messages, sound::DirectSound::OutputFactory outputs,
             CommonDialog* dialog, QWidget* parent)
    : QMainWindow(parent), messages_(messages), engine_(appFolder, std::move(outputs)),
      controls_(engine_, *this), ownDialog_(this),
      CommonDialog1(dialog != nullptr ? *dialog : ownDialog_),
      config_({*this, engine_, messages_, CommonDialog1, [this] { return winId(); },
               [this] { PlaySound(); }},
              settings::SettingsLocation(appFolder,
                                         settings::SettingsLocation::userFolderFromEnvironment()),
              appFolder),
      client_(new Backdrop(this)), layout_(std::make_unique<Form1Layout>(client_, appFolder)),
      menu_(std::make_unique<Form1Menu>(menuBar())) {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Quietfield"));
    // A fixed window with a close box only; "Tray" is the way to minimise it.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    const auto picture = [&appFolder](const char* literal) {
        return QString::fromStdString(FileLookup::resolve(appFolder, literal));
    };
    setWindowIcon(QIcon(picture("\\icon.png")));
    client_->setPicture(PictureFile::load(picture("\\background.jpg"),
                                          {Form1Layout::kClientWidth, Form1Layout::kClientHeight}));
    client_->setFixedSize(Form1Layout::kClientWidth, Form1Layout::kClientHeight);
    setCentralWidget(client_);
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    connectControls();
    connectCommands();
    engine_.setRestoreStep([this] { config_.restoreAtStart(); });

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

void Form1::connectCommands() {
    connect(layout_->Command1, &QPushButton::clicked, this, &QWidget::close);
    connect(menu_->exit, &QAction::triggered, this, &QWidget::close);
    connect(layout_->Command2, &QPushButton::clicked, this, &QWidget::showMinimized);
    connect(layout_->Command3, &QPushButton::clicked, this, &Form1::recordRequested);
    connect(menu_->about, &QAction::triggered, this, &Form1::aboutRequested);
    connect(menu_->jhg, &QAction::triggered, this, &Form1::contactRequested);
    connect(menu_->help2, &QAction::triggered, this, &Form1::helpRequested);
    connect(menu_->load, &QAction::triggered, this, [this] { config_.loadConfig(); });
    connect(menu_->save, &QAction::triggered, this, [this] { config_.saveConfig(); });
}

void Form1::AddToTray(QWidget*, QMenu*) {}

void Form1::load() {
    if (const QScreen* screen = this->screen()) {
        adjustSize();
        move(screen->availableGeometry().center() - rect().center());
    }
    show();
    layout_->HScroll1->setFocus();
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
    // The close is never refused. A window that has already unloaded does not unload twice.
    if (!unloaded_) {
        StopSound();
        Unload();
    }
    event->accept();
}

void Form1::Unload() {
    unloaded_ = true;
    config_.saveAtExit();
    if (unloadStep_) {
        unloadStep_();
    }
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
    const QPixmap picture = PictureFile::load(pictureShown_, layout_->Picture1->size());
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
