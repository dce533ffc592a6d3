#pragma once

#include <QAction>
#include <QMenu>
#include <QMenuBar>

namespace qf {

// The main window's menu bar: "Menu" with the configuration commands and Exit, "Help" with the
// help document, Contact Us and About. F10 opens the first menu.
class MainWindowMenu {
public:
    explicit MainWindowMenu(QMenuBar* bar);

    // Object names: m, load, save, sep, exit; help, help2, jhg, sep2, about.
    QMenu* mainMenu;
    QAction* loadConfigAction;
    QAction* saveConfigAction;
    QAction* configSeparator;
    QAction* exitAction;
    QMenu* helpMenu;
    QAction* helpAction;
    QAction* contactAction;
    QAction* helpSeparator;
    QAction* aboutAction;
};

} // namespace qf
