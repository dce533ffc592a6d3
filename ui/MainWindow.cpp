#include "ui/MainWindow.h"

#include "platform/files/FileLookup.h"
#include "widgets/PictureFile.h"

#include <QCloseEvent>
#include <QIcon>
#include <QLayout>
#include <QPixmap>
#include <QScreen>

namespace qf {

namespace {
constexpr int kOutputWatchMs = 250;
const char* const kCaption = "Quietfield";
} // namespace

MainWindow::MainWindow(std::string appFolder, MessageBox& messages, const MixStore::Factory& store,
                       sound::DirectSound::OutputFactory outputs, CommonDialog* dialog,
                       QWidget* parent)
    : QMainWindow(parent), messages_(messages), engine_(appFolder, std::move(outputs)),
      controls_(engine_, *this), ownDialog_(this),
      fileDialog_(dialog != nullptr ? *dialog : ownDialog_),
      config_(store({*this, engine_, messages_, fileDialog_, [this] { return winId(); },
                     [this] { PlaySound(); }})),
      client_(new Backdrop(this)), layout_(std::make_unique<MainWindowLayout>(client_, appFolder)),
      menu_(std::make_unique<MainWindowMenu>(menuBar())) {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QString::fromLatin1(kCaption));
    // A fixed window with a close box only; "Tray" is the way to minimise it.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    const auto picture = [&appFolder](const char* literal) {
        return QString::fromStdString(FileLookup::resolve(appFolder, literal));
    };
    setWindowIcon(QIcon(picture("\\icon.png")));
    client_->setPicture(PictureFile::load(
        picture("\\background.jpg"),
        {MainWindowLayout::kClientWidth, MainWindowLayout::kClientHeight}, devicePixelRatioF()));
    client_->setFixedSize(MainWindowLayout::kClientWidth, MainWindowLayout::kClientHeight);
    setCentralWidget(client_);
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    connectControls();
    connectCommands();
    engine_.setRestoreStep([this] {
        emit storedMixStarting();
        config_->restoreAtStart();
    });

    // The readouts follow within a tick of any change, and the timer rests once a tick finds
    // nothing new, so an untouched window wakes nobody.
    readoutTimer_.setInterval(50);
    connect(&readoutTimer_, &QTimer::timeout, this, [this] {
        if (!controls_.refreshReadouts()) {
            readoutTimer_.stop();
        }
    });
    readoutTimer_.start();

    outputWatch_.setInterval(kOutputWatchMs);
    connect(&outputWatch_, &QTimer::timeout, this, [this] {
        emit outputStarting();
        const bool started = engine_.startWhenOutputArrives(*this, winId());
        emit outputStarted(started);
        if (started) {
            outputWatch_.stop();
            readoutTimer_.start();
            // Inside the start-up's own message the report waits for the load to finish.
            if (loaded_) {
                tellStartupReport();
            }
        }
    });
}

MainWindow::~MainWindow() = default;

void MainWindow::connectControls() {
    for (int row = 1; row <= ChannelTable::kChannels; ++row) {
        ChannelCheckBox* box = layout_->checkBoxes[row - 1];
        connect(box, &ChannelCheckBox::valueChanged, this, [this, row, box] {
            controls_.checkChanged(row, box->value());
            controlChanged();
        });
        connect(layout_->volumeSliders[row - 1], &QScrollBar::valueChanged, this,
                [this, row](int value) {
                    controls_.volumeChanged(row, value);
                    controlChanged();
                });
        connect(layout_->frequencySliders[row - 1], &QScrollBar::valueChanged, this,
                [this, row](int value) {
                    controls_.frequencyChanged(row, value);
                    controlChanged();
                });
    }
    connect(layout_->panSlider, &QScrollBar::valueChanged, this, [this](int value) {
        controls_.panChanged(value);
        controlChanged();
    });
    // Toggled rather than clicked: a screen reader's toggle action changes the check without a
    // click. The check then always shows whether the mix is muted.
    connect(layout_->muteButton, &QPushButton::toggled, this, [this](bool checked) {
        if (checked != (controls_.muteState() == 1)) {
            controls_.mute();
            controlChanged();
        }
    });
    connect(layout_->resetAllButton, &QPushButton::clicked, this, [this] {
        controls_.resetAll();
        controlChanged();
    });
}

void MainWindow::controlChanged() {
    if (!readoutTimer_.isActive()) {
        readoutTimer_.start();
    }
    // A pause or a sleep fade ends with any change to the mix, and what plays may be new: the
    // program's playback hears of every one.
    emit mixerControlChanged();
}

void MainWindow::connectCommands() {
    connect(layout_->closeButton, &QPushButton::clicked, this, &QWidget::close);
    connect(menu_->exitAction, &QAction::triggered, this, &QWidget::close);
    connect(layout_->trayButton, &QPushButton::clicked, this, &QWidget::showMinimized);
    connect(layout_->recordButton, &QPushButton::clicked, this, &MainWindow::recordRequested);
    connect(menu_->aboutAction, &QAction::triggered, this, &MainWindow::aboutRequested);
    connect(menu_->contactAction, &QAction::triggered, this, &MainWindow::contactRequested);
    connect(menu_->helpAction, &QAction::triggered, this, &MainWindow::helpRequested);
    connect(menu_->loadConfigAction, &QAction::triggered, this, [this] { config_->loadConfig(); });
    connect(menu_->saveConfigAction, &QAction::triggered, this, [this] { config_->saveConfig(); });
    for (std::size_t i = 0; i < MainWindowMenu::kSleepMinutes.size(); ++i) {
        connect(
            menu_->sleepActions[i], &QAction::triggered, this,
            [this, minutes = MainWindowMenu::kSleepMinutes[i]] { emit sleepRequested(minutes); });
    }
    connect(menu_->sleepAddAction, &QAction::triggered, this,
            [this] { emit sleepAddRequested(MainWindowMenu::kSleepAddMinutes); });
    connect(menu_->sleepCancelAction, &QAction::triggered, this,
            [this] { emit sleepRequested(0); });
}

