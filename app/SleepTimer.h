#pragma once

#include <QObject>
#include <QTimer>

#include <chrono>

namespace qf {

// `--sleep`: after the time given the program ends, and over its last minute the mix fades out.
// The timer only says when; the fade and the end are the program's to carry out.
class SleepTimer final : public QObject {
    Q_OBJECT
public:
    static constexpr int kFadeMinutes = 1;

    // `minute` is how long one minute of the timer lasts.
    explicit SleepTimer(std::chrono::milliseconds minute = std::chrono::minutes(1),
                        QObject* parent = nullptr);
    // A real minute, unless QF_SLEEP_SECONDS_PER_MINUTE holds a positive number of seconds:
    // the whole-program tests shorten the timer with it, so that a fade takes seconds.
    static std::chrono::milliseconds minuteFromEnvironment();

    // Starts the timer, or starts it afresh if it runs. Times shorter than the fade fade all
    // the way.
    void start(int minutes);
    // Adds to the time left of a running timer, whose fade moves to the new last minute; a
    // timer that does not run stays off.
    void extend(int minutes);
    void cancel();
    bool running() const { return endTimer_.isActive(); }
    std::chrono::milliseconds minute() const { return minute_; }
    // Whole minutes left, counting a minute begun as a whole one; 0 when not running.
    int minutesLeft() const;
    // The minutes of the last start and those added since, while it runs; 0 otherwise.
    int requestedMinutes() const { return running() ? requested_ : 0; }

signals:
    // Started, cancelled or ended, or a minute has passed.
    void changed();
    // The fade begins now and lasts `length`, up to the end.
    void fadeDue(std::chrono::milliseconds length);
    void expired();

private:
    std::chrono::milliseconds minute_;
    std::chrono::milliseconds fadeLength_{0};
    void scheduleCount();
    void runFor(std::chrono::milliseconds total);

    int requested_ = 0;
    int shownMinutes_ = 0;
    QTimer fadeTimer_;
    QTimer endTimer_;
    // Fires as each minute passes, so the minutes shown follow without a timer ticking faster.
    QTimer countTimer_;
};

} // namespace qf
