#include "ui/OutputMenu.h"

#include <QActionGroup>

namespace qf {

OutputMenu::OutputMenu(QMenu* menu, Lister list, QObject* parent)
    : QObject(parent), menu_(menu), list_(std::move(list)),
      pauseAction_(new QAction(QStringLiteral("&Pause When Headphones Go"), this)) {
    pauseAction_->setObjectName(QStringLiteral("pauseWhenHeadphonesGo"));
    pauseAction_->setCheckable(true);
    pauseAction_->setChecked(true);
    // Only a menu that opens asks the server; the window never waits for it otherwise.
    connect(menu_, &QMenu::aboutToShow, this, [this] { fill(list_()); });
    fill(std::vector<Output>{});
}

void OutputMenu::setChosen(const Output& output) {
    chosen_ = output;
    fill(std::vector<Output>{});
}

void OutputMenu::add(const QString& caption, const Output& output) {
    QAction* action = menu_->addAction(caption);
    action->setCheckable(true);
    action->setChecked(output.name == chosen_.name);
    group_->addAction(action);
    connect(action, &QAction::triggered, this, [this, output] {
        chosen_ = output;
        emit chosenChanged(output.name, output.description);
    });
}

void OutputMenu::fill(const std::optional<std::vector<Output>>& outputs) {
    menu_->clear();
    delete group_;
    group_ = new QActionGroup(menu_);
    add(QStringLiteral("&System default"), {});
    menu_->addSeparator();
    bool chosenListed = chosen_.name.isEmpty();
    if (outputs) {
        for (const Output& output : *outputs) {
            // An ampersand in a description is shown, not taken as an Alt letter.
            add(QString(output.description).replace(QLatin1Char('&'), QStringLiteral("&&")),
                output);
            chosenListed = chosenListed || output.name == chosen_.name;
        }
    } else {
        menu_->addAction(QStringLiteral("No sound server answers"))->setEnabled(false);
    }
    if (!chosenListed) {
        const QString shown = chosen_.description.isEmpty() ? chosen_.name : chosen_.description;
        add(QString(shown).replace(QLatin1Char('&'), QStringLiteral("&&")) +
                QStringLiteral(" (not connected)"),
            chosen_);
    }
    menu_->addSeparator();
    menu_->addAction(pauseAction_);
}

} // namespace qf
