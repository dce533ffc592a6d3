#pragma once

#include "platform/mci/MediaCommandSender.h"
#include "recorder/RecorderLayout.h"
#include "widgets/ToolWindow.h"

#include <QDateTime>
#include <QTimer>

#include <functional>
#include <memory>
#include <string>

class QAction;
class QMenu;
class QMenuBar;

namespace qf {

// The Sound Recorder: records from the sound input, plays the recording back and hands it to the
// save window. It holds no audio itself; it drives the media device under the alias "capture"
// with text commands and learns what the device is doing only by asking it.
//
// The window's state is carried by which buttons are enabled: fresh (only Record and Help),
// recording (Stop too), stopped (everything). Closing it (the close box or Escape) discards the
// recording.
class RecorderWindow final : public ToolWindow {
    Q_OBJECT
public:
    using Clock = std::function<QDateTime()>;

    // The media device must outlive the window. Without a clock of its own choosing the window
    // reads the system's.
    RecorderWindow(std::string appFolder, mci::MediaCommandSender& media, Clock clock = {});
    ~RecorderWindow() override;

    // The buttons' work.
    void record();
    void stop();
    void play();
    void reset();

    // The timers' work: the device's mode, the recording's size, and the time since Record.
    void showMode();
    void showInformation();
    void increment();

    RecorderLayout& controls() { return *layout_; }
    QMenuBar* menuBar() const { return menuBar_; }
    QMenu* qualityMenu() const { return qualityMenu_; }
    QAction* lowQuality() const { return low_; }
    QAction* mediumQuality() const { return medium_; }
    QAction* highQuality() const { return high_; }
    QTimer& modeTimer() { return modeTimer_; }
    QTimer& informationTimer() { return informationTimer_; }
    QTimer& elapsedTimer() { return elapsedTimer_; }
    // When the current timing began, to the whole second; null before the first Record.
    const QDateTime& startTime() const { return startTime_; }

signals:
    // The Save and Help buttons: what they open belongs to the program, not to this window.
    void saveRequested();
    void helpRequested();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildMenu();
    void load();
    void unload();
    // The device's result: 0 when it did what was asked.
    unsigned send(const char* command);
    // A status query's reply; empty when the device gave none or reported an error.
    std::string query(const char* command);
    QDateTime now() const;
    void publishInformation();

    mci::MediaCommandSender& media_;
    Clock clock_;
    QMenuBar* menuBar_ = nullptr;
    QMenu* qualityMenu_ = nullptr;
    QAction* low_ = nullptr;
    QAction* medium_ = nullptr;
    QAction* high_ = nullptr;
    std::unique_ptr<RecorderLayout> layout_;
    QTimer modeTimer_;
    QTimer informationTimer_;
    QTimer elapsedTimer_;
    // Holds back the size's next accessible name until a second after the last one.
    QTimer informationNameTimer_;
    QDateTime startTime_;
    bool loaded_ = false;
    // The device could not be opened, or the last Record did not start: the mode display says
    // so instead of a mode that suggests all is well.
    bool cannotRecord_ = false;
};

} // namespace qf
