#include "app/MediaSession.h"

#include "app/AppWindows.h"
#include "app/Playback.h"
#include "app/SleepDuration.h"
#include "app/SuspendAtEnd.h"
#include "engine/MixTitle.h"

#include <QCoreApplication>
#include <QDir>
#include <QPointer>
#include <QTimer>

#include <cstdio>

namespace qf {

MediaSession::MediaSession(AppWindows& windows, SleepTimer& sleep,
                           std::function<void()> closeProgram, QObject* parent)
    : QObject(parent), windows_(windows), sleep_(sleep), closeProgram_(std::move(closeProgram)) {
    connect(&windows_, &AppWindows::mainWindowCreated, this, &MediaSession::follow);
    connect(&sleep_, &SleepTimer::fadeDue, this, [this](std::chrono::milliseconds length) {
        if (Playback* p = playback()) {
            p->fadeForSleep(length);
        }
    });
    connect(&sleep_, &SleepTimer::expired, this, [this] {
        if (suspend_ != nullptr) {
            suspend_->atEnd([this] { return windows_.storeMix(); });
        }
        closeProgram_();
    });
}

Playback* MediaSession::playback() const {
    return windows_.playback();
}

void MediaSession::follow(MainWindow* main) {
    Playback* p = windows_.playback();
    connect(p, &Playback::changed, this, &MediaSession::publish);
    connect(p, &Playback::sleepInterrupted, &sleep_, &SleepTimer::cancel);
    // Once the window has gone, nothing plays; asked after it has quite gone.
    connect(main, &QObject::destroyed, this,
            [this] { QTimer::singleShot(0, this, &MediaSession::publish); });
    // The window's Sleep menu sets the one timer too, and the window shows what is left.
    connect(main, &MainWindow::sleepRequested, this, [this](int minutes) {
        if (minutes > 0) {
            sleepIn(minutes);
        } else {
            cancelSleep();
        }
    });
    connect(main, &MainWindow::sleepAddRequested, this, &MediaSession::addSleep);
    if (suspend_ != nullptr) {
        suspend_->follow(main);
    }
    const auto showSleep = [this, main] {
        main->showSleep(sleep_.minutesLeft(), sleep_.requestedMinutes());
    };
    connect(&sleep_, &SleepTimer::changed, main, showSleep);
    showSleep();
    followMediaKeys(main);
}

void MediaSession::followMediaKeys(MainWindow* main) {
    QAction* check = main->menu().answerMediaKeysAction;
    if (player_ == nullptr) {
        return;
    }
    check->setEnabled(true);
    check->setChecked(player_->answersMediaKeys());
    connect(check, &QAction::triggered, this, [this, check](bool wanted) {
        answerMediaKeys(wanted);
        check->setChecked(player_->answersMediaKeys());
    });
}

void MediaSession::answerMediaKeys(bool answer) {
    if (!player_->answerMediaKeys(answer)) {
        std::fprintf(stderr,
                     "quietfield: another program holds the media player's name; the media keys "
                     "stay with it\n");
    }
    if (answerKeys_->on() != answer && !answerKeys_->set(answer)) {
        // It holds for this run all the same.
        std::fprintf(stderr, "quietfield: could not keep the media keys' choice in %s\n",
                     qPrintable(QDir::toNativeSeparators(answerKeys_->file())));
    }
}

void MediaSession::attach(MprisService& player, KeptSwitch& answerKeys) {
    player_ = &player;
    answerKeys_ = &answerKeys;
    if (answerKeys.on()) {
        answerMediaKeys(true);
    }
    const auto onPlayback = [this](void (Playback::*action)()) {
        return [this, action] {
            if (Playback* p = playback()) {
                (p->*action)();
            }
        };
    };
    connect(&player, &MprisService::playRequested, this, onPlayback(&Playback::play));
    connect(&player, &MprisService::pauseRequested, this, onPlayback(&Playback::pause));
    // A noise mix has nowhere to stop at but where it is: Stop is Pause.
    connect(&player, &MprisService::stopRequested, this, onPlayback(&Playback::pause));
    connect(&player, &MprisService::playPauseRequested, this, onPlayback(&Playback::playPause));
    connect(&player, &MprisService::raiseRequested, &windows_, &AppWindows::raiseMain);
    connect(&player, &MprisService::quitRequested, this, [this] { closeProgram_(); });
    connect(&player, &MprisService::sleepRequested, this, [this](int minutes) {
        if (minutes >= 1 && minutes <= SleepDuration::kMaxMinutes) {
            sleepIn(minutes);
        }
    });
    publish();
}

std::function<void(bool gone)> MediaSession::personalOutputTold() {
    return [self = QPointer<MediaSession>(this)](bool gone) {
        QMetaObject::invokeMethod(
            qApp,
            [self, gone] {
                Playback* p = self ? self->playback() : nullptr;
                if (p != nullptr && gone) {
                    p->pauseForLostOutput();
                } else if (p != nullptr) {
                    p->outputBack();
                }
            },
            Qt::QueuedConnection);
    };
}

void MediaSession::sleepIn(int minutes) {
    if (Playback* p = playback()) {
        p->endSleepFade();
    }
    sleep_.start(minutes);
}

void MediaSession::attach(SuspendAtEnd& suspend) {
    suspend_ = &suspend;
    if (MainWindow* main = windows_.main()) {
        suspend.follow(main);
    }
}

void MediaSession::addSleep(int minutes) {
    if (!sleep_.running()) {
        return;
    }
    if (Playback* p = playback()) {
        p->endSleepFade();
    }
    sleep_.extend(minutes);
}

void MediaSession::cancelSleep() {
    if (Playback* p = playback()) {
        p->endSleepFade();
    }
    sleep_.cancel();
}

void MediaSession::publish() {
    if (player_ == nullptr) {
        return;
    }
    MprisService::State state;
    if (Playback* p = playback()) {
        const auto rows = p->playingRows();
        switch (p->status()) {
        case Playback::Status::Playing:
            state.status = QStringLiteral("Playing");
            break;
        case Playback::Status::Paused:
            state.status = QStringLiteral("Paused");
            break;
        case Playback::Status::Stopped:
            break;
        }
        const std::string title = MixTitle::of(rows);
        if (!title.empty()) {
            int mask = 0;
            for (std::size_t i = 0; i < rows.size(); ++i) {
                mask |= rows[i] ? 1 << i : 0;
            }
            // One track per combination of colours, so a changed mix is a new track.
            state.trackId = QStringLiteral("/org/quietfield/mix/%1").arg(mask);
            state.title = QString::fromStdString(title);
        }
    }
    player_->setState(state);
}

} // namespace qf
