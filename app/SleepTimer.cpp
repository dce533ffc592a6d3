#include "app/SleepTimer.h"

#include "app/EnvironmentSeconds.h"
#include "app/SleepDuration.h"

#include <algorithm>

namespace qf {

SleepTimer::SleepTimer(std::chrono::milliseconds minute, QObject* parent)
    : QObject(parent), minute_(minute) {
    fadeTimer_.setSingleShot(true);
    endTimer_.setSingleShot(true);
    // A minute-long fade must not start or end a few seconds late.
    fadeTimer_.setTimerType(Qt::PreciseTimer);
    endTimer_.setTimerType(Qt::PreciseTimer);
    connect(&fadeTimer_, &QTimer::timeout, this, [this] { emit fadeDue(fadeLength_); });
    countTimer_.setSingleShot(true);
    connect(&endTimer_, &QTimer::timeout, this, [this] {
        countTimer_.stop();
        emit changed();
        emit expired();
    });
    // A coarse timer may fire a little early: the count is told only once it has dropped.
    connect(&countTimer_, &QTimer::timeout, this, [this] {
        scheduleCount();
        if (minutesLeft() != shownMinutes_) {
            shownMinutes_ = minutesLeft();
            emit changed();
        }
    });
}

std::chrono::milliseconds SleepTimer::minuteFromEnvironment() {
    return EnvironmentSeconds::read("QF_SLEEP_SECONDS_PER_MINUTE", std::chrono::minutes(1))
        .value_or(std::chrono::minutes(1));
}

void SleepTimer::start(int minutes) {
    requested_ = minutes;
    runFor(minute_ * minutes);
}

void SleepTimer::extend(int minutes) {
    if (!running()) {
        return;
    }
    requested_ += minutes;
    // No longer than the longest time the timer takes at all, however often it is added to.
    const auto left = std::chrono::milliseconds(std::max(endTimer_.remainingTime(), 0));
    runFor(std::min(left + minute_ * minutes, minute_ * SleepDuration::kMaxMinutes));
}

void SleepTimer::runFor(std::chrono::milliseconds total) {
    fadeLength_ = std::min(total, minute_ * kFadeMinutes);
    fadeTimer_.start(total - fadeLength_);
    endTimer_.start(total);
    shownMinutes_ = minutesLeft();
    scheduleCount();
    emit changed();
}

void SleepTimer::cancel() {
    const bool was = running();
    fadeTimer_.stop();
    endTimer_.stop();
    countTimer_.stop();
    if (was) {
        emit changed();
    }
}

int SleepTimer::minutesLeft() const {
    if (!running()) {
        return 0;
    }
    const auto minute = minute_.count();
    const auto left = std::max<long long>(endTimer_.remainingTime(), 0);
    return static_cast<int>((left + minute - 1) / minute);
}

void SleepTimer::scheduleCount() {
    // The next moment the count of minutes left drops, short of the end itself.
    const int left = minutesLeft();
    if (left <= 1) {
        return;
    }
    const auto until =
        std::max<long long>(endTimer_.remainingTime() - (left - 1) * minute_.count(), 1);
    countTimer_.start(static_cast<int>(until));
}

} // namespace qf
