#pragma once

#include "ToolWindow.h"

#include <QTimer>

class QLabel;

namespace qf {

// The splash window shown while the program starts. Its timer gives the main window its cue once;
// whoever listens to timerFired shows the main window and then closes the splash.
class Form6 final : public ToolWindow {
    Q_OBJECT
public:
    explicit Form6(std::string appFolder);

    QLabel* Picture1() const { return picture1_; }
    QLabel* Label1() const { return label1_; }
    QLabel* Label2() const { return label2_; }
    const QTimer& Timer1() const { return timer1_; }

signals:
    // Sent on the timer's first tick, after the timer has been stopped, so a slow start-up in
    // the listener never sees a second tick.
    void timerFired();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QLabel* picture1_;
    QLabel* label1_;
    QLabel* label2_;
    QTimer timer1_;
};

} // namespace qf
