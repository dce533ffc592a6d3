#pragma once

#include "widgets/ToolWindow.h"

#include <QTimer>

class QLabel;

namespace qf {

// The splash window shown while the program starts. Its timer gives the main window its cue once;
// whoever listens to timerFired shows the main window and then closes the splash.
class SplashWindow final : public ToolWindow {
    Q_OBJECT
public:
    explicit SplashWindow(std::string appFolder);

    QLabel* logoBox() const { return logo_; }
    QLabel* titleLabel() const { return title_; }
    QLabel* ownershipLabel() const { return ownership_; }
    const QTimer& cueTimer() const { return cueTimer_; }

signals:
    // Sent on the timer's first tick, after the timer has been stopped, so a slow start-up in
    // the listener never sees a second tick.
    void timerFired();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QLabel* logo_;
    QLabel* title_;
    QLabel* ownership_;
    QTimer cueTimer_;
};

} // namespace qf
