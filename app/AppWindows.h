#pragma once

#include "app/AttentionWatch.h"
#include "app/Playback.h"
#include "platform/mci/MediaCommandSender.h"
#include "platform/toolkit/QtMessageBox.h"
#include "platform/toolkit/QtShell.h"
#include "recorder/RecorderWindow.h"
#include "recorder/SaveWindow.h"
#include "ui/AboutWindow.h"
#include "ui/ContactWindow.h"
#include "ui/MainWindow.h"
#include "ui/SplashWindow.h"

#include <QObject>
#include <QPointer>

#include <string>

namespace qf {

// The program's windows. Each exists at most once: showing one that is open brings it to the
// front, and a closed one is made afresh the next time. None owns another, so each lives until
// the user closes it, and the program ends when the last one is gone.
class AppWindows final : public QObject {
    Q_OBJECT
public:
    // The recorder's media device must outlive the windows; without one the Record button
    // opens nothing.
    explicit AppWindows(std::string appFolder, sound::DirectSound::OutputFactory outputs = {},
                        Shell* shell = nullptr, mci::MediaCommandSender* media = nullptr);
    ~AppWindows() override;

    // The program's start: the splash first; its timer brings up the main window, minimised if
    // asked.
    void start(bool minimised = false);
    // Shows the main window, loading it (and starting the sound) the first time.
    void showMain();
    // What the desktop asks for when the program is started again: the main window to the
    // front, or the splash while it is still up (the main window follows it by itself).
    void raiseMain();
    void showAbout();
    void showContact();
    void openHelp();
    // The sound recorder and the window that saves its recording, each modeless. When the save
    // window closes, the recorder has the keyboard again.
    void showRecorder();
    void showSave();
    // The help document at its section about the recorder.
    void openRecorderHelp();
    // Asks every open window to close, each by its normal path (the platform's shutdown). No box
    // waits for the user from then on: messages go to standard error. A modal box or dialog that
    // is open is dismissed first, and the windows close once the code that opened it has
    // returned, never from inside its event loop.
    void closeAll();
    // Writes the main window's mix to disk now, as its close does, with messages on standard
    // error from then on: for the program's end, when nobody answers a box. True when there is
    // no mix to keep.
    bool storeMix();

    SplashWindow* splash() const { return splash_; }
    MainWindow* main() const { return main_; }
    // Pause, play and the sleep fade of the main window's mix; null while there is no main
    // window.
    Playback* playback() const { return playback_; }
    AboutWindow* about() const { return about_; }
    ContactWindow* contact() const { return contact_; }
    RecorderWindow* recorder() const { return recorder_; }
    SaveWindow* saveWindow() const { return save_; }

signals:
    // A new main window is made, with its playback, before it loads.
    void mainWindowCreated(MainWindow* main);

private:
    // Closes every modal window; true if there was one.
    static bool dismissModals();
    template <typename Window> void bringUp(QPointer<Window>& window);
    static void bringForward(QWidget* window);

    std::string appFolder_;
    bool startMinimised_ = false;
    sound::DirectSound::OutputFactory outputs_;
    QtShell ownShell_;
    Shell& shell_;
    mci::MediaCommandSender* media_;
    QtMessageBox messages_;
    QPointer<SplashWindow> splash_;
    QPointer<MainWindow> main_;
    QPointer<Playback> playback_;
    QPointer<AttentionWatch> attention_;
    QPointer<AboutWindow> about_;
    QPointer<ContactWindow> contact_;
    QPointer<RecorderWindow> recorder_;
    QPointer<SaveWindow> save_;
};

} // namespace qf
