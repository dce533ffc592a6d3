#pragma once

#include "engine/MixerControls.h"
#include "engine/MixerPanel.h"
#include "engine/NoiseEngine.h"
#include "platform/toolkit/MessageBox.h"
#include "platform/toolkit/QtCommonDialog.h"
#include "ui/MainWindowLayout.h"
#include "ui/MainWindowMenu.h"
#include "ui/MixStore.h"
#include "widgets/Backdrop.h"

#include <QMainWindow>
#include <QTimer>

#include <functional>
#include <memory>
#include <string>

namespace qf {

// The main window: the mixer's rows, the pan slider, Mute and Reset All, and the engine that
// plays what they show.
class MainWindow final : public QMainWindow, public MixerPanel {
    Q_OBJECT
public:
    // `store` makes what keeps the mix on disk. Without a dialog of its own choosing the window
    // uses the desktop's file dialog.
    MainWindow(std::string appFolder, MessageBox& messages, const MixStore::Factory& store,
               sound::DirectSound::OutputFactory outputs = {}, CommonDialog* dialog = nullptr,
               QWidget* parent = nullptr);
    ~MainWindow() override;

    // The window's load handling: show itself first (minimised, if asked), so it is on screen
    // before any sound work, then build the engine and start it.
    void load(bool minimised = false);
    void Initialise();
    void PlaySound();
    void StopSound();

    // MixerPanel
    int checkState(int row) const override;
    void setCheckState(int row, int state) override;
    int volumeValue(int row) const override;
    void setVolumeValue(int row, int value) override;
    int frequencyValue(int row) const override;
    int panValue() const override;
    void setFrequencyValue(int row, int value) override;
    void showPicture(const std::string& path) override;
    void setReadout(int row, const std::string& text) override;
    void markUnavailable(int row, const std::string& reason) override;

    MainWindowLayout& controlsLayout() { return *layout_; }
    MainWindowMenu& menu() { return *menu_; }
    MessageBox& messages() { return messages_; }
    Backdrop& client() { return *client_; }
    NoiseEngine& engine() { return engine_; }
    MixerControls& mixer() { return controls_; }
    // The caption says whether the mix is paused, and how many minutes the sleep timer has
    // left (0: none set); the Sleep menu checks the time chosen (0: none), and offers more time
    // only while there is some left.
    void showPaused(bool paused);
    void showSleep(int minutesLeft, int chosenMinutes);
    // The file last loaded into pictureBox, empty if none.
    const QString& pictureShown() const { return pictureShown_; }
    bool playTimerEnabled() const { return playTimerEnabled_; }
    QTimer& readoutTimer() { return readoutTimer_; }
    // Runs while the engine waits for a sound output that was missing at start.
    const QTimer& outputWatch() const { return outputWatch_; }

    // Writes the mix to disk now, as the window's close does; false if it could not be kept.
    bool storeMix();
    // Runs when the window unloads, after the sound has stopped and the mix has been saved.
    void setUnloadStep(std::function<void()> step) { unloadStep_ = std::move(step); }

signals:
    void recordRequested();
    void aboutRequested();
    void contactRequested();
    void helpRequested();
    // A mixer control changed, by the user or the program, after its own handling.
    void mixerControlChanged();
    // Around each attempt to start the engine on an output that was missing at start; `made`
    // says whether a device was made.
    void outputStarting();
    void outputStarted(bool made);
    // The engine's device and channels are made, and the stored mix is about to reach them.
    void storedMixStarting();
    // The Sleep menu: a time in minutes, or 0 for Cancel.
    void sleepRequested(int minutes);
    // The Sleep menu's Add: these minutes more for the running timer.
    void sleepAddRequested(int minutes);

protected:
    // The window's QueryUnload and Unload: every way of closing comes through here.
    void closeEvent(QCloseEvent* event) override;

private:
    void connectControls();
    void connectCommands();
    // Every change of a mixer control, by the user or the program, after its own handling.
    void controlChanged();
    void Unload();
    void tellStartupReport();
    void showCaption();
    // What a screen reader calls the picture at `path`.
    QString pictureName(const std::string& path) const;

    MessageBox& messages_;
    NoiseEngine engine_;
    MixerControls controls_;
    QtCommonDialog ownDialog_;
    CommonDialog& fileDialog_;
    std::unique_ptr<MixStore> config_;
    Backdrop* client_;
    std::unique_ptr<MainWindowLayout> layout_;
    std::unique_ptr<MainWindowMenu> menu_;
    std::function<void()> unloadStep_;
    bool unloaded_ = false;
    bool loaded_ = false;
    bool paused_ = false;
    int sleepMinutesLeft_ = 0;
    QTimer readoutTimer_;
    QTimer outputWatch_;
    QString pictureShown_;
    // Timer1 has no work on its ticks, so being enabled is all there is to it; no real timer
    // wakes the program ten times a second for nothing.
    bool playTimerEnabled_ = false;
};

} // namespace qf
