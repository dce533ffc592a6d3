#include "recorder/RecorderWindow.h"

#include "recorder/InformationText.h"

#include <QAction>
#include <QCloseEvent>
#include <QMenu>
#include <QMenuBar>
#include <QShortcut>

#include <algorithm>
#include <array>
#include <utility>

namespace qf {

namespace {

// The device always records CD quality: 44100 frames a second, two channels of 16 bits.
constexpr const char* kFormatCommand = "set capture samplespersec 44100 channels 2 "
                                       "bitspersample 16 alignment 4 bytespersec 176400";
constexpr std::size_t kReplyLength = 255;
constexpr qint64 kSecondsPerDay = 24 * 60 * 60;

} // namespace

RecorderWindow::RecorderWindow(std::string appFolder, mci::MediaCommandSender& media, Clock clock)
    : ToolWindow(std::move(appFolder), QStringLiteral("Sound Recorder"),
                 RecorderLayout::kClientWidthTwips, RecorderLayout::kClientHeightTwips),
      media_(media),
      clock_(clock ? std::move(clock) : [] { return QDateTime::currentDateTime(); }) {
    setObjectName(QStringLiteral("Form8"));

    // The client area keeps its laid-out size; the menu bar comes on top of it.
    buildMenu();
    const QSize client = size();
    const int menuHeight = menuBar_->sizeHint().height();
    menuBar_->setGeometry(0, 0, client.width(), menuHeight);
    auto* clientArea = new QWidget(this);
    clientArea->setGeometry(0, menuHeight, client.width(), client.height());
    // Silver under the controls; the menu bar keeps the desktop's colours, so its greyed
    // caption still shows.
    QPalette silver = clientArea->palette();
    silver.setColor(QPalette::Window, QColor(0xC0, 0xC0, 0xC0));
    clientArea->setPalette(silver);
    clientArea->setAutoFillBackground(true);
    setFixedSize(client.width(), client.height() + menuHeight);

    layout_ = std::make_unique<RecorderLayout>(clientArea,
                                               [this](const char* name) { return picture(name); });
    // The same picture as the backdrop, shared rather than read twice.
    setBackground(layout_->backdrop->picture());

    modeTimer_.setInterval(500);
    informationTimer_.setInterval(19);
    connect(&modeTimer_, &QTimer::timeout, this, &RecorderWindow::showMode);
    connect(&informationTimer_, &QTimer::timeout, this, &RecorderWindow::showInformation);
    connect(&elapsedTimer_, &QTimer::timeout, this, &RecorderWindow::increment);
    informationNameTimer_.setSingleShot(true);
    informationNameTimer_.setInterval(1000);
    connect(&informationNameTimer_, &QTimer::timeout, this, &RecorderWindow::publishInformation);

    connect(layout_->recordButton, &QPushButton::clicked, this, &RecorderWindow::record);
    connect(layout_->stopButton, &QPushButton::clicked, this, &RecorderWindow::stop);
    connect(layout_->playButton, &QPushButton::clicked, this, &RecorderWindow::play);
    connect(layout_->resetButton, &QPushButton::clicked, this, &RecorderWindow::reset);
    connect(layout_->saveButton, &QPushButton::clicked, this, &RecorderWindow::saveRequested);
    connect(layout_->helpButton, &QPushButton::clicked, this, &RecorderWindow::helpRequested);
    // Escape is the close box's key: the same close, so the device is let go of as always.
    new QShortcut(QKeySequence::Cancel, this, this, &QWidget::close);

    layout_->restoreInitialState();
    load();
}

RecorderWindow::~RecorderWindow() {
    // Ended with the program rather than closed: the device still has to let go of its audio.
    if (loaded_) {
        unload();
    }
}

void RecorderWindow::buildMenu() {
    menuBar_ = new QMenuBar(this);
    // Placed by hand inside the fixed window, never handed to a desktop-wide menu.
    menuBar_->setNativeMenuBar(false);
    qualityMenu_ = menuBar_->addMenu(QStringLiteral("Quality"));
    qualityMenu_->setObjectName(QStringLiteral("Quality"));
    const auto item = [this](const char* name, const char* caption) {
        QAction* action = qualityMenu_->addAction(QString::fromLatin1(caption));
        action->setObjectName(QString::fromLatin1(name));
        action->setCheckable(true);
        return action;
    };
    low_ = item("low", "Low Quality");
    medium_ = item("med", "Medium Quality");
    high_ = item("high", "High Quality");
    // Recordings are always made at the highest quality; the menu only says so.
    qualityMenu_->menuAction()->setEnabled(false);
    qualityMenu_->setEnabled(false);
}

void RecorderWindow::load() {
    layout_->resetButton->setEnabled(false);
    layout_->saveButton->setEnabled(false);
    elapsedTimer_.stop();
    high_->setChecked(true);
    // A device this program left open (a window that never unloaded) would hold the alias.
    send("close all");
    // No scratch folder or no input: nothing could be recorded, and the window must not pretend.
    cannotRecord_ = send("open new type waveaudio alias capture") != 0;
    modeTimer_.start();
    informationTimer_.start();
    loaded_ = true;
    layout_->recordButton->setFocus();
}

void RecorderWindow::unload() {
    loaded_ = false;
    modeTimer_.stop();
    informationTimer_.stop();
    informationNameTimer_.stop();
    elapsedTimer_.stop();
    send("close capture");
}

void RecorderWindow::closeEvent(QCloseEvent* event) {
    if (loaded_) {
        unload();
    }
    ToolWindow::closeEvent(event);
}

void RecorderWindow::record() {
    const QDateTime clicked = now();
    send("seek capture to start");
    send(kFormatCommand);
    // A recording that did not start shows no running time and offers no Stop; the mode display
    // says why at once, and the recording made before is still there.
    cannotRecord_ = send("record capture") != 0;
    if (cannotRecord_) {
        showMode();
        return;
    }
    elapsedTimer_.start(1000);
    startTime_ = clicked;
    increment();
    layout_->stopButton->setEnabled(true);
    layout_->playButton->setEnabled(false);
}

void RecorderWindow::stop() {
    layout_->saveButton->setEnabled(true);
    layout_->resetButton->setEnabled(true);
    send("stop capture");
    layout_->playButton->setEnabled(true);
    increment();
    elapsedTimer_.stop();
}

void RecorderWindow::play() {
    send("play capture from 0");
}

void RecorderWindow::reset() {
    // The recording is discarded, not written anywhere: the device is closed and a new, empty
    // one opened, as if the window had been closed and opened again.
    unload();
    layout_->restoreInitialState();
    low_->setChecked(false);
    medium_->setChecked(false);
    elapsedTimer_.setInterval(0);
    load();
    startTime_ = now();
    layout_->timeBox->setText(QStringLiteral("00:00:00"));
}

void RecorderWindow::showMode() {
    std::string mode = query("status capture mode");
    if (cannotRecord_ && (mode.empty() || mode == "stopped")) {
        mode = "cannot record";
    }
    const QString text = QLatin1Char(' ') + QString::fromStdString(mode);
    if (layout_->modeLabel->text() != text) {
        layout_->modeLabel->setText(text);
    }
}

void RecorderWindow::showInformation() {
    send("set capture time format bytes");
    const QString text =
        QString::fromStdString(InformationText::forLengthReply(query("status capture length")));
    // Asked fifty times a second; the label repaints only when the size has changed.
    if (layout_->informationLabel->text() != text) {
        layout_->informationLabel->setText(text);
        publishInformation();
    }
}

void RecorderWindow::publishInformation() {
    // The display follows the size live; a screen reader hears it at most once a second, which
    // is also why the label's name is set apart from its text (a label whose name is its text
    // announces every change of it).
    QLabel* label = layout_->informationLabel;
    const QString name = label->text().simplified();
    if (informationNameTimer_.isActive() || name.isEmpty() || label->accessibleName() == name) {
        return;
    }
    label->setAccessibleName(name);
    informationNameTimer_.start();
}

void RecorderWindow::increment() {
    if (!startTime_.isValid()) {
        return;
    }
    // A clock set back shows no time rather than a negative one; whole days drop off the display.
    const qint64 seconds = std::max<qint64>(startTime_.secsTo(now()), 0) % kSecondsPerDay;
    layout_->timeBox->setText(QStringLiteral("%1:%2:%3")
                                  .arg(seconds / 3600, 2, 10, QLatin1Char('0'))
                                  .arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'))
                                  .arg(seconds % 60, 2, 10, QLatin1Char('0')));
}

unsigned RecorderWindow::send(const char* command) {
    // Only opening and recording look at the outcome; otherwise the mode and size displays show
    // what the device is really doing.
    return media_.send(command, nullptr, 0);
}

std::string RecorderWindow::query(const char* command) {
    std::array<char, kReplyLength> reply{};
    if (media_.send(command, reply.data(), reply.size()) != 0) {
        return {};
    }
    reply.back() = '\0';
    return std::string(reply.data());
}

QDateTime RecorderWindow::now() const {
    // Timing is to the whole second, as the start time is kept.
    const QDateTime time = clock_();
    return time.addMSecs(-time.time().msec());
}

} // namespace qf
