#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <chrono>

namespace qf {

// Whether a person is at the program: someone is while any of its windows gets input or is
// activated, and nobody is once none has for a while, or at once when the main window is
// minimised or hidden or the screen is locked. It wakes only when that may have changed, not
// for every event.
class AttentionWatch final : public QObject {
    Q_OBJECT
public:
    static constexpr std::chrono::milliseconds kIdle{30000};
    // kIdle, unless QF_IDLE_SECONDS holds a positive number of seconds up to it: the
    // whole-program tests measure what follows the quiet time without waiting it out.
    static std::chrono::milliseconds idleFromEnvironment();

    // Watches every window of the application; `main` minimised or hidden counts as nobody.
    explicit AttentionWatch(QWidget* main, std::chrono::milliseconds idle = kIdle,
                            QObject* parent = nullptr);
    ~AttentionWatch() override;

    bool attended() const { return attended_; }
    // Locked, nobody is there; unlocked, it is as the input since says.
    void setScreenLocked(bool locked);

signals:
    void attendedChanged(bool attended);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void seen();
    void lookAgain();
    void set(bool attended);
    // Nobody can be there: the main window put away, or the screen locked.
    bool away() const;

    QPointer<QWidget> main_;
    const std::chrono::milliseconds idle_;
    QElapsedTimer sinceInput_;
    QTimer check_;
    bool attended_ = true;
    bool locked_ = false;
};

} // namespace qf
