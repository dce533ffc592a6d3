#pragma once

#include "Backdrop.h"
#include "ConfigCommands.h"
#include "MainWindowLayout.h"
#include "MainWindowMenu.h"
#include "MessageBox.h"
#include "MixerControls.h"
#include "MixerPanel.h"
#include "NoiseEngine.h"
#include "Playback.h"
#include "QtCommonDialog.h"

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
    // Without a dialog of its own choosing the window uses the desktop's file dialog.
    MainWindow(std::string appFolder, MessageBox& messages,
               sound::DirectSound::OutputFactory outputs = {}, CommonDialog* dialog = nullptr,
               QWidget* parent = nullptr);
    ~MainWindow() override;

    // The window's load handling: show itself first, so it is on screen before any sound work,
    // then build the engine and start it.
    void load();
    void Initialise();
    void PlaySound();
    void StopSound();
    // Does nothing and is never called: the program has no notification-area icon.
    void AddToTray(QWidget* window, QMenu* menu);

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
    Backdrop& client() { return *client_; }
    NoiseEngine& engine() { return engine_; }
    MixerControls& mixer() { return controls_; }
    // Pause, play and the sleep fade, as the desktop's media controls and the sleep timer ask.
    Playback& playback() { return playback_; }
    ConfigCommands& config() { return config_; }
    // The file last loaded into pictureBox, empty if none.
    const QString& pictureShown() const { return pictureShown_; }
    bool playTimerEnabled() const { return playTimerEnabled_; }
    QTimer& readoutTimer() { return readoutTimer_; }
    // Runs while the engine waits for a sound output that was missing at start.
    const QTimer& outputWatch() const { return outputWatch_; }

    // Runs when the window unloads, after the sound has stopped and the mix has been saved.
    void setUnloadStep(std::function<void()> step) { unloadStep_ = std::move(step); }

signals:
    void recordRequested();
    void aboutRequested();
    void contactRequested();
    void helpRequested();

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
    // What a screen reader calls the picture at `path`.
    QString pictureName(const std::string& path) const;

    MessageBox& messages_;
    NoiseEngine engine_;
    MixerControls controls_;
    Playback playback_;
    QtCommonDialog ownDialog_;
    CommonDialog& fileDialog_;
    ConfigCommands config_;
    Backdrop* client_;
    std::unique_ptr<MainWindowLayout> layout_;
    std::unique_ptr<MainWindowMenu> menu_;
    std::function<void()> unloadStep_;
    bool unloaded_ = false;
    bool loaded_ = false;
    QTimer readoutTimer_;
    QTimer outputWatch_;
    QString pictureShown_;
    // Timer1 has no work on its ticks, so being enabled is all there is to it; no real timer
    // wakes the program ten times a second for nothing.
    bool playTimerEnabled_ = false;
};

} // namespace qf
