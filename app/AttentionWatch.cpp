#include "app/AttentionWatch.h"

#include "app/EnvironmentSeconds.h"

#include <QApplication>
#include <QEvent>

namespace qf {

AttentionWatch::AttentionWatch(QWidget* main, std::chrono::milliseconds idle, QObject* parent)
    : QObject(parent), main_(main), idle_(idle) {
    check_.setSingleShot(true);
    connect(&check_, &QTimer::timeout, this, &AttentionWatch::lookAgain);
    sinceInput_.start();
    check_.start(idle_);
    qApp->installEventFilter(this);
}

std::chrono::milliseconds AttentionWatch::idleFromEnvironment() {
    return EnvironmentSeconds::read("QF_IDLE_SECONDS", kIdle).value_or(kIdle);
}

AttentionWatch::~AttentionWatch() {
    qApp->removeEventFilter(this);
}

bool AttentionWatch::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::MouseMove:
    case QEvent::MouseButtonPress:
    case QEvent::KeyPress:
    case QEvent::Wheel:
    case QEvent::Enter:
    case QEvent::TouchBegin:
    case QEvent::WindowActivate:
        if (watched->isWidgetType()) {
            seen();
        }
        break;
    case QEvent::WindowStateChange:
    case QEvent::Hide:
    case QEvent::Show:
        if (watched == main_) {
            // The state is read once the change has happened; brought back is someone's doing.
            QTimer::singleShot(0, this, [this] {
                if (away()) {
                    set(false);
                } else {
                    seen();
                }
            });
        }
        break;
    default:
        break;
    }
    return false;
}

void AttentionWatch::seen() {
    // Only the clock is touched for each event; the timer looks again when it runs out.
    sinceInput_.restart();
    if (!away()) {
        set(true);
    }
    if (!check_.isActive()) {
        check_.start(idle_);
    }
}

void AttentionWatch::lookAgain() {
    const auto quiet = std::chrono::milliseconds(sinceInput_.elapsed());
    if (quiet >= idle_) {
        set(false);
        return;
    }
    check_.start(idle_ - quiet);
}

void AttentionWatch::set(bool attended) {
    if (attended_ == attended) {
        return;
    }
    attended_ = attended;
    emit attendedChanged(attended);
}

void AttentionWatch::setScreenLocked(bool locked) {
    locked_ = locked;
    if (locked) {
        set(false);
    } else if (!away() && std::chrono::milliseconds(sinceInput_.elapsed()) < idle_) {
        set(true);
    }
}

bool AttentionWatch::away() const {
    return locked_ || (main_ && (main_->isMinimized() || !main_->isVisible()));
}

} // namespace qf
