#include "ui/MainWindowMenu.h"

#include <QActionGroup>
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

    outputMenu = bar->addMenu(QStringLiteral("&Output"));
    outputMenu->setObjectName(QStringLiteral("output"));

    sleepMenu = bar->addMenu(QStringLiteral("&Sleep"));
    sleepMenu->setObjectName(QStringLiteral("sleep"));
    // At most one time is checked: the one set, if it was set here.
    auto* times = new QActionGroup(sleepMenu);
    times->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
    for (std::size_t i = 0; i < kSleepMinutes.size(); ++i) {
        const int minutes = kSleepMinutes[i];
        // The first digit is the Alt letter: 1, 3, 4, 6 and 9 are all different.
        QAction* action = sleepMenu->addAction(QStringLiteral("&%1 minutes").arg(minutes));
        action->setObjectName(QStringLiteral("sleep%1").arg(minutes));
        action->setCheckable(true);
        times->addAction(action);
        sleepActions[i] = action;
    }
    separator(sleepMenu, "sleepSep");
    sleepAddAction =
        item(sleepMenu, "sleepAdd15", QStringLiteral("&Add %1 Minutes").arg(kSleepAddMinutes));
    sleepAddAction->setEnabled(false);
    sleepCancelAction = item(sleepMenu, "sleepCancel", QStringLiteral("&Cancel"));
    separator(sleepMenu, "sleepSep2");
    sleepSuspendAction = item(sleepMenu, "sleepSuspend", QStringLiteral("S&uspend at the End"));
    sleepSuspendAction->setCheckable(true);

    // Our own settings that are not the mix's.
    optionsMenu = bar->addMenu(QStringLiteral("O&ptions"));
    optionsMenu->setObjectName(QStringLiteral("options"));
    startAtLoginAction = item(optionsMenu, "startAtLogin", QStringLiteral("Start at &Login"));
    startAtLoginAction->setCheckable(true);
    // Off until there is a session bus to answer them on.
    answerMediaKeysAction =
        item(optionsMenu, "answerMediaKeys", QStringLiteral("Answer Media &Keys"));
    answerMediaKeysAction->setCheckable(true);
    answerMediaKeysAction->setEnabled(false);

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
