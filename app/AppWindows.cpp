#include "app/AppWindows.h"

#include "app/ConfigCommands.h"
#include "platform/dbus/ScreenLockWatch.h"
#include "platform/files/FileLookup.h"

#include <QApplication>
#include <QDialog>
#include <QTimer>

namespace qf {

namespace {
constexpr int kAfterModalMs = 50;
constexpr int kMaxModals = 8;
} // namespace

AppWindows::AppWindows(std::string appFolder, sound::DirectSound::OutputFactory outputs,
                       Shell* shell, mci::MediaCommandSender* media)
    : appFolder_(std::move(appFolder)), outputs_(std::move(outputs)),
      shell_(shell != nullptr ? *shell : ownShell_), media_(media) {}

AppWindows::~AppWindows() {
    // Windows still open when the program ends go with it.
    delete splash_;
    delete about_;
    delete contact_;
    delete save_;
    delete recorder_;
    delete main_;
}

void AppWindows::start(bool minimised) {
    startMinimised_ = minimised;
    splash_ = new SplashWindow(appFolder_);
    connect(splash_, &SplashWindow::timerFired, this, [this] {
        showMain();
        startMinimised_ = false;
        if (splash_) {
            splash_->close();
        }
    });
    splash_->show();
}

void AppWindows::showMain() {
    if (main_) {
        main_->showNormal();
        main_->raise();
        main_->activateWindow();
        return;
    }
    main_ = new MainWindow(appFolder_, messages_, ConfigCommands::inFolder(appFolder_), outputs_);
    main_->setAttribute(Qt::WA_DeleteOnClose);
    // A child of the window: it plays the window's engine and goes with it.
    playback_ = new Playback(main_->engine(), main_);
    connect(main_, &MainWindow::mixerControlChanged, playback_, &Playback::controlChanged);
    connect(main_, &MainWindow::outputStarting, playback_, &Playback::deviceStarting);
    connect(main_, &MainWindow::outputStarted, playback_, &Playback::deviceStarted);
    connect(main_, &MainWindow::storedMixStarting, playback_, &Playback::storedMixStarting);
    attention_ = new AttentionWatch(main_, AttentionWatch::idleFromEnvironment(), main_);
    connect(attention_, &AttentionWatch::attendedChanged, playback_, &Playback::setAttended);
    auto* screenLock = new ScreenLockWatch(attention_);
    connect(screenLock, &ScreenLockWatch::lockedChanged, attention_,
            &AttentionWatch::setScreenLocked);
    connect(playback_, &Playback::changed, main_,
            [main = main_.data(), playback = playback_.data()] {
                main->showPaused(playback->paused());
            });
    messages_.setParent(main_);
    connect(main_, &MainWindow::aboutRequested, this, &AppWindows::showAbout);
    connect(main_, &MainWindow::contactRequested, this, &AppWindows::showContact);
    connect(main_, &MainWindow::helpRequested, this, &AppWindows::openHelp);
    connect(main_, &MainWindow::recordRequested, this, &AppWindows::showRecorder);
    emit mainWindowCreated(main_);
    playback_->startGently();
    main_->load(startMinimised_);
    playback_->fadeInStart();
    // A mix that starts with no row on leaves nothing for the output to do.
    if (playback_) {
        playback_->followRows();
    }
}

void AppWindows::raiseMain() {
    if (!main_ && splash_) {
        bringForward(splash_);
        return;
    }
    showMain();
}

template <typename Window> void AppWindows::bringUp(QPointer<Window>& window) {
    if (!window) {
        window = new Window(appFolder_);
    }
    bringForward(window);
}

void AppWindows::bringForward(QWidget* window) {
    window->show();
    window->raise();
    window->activateWindow();
}

void AppWindows::showAbout() {
    bringUp(about_);
}

void AppWindows::showContact() {
    bringUp(contact_);
}

void AppWindows::openHelp() {
    // The document is the desktop viewer's business; whether it exists is not checked here.
    const auto owner = main_ ? static_cast<std::uintptr_t>(main_->winId()) : 0;
    shell_.open(FileLookup::resolve(appFolder_, "\\help.htm"), owner);
}

void AppWindows::showRecorder() {
    if (media_ == nullptr) {
        return;
    }
    if (!recorder_) {
        recorder_ = new RecorderWindow(appFolder_, *media_);
        connect(recorder_, &RecorderWindow::saveRequested, this, &AppWindows::showSave);
        connect(recorder_, &RecorderWindow::helpRequested, this, &AppWindows::openRecorderHelp);
    }
    bringForward(recorder_);
}

void AppWindows::showSave() {
    // Only the recorder asks for it, and it exists only with a media device.
    if (!save_) {
        save_ = new SaveWindow(appFolder_, *media_);
        // However it closes (saved, Escape, close box), the keys go back to the recorder it was
        // opened from, not to whichever window the desktop picks. A recorder closed meanwhile
        // (the program ending) is not brought back.
        connect(save_, &QObject::destroyed, this, [this] {
            if (recorder_ && recorder_->isVisible()) {
                recorder_->raise();
                recorder_->activateWindow();
            }
        });
    }
    bringForward(save_);
}

void AppWindows::openRecorderHelp() {
    const auto owner = recorder_ ? static_cast<std::uintptr_t>(recorder_->winId()) : 0;
    shell_.openAt(FileLookup::resolve(appFolder_, "\\help.htm"), "recorder", owner);
}

void AppWindows::closeAll() {
    messages_.sendToStandardError();
    if (dismissModals()) {
        // The box's own loop ends first, and the code that showed it runs to its end with its
        // window still there; the closing comes after, from the main loop.
        QTimer::singleShot(kAfterModalMs, this, &AppWindows::closeAll);
        return;
    }
    for (QWidget* window : {static_cast<QWidget*>(splash_), static_cast<QWidget*>(about_),
                            static_cast<QWidget*>(contact_), static_cast<QWidget*>(save_),
                            static_cast<QWidget*>(recorder_), static_cast<QWidget*>(main_)}) {
        if (window) {
            window->close();
        }
    }
}

bool AppWindows::storeMix() {
    messages_.sendToStandardError();
    return !main_ || main_->storeMix();
}

bool AppWindows::dismissModals() {
    bool any = false;
    // A modal window that refuses to go is tried again on the next round, not forever here.
    for (int i = 0; i < kMaxModals; ++i) {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr) {
            break;
        }
        any = true;
        if (auto* dialog = qobject_cast<QDialog*>(modal)) {
            dialog->reject();
        } else {
            modal->close();
        }
    }
    return any;
}

} // namespace qf
