#pragma once

#include "app/KeptSwitch.h"
#include "app/SleepTimer.h"
#include "platform/dbus/MprisService.h"

#include <QObject>

#include <functional>

namespace qf {

class AppWindows;
class MainWindow;
class Playback;
class SuspendAtEnd;

// Joins the desktop's channels to the windows: the media controls and a second start of the
// program (through the player service, when there is a session bus) and the sleep timer all
// act on the main window's playback, and what it plays is shown back to the media controls.
class MediaSession final : public QObject {
    Q_OBJECT
public:
    // `closeProgram` ends the program the way the platform's shutdown does.
    MediaSession(AppWindows& windows, SleepTimer& sleep, std::function<void()> closeProgram,
                 QObject* parent = nullptr);

    // Takes requests from, and shows the state on, a registered player service, which answers
    // the media keys as `answerKeys` says; the Options menu changes and keeps that.
    void attach(MprisService& player, KeptSwitch& answerKeys);
    // Shows the Sleep menu's Suspend at the End on each main window, and carries it out when
    // the timer ends, before the program closes.
    void attach(SuspendAtEnd& suspend);
    // Starts the sleep timer, or starts it afresh; a fade underway is undone.
    void sleepIn(int minutes);
    // Stops the sleep timer; a fade underway is undone.
    void cancelSleep();
    // For the sound system, from any thread: the personal output the mix played on went away
    // (true), so the mix pauses, or is back (false), so what that paused plays again.
    std::function<void(bool gone)> personalOutputTold();
    // Gives a running sleep timer more time; a fade underway is undone, and comes again over
    // the new last minute.
    void addSleep(int minutes);

private:
    Playback* playback() const;
    void follow(MainWindow* main);
    void publish();
    void followMediaKeys(MainWindow* main);
    void answerMediaKeys(bool answer);

    AppWindows& windows_;
    SleepTimer& sleep_;
    std::function<void()> closeProgram_;
    MprisService* player_ = nullptr;
    KeptSwitch* answerKeys_ = nullptr;
    SuspendAtEnd* suspend_ = nullptr;
};

} // namespace qf