void MainWindow::showPaused(bool paused) {
    paused_ = paused;
    showCaption();
}

void MainWindow::showSleep(int minutesLeft, int chosenMinutes) {
    sleepMinutesLeft_ = minutesLeft;
    for (std::size_t i = 0; i < MainWindowMenu::kSleepMinutes.size(); ++i) {
        menu_->sleepActions[i]->setChecked(MainWindowMenu::kSleepMinutes[i] == chosenMinutes);
    }
    menu_->sleepAddAction->setEnabled(minutesLeft > 0);
    showCaption();
}

void MainWindow::showCaption() {
    QString caption = QString::fromLatin1(kCaption);
    if (sleepMinutesLeft_ > 0) {
        caption += QStringLiteral(" - sleeping in %1 min").arg(sleepMinutesLeft_);
    }
    if (paused_) {
        caption += QStringLiteral(" (paused)");
    }
    setWindowTitle(caption);
}

void MainWindow::load(bool minimised) {
    if (const QScreen* screen = this->screen()) {
        adjustSize();
        move(screen->availableGeometry().center() - rect().center());
    }
    if (minimised) {
        showMinimized();
    } else {
        show();
    }
    layout_->panSlider->setFocus();
    Initialise();
    PlaySound();
    loaded_ = true;
    // Once the start-up has run its course and the splash has gone.
    QTimer::singleShot(0, this, &MainWindow::tellStartupReport);
}

void MainWindow::Initialise() {
    // A missing output goes on being looked for, also while its message waits for OK; the
    // engine starts as soon as it is there.
    outputWatch_.start();
    engine_.Initialise(*this, messages_, winId());
    if (engine_.started()) {
        outputWatch_.stop();
    }
}

void MainWindow::tellStartupReport() {
    const std::string report = config_->takeStartupReport();
    if (!report.empty()) {
        messages_.show(report);
    }
}

void MainWindow::PlaySound() {
    playTimerEnabled_ = true;
}

void MainWindow::StopSound() {
    engine_.StopSound();
}

void MainWindow::closeEvent(QCloseEvent* event) {
    // The close is never refused. A window that has already unloaded does not unload twice.
    outputWatch_.stop();
    if (!unloaded_) {
        StopSound();
        Unload();
    }
    event->accept();
}

bool MainWindow::storeMix() {
    return config_->saveAtExit();
}

void MainWindow::Unload() {
    unloaded_ = true;
    config_->saveAtExit();
    if (unloadStep_) {
        unloadStep_();
    }
}

int MainWindow::checkState(int row) const {
    return layout_->checkBoxes[row - 1]->value();
}

void MainWindow::setCheckState(int row, int state) {
    layout_->checkBoxes[row - 1]->setValue(state);
}

int MainWindow::volumeValue(int row) const {
    return layout_->volumeSliders[row - 1]->value();
}

void MainWindow::setVolumeValue(int row, int value) {
    layout_->volumeSliders[row - 1]->setValue(value);
}

int MainWindow::frequencyValue(int row) const {
    return layout_->frequencySliders[row - 1]->value();
}

int MainWindow::panValue() const {
    return layout_->panSlider->value();
}

void MainWindow::setFrequencyValue(int row, int value) {
    layout_->frequencySliders[row - 1]->setValue(value);
}

void MainWindow::showPicture(const std::string& path) {
    // A missing or broken picture leaves the box empty rather than showing a stale one.
    pictureShown_ = QString::fromStdString(path);
    const QPixmap picture = PictureFile::load(pictureShown_, layout_->pictureBox->size(),
                                              layout_->pictureBox->devicePixelRatioF());
    if (picture.isNull()) {
        layout_->pictureBox->clear();
    } else {
        layout_->pictureBox->setPixmap(picture);
    }
    layout_->pictureBox->setAccessibleName(picture.isNull() ? QStringLiteral("No picture")
                                                            : pictureName(path));
}

QString MainWindow::pictureName(const std::string& path) const {
    // Each row has a picture of its own; it is named after the row's colour.
    for (const ChannelRow& row : ChannelTable::rows()) {
        if (FileLookup::resolve(engine_.appFolder(), row.pictureFile) == path) {
            return QString::fromLatin1(row.caption) + QStringLiteral(" picture");
        }
    }
    return QStringLiteral("Picture");
}

void MainWindow::setReadout(int row, const std::string& text) {
    const QString caption = QString::fromStdString(text);
    if (layout_->readouts[row - 1]->text() != caption) {
        layout_->readouts[row - 1]->setText(caption);
        layout_->readouts[row - 1]->setAccessibleDescription(caption + QStringLiteral(" Hz"));
    }
}

void MainWindow::markUnavailable(int row, const std::string& reason) {
    ChannelCheckBox* box = layout_->checkBoxes[row - 1];
    box->setEnabled(false);
    box->setToolTip(QString::fromStdString(reason));
}

} // namespace qf
