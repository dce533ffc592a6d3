#include "Form1Menu.h"

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

Form1Menu::Form1Menu(QMenuBar* bar) {
    m = bar->addMenu(QStringLiteral("Menu"));
    m->setObjectName(QStringLiteral("m"));
    // Two blanks between the words, as the item has always read.
    load = item(m, "load", QStringLiteral("Load  Config"));
    save = item(m, "save", QStringLiteral("Save Config"));
    sep = separator(m, "sep");
    exit = item(m, "exit", QStringLiteral("Exit"));

    help = bar->addMenu(QStringLiteral("Help"));
    help->setObjectName(QStringLiteral("help"));
    help2 = item(help, "help2", QStringLiteral("Help"));
    jhg = item(help, "jhg", QStringLiteral("Contact Us"));
    sep2 = separator(help, "sep2");
    about = item(help, "about", QStringLiteral("About"));
}

} // namespace qf
