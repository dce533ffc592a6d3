#include "ui/MainWindowMenu.h"

#include <QShortcut>

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
    // Each title and item has an Alt letter of its own within its menu; the ampersands do not
    // show.
    mainMenu = bar->addMenu(QStringLiteral("&Menu"));
    mainMenu->setObjectName(QStringLiteral("m"));
    // Two blanks between the words, as the item has always read.
    loadConfigAction = item(mainMenu, "load", QStringLiteral("&Load  Config"));
    saveConfigAction = item(mainMenu, "save", QStringLiteral("&Save Config"));
    configSeparator = separator(mainMenu, "sep");
    exitAction = item(mainMenu, "exit", QStringLiteral("E&xit"));

    helpMenu = bar->addMenu(QStringLiteral("&Help"));
    helpMenu->setObjectName(QStringLiteral("help"));
    helpAction = item(helpMenu, "help2", QStringLiteral("&Help"));
    contactAction = item(helpMenu, "jhg", QStringLiteral("&Contact Us"));
    helpSeparator = separator(helpMenu, "sep2");
    aboutAction = item(helpMenu, "about", QStringLiteral("&About"));

    // F10 opens the first menu, as in other desktop programs; the arrows go on from there.
    auto* menuKey = new QShortcut(QKeySequence(Qt::Key_F10), bar);
    QObject::connect(menuKey, &QShortcut::activated, bar,
                     [bar, first = mainMenu->menuAction()] { bar->setActiveAction(first); });
}

} // namespace qf
