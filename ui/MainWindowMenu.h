#pragma once

#include <QAction>
#include <QMenu>
#include <QMenuBar>

#include <array>

namespace qf {

// The main window's menu bar: "Menu" with the configuration commands and Exit; "Output", filled
// with the sound server's outputs as it opens; "Sleep" with the sleep timer's times; "Options"
// with the program's own settings; "Help" with the help document, Contact Us and About. F10 opens
// the first menu.
class MainWindowMenu {
public:
    // The sleep timer's choices, in minutes.
    static constexpr std::array<int, 5> kSleepMinutes{15, 30, 45, 60, 90};
    // What Add 15 Minutes adds to a running timer.
    static constexpr int kSleepAddMinutes = 15;

    explicit MainWindowMenu(QMenuBar* bar);

    // Object names: m, load, save, sep, exit; help, help2, jhg, sep2, about.
    QMenu* mainMenu;
    QAction* loadConfigAction;
    QAction* saveConfigAction;
    QAction* configSeparator;
    QAction* exitAction;
    // Object names: output; sleep, sleep15 ... sleep90, sleepSep, sleepAdd15, sleepCancel,
    // sleepSep2, sleepSuspend.
    QMenu* outputMenu;
    QMenu* sleepMenu;
    std::array<QAction*, kSleepMinutes.size()> sleepActions;
    // Enabled only while the timer runs.
    QAction* sleepAddAction;
    QAction* sleepCancelAction;
    // Checkable: the machine is suspended when the timer ends.
    QAction* sleepSuspendAction;
    // Object names: options, startAtLogin, answerMediaKeys.
    QMenu* optionsMenu;
    QAction* startAtLoginAction;
    QAction* answerMediaKeysAction;
    QMenu* helpMenu;
    QAction* helpAction;
    QAction* contactAction;
    QAction* helpSeparator;
    QAction* aboutAction;
};

} // namespace qf
