#pragma once

#include <QActionGroup>
#include <QMenu>
#include <QObject>
#include <QString>

#include <functional>
#include <optional>
#include <vector>

namespace qf {

// The Output menu: "System default" and the sound server's outputs as they are when the menu
// opens, the one in use checked. A chosen output that is not there now stays listed, checked,
// so the user sees that the noise waits for it. Last, "Pause When Headphones Go", a check of its
// own (object name pauseWhenHeadphonesGo).
class OutputMenu final : public QObject {
    Q_OBJECT
public:
    struct Output {
        QString name; // the server's own; empty for the system default
        QString description;
    };
    // Nothing when no sound server answers.
    using Lister = std::function<std::optional<std::vector<Output>>()>;

    OutputMenu(QMenu* menu, Lister list, QObject* parent = nullptr);

    void setChosen(const Output& output);
    const Output& chosen() const { return chosen_; }
    QAction* pauseWhenHeadphonesGo() const { return pauseAction_; }

signals:
    void chosenChanged(const QString& name, const QString& description);

private:
    // The menu afresh: `outputs` is what the server has, or nothing when it did not answer.
    void fill(const std::optional<std::vector<Output>>& outputs);
    void add(const QString& caption, const Output& output);

    QMenu* menu_;
    QActionGroup* group_ = nullptr;
    Lister list_;
    Output chosen_;
    // Not the menu's: kept when the menu is filled afresh.
    QAction* pauseAction_;
};

} // namespace qf
