#include "MainWindowMenu.h"

namespace qf {

namespace {

QAction* item(QMenu* menu, const char* name, const QString& caption) {
    QAction* action = menu->addAction(caption);
    action->setObjectName(QString::fromLatin1(name));
    return action;
}

QAction* separator(QMenu* menu, const char* name) {
    QAction* action = menu->addSeparator();
    action->setObjectName(QString::fromLatin1(name));
    return action;
}

} // namespace

MainWindowMenu::MainWindowMenu(QMenuBar* bar) {
    mainMenu = bar->addMenu(QStringLiteral("Menu"));
    mainMenu->setObjectName(QStringLiteral("m"));
    // Two blanks between the words, as the item has always read.
    loadConfigAction = item(mainMenu, "load", QStringLiteral("Load  Config"));
    saveConfigAction = item(mainMenu, "save", QStringLiteral("Save Config"));
    configSeparator = separator(mainMenu, "sep");
    exitAction = item(mainMenu, "exit", QStringLiteral("Exit"));

    helpMenu = bar->addMenu(QStringLiteral("Help"));
    helpMenu->setObjectName(QStringLiteral("help"));
    helpAction = item(helpMenu, "help2", QStringLiteral("Help"));
    contactAction = item(helpMenu, "jhg", QStringLiteral("Contact Us"));
    helpSeparator = separator(helpMenu, "sep2");
    aboutAction = item(helpMenu, "about", QStringLiteral("About"));
}

} // namespace qf
