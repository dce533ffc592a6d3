#pragma once

#include "engine/ChannelTable.h"
#include "engine/NoiseEngine.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <array>
#include <chrono>
#include <string>

namespace qf {

// Pause and play for the whole mix, as the desktop's media controls ask, and the sleep timer's
// fade. Both work on the sound system's master level alone: no control, no setting and not the
// Mute state changes, so the window and the stored mix stay as the user left them.
class Playback final : public QObject {
    Q_OBJECT
public:
    // How long pausing fades the mix out, and playing fades it back in.
    static constexpr double kFadeSeconds = 0.3;
    // Where the sleep timer's fade ends: -60 dB.
    static constexpr float kSleepFloor = 0.001f;
    // How long the stored mix takes at start-up to rise from silence to its level.
    static constexpr double kGentleStartSeconds = 3.0;

    enum class Status { Playing, Paused, Stopped };

    explicit Playback(NoiseEngine& engine, QObject* parent = nullptr);

    // Fades the mix back in where it stopped. Ends a sleep fade, bringing the level back.
    void play();
    // Fades the mix out, then stops the output device. Ends a sleep fade.
    void pause();
    void playPause();
    // The personal output the mix played on went away: paused as pause() does. When it is
    // back, the mix plays again, unless it was played or paused by other means meanwhile.
    void pauseForLostOutput();
    void outputBack();
    bool paused() const { return paused_; }
    // Stopped whenever no row plays, paused or not.
    Status status() const;
    // Which rows play, indexed by row - 1.
    std::array<bool, ChannelTable::kChannels> playingRows() const;

    // The sleep timer's last stretch: the mix falls evenly in decibels to -60 dB over `length`.
    void fadeForSleep(std::chrono::milliseconds length);
    // Brings the level back from a sleep fade, if one runs, without announcing anything.
    void endSleepFade();
    bool sleepFading() const { return sleepFading_; }
    // Passed on to the output, which may queue deeply while nobody is there.
    void setAttended(bool attended);

    // The program's start: asked before the window loads, the mix rises from silence over
    // kGentleStartSeconds from its first sound (storedMixStarting(), as the stored mix is about to
    // reach the channels); once the window has loaded (fadeInStart()), a start with nothing
    // stored playing is at its level at once.
    void startGently();
    void storedMixStarting();
    void fadeInStart();

    // A mixer control of the window changed: a pause or a sleep fade ends, and so does the start's
    // fade, quickly, so that a row ticked by hand is heard at once.
    void controlChanged();
    // The sound device was made only now (the output was missing at start): a pause that came
    // before it holds for it too, though the stored mix reached the controls on the way.
    // Around the engine's attempt to start; `made` says whether a device was made.
    void deviceStarting();
    void deviceStarted(bool made);
    // Keeps the output open only while something can be heard: with no row playing it is
    // closed once the last row has faded out, and opened again when a row starts.
    void followRows();

signals:
    // The status or what plays may have changed.
    void changed();
    // A media control or a control of the window has cut a sleep fade short.
    void sleepInterrupted();

private:
    sound::MasterGain* master();
    void interruptSleepFade();
    void stopOutputWhenSilent();
    void stopOutputWhenIdle();

    NoiseEngine& engine_;
    void applyAttention();

    bool attended_ = true;
    bool paused_ = false;
    bool pausedForOutput_ = false;
    bool sleepFading_ = false;
    bool starting_ = false;
    bool gentleStart_ = false;
    bool startFading_ = false;
    QTimer silenceWatch_;
    QTimer idleClose_;
    QElapsedTimer pausedFor_;
};

} // namespace qf
