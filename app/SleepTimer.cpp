#include "app/SleepTimer.h"

#include <algorithm>
#include <cstdlib>

namespace qf {

SleepTimer::SleepTimer(std::chrono::milliseconds minute, QObject* parent)
    : QObject(parent), minute_(minute) {
    fadeTimer_.setSingleShot(true);
    endTimer_.setSingleShot(true);
    // A minute-long fade must not start or end a few seconds late.
    fadeTimer_.setTimerType(Qt::PreciseTimer);
    endTimer_.setTimerType(Qt::PreciseTimer);
    connect(&fadeTimer_, &QTimer::timeout, this, [this] { emit fadeDue(fadeLength_); });
    connect(&endTimer_, &QTimer::timeout, this, &SleepTimer::expired);
}

std::chrono::milliseconds SleepTimer::minuteFromEnvironment() {
    const char* text = std::getenv("QF_SLEEP_SECONDS_PER_MINUTE");
    if (text != nullptr) {
        char* end = nullptr;
        const double seconds = std::strtod(text, &end);
        if (end != text && *end == '\0' && seconds > 0.0 && seconds <= 60.0) {
            return std::chrono::milliseconds(static_cast<long long>(seconds * 1000.0 + 0.5));
        }
    }
    return std::chrono::minutes(1);
}

void SleepTimer::start(int minutes) {
    const auto total = minute_ * minutes;
    fadeLength_ = std::min(total, minute_ * kFadeMinutes);
    fadeTimer_.start(total - fadeLength_);
    endTimer_.start(total);
}

void SleepTimer::cancel() {
    fadeTimer_.stop();
    endTimer_.stop();
}

} // namespace qf
