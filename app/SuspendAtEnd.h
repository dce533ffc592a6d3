#pragma once

#include "app/KeptSwitch.h"

#include <QObject>
#include <QString>

#include <functional>

namespace qf {

class MainWindow;

// The Sleep menu's Suspend at the End: when the sleep timer ends the evening, the mix is kept on
// disk first, as the machine may sleep before the program has closed, and then the machine is
// asked to suspend. The choice is kept in a small file of its own under the user's configuration
// folder ("on" when checked); no file, or one that cannot be read, leaves it unchecked.
class SuspendAtEnd final : public QObject {
    Q_OBJECT
public:
    // Asks the machine to suspend: true when it took the request, else the reason in `error`.
    using Suspend = std::function<bool(QString& error)>;

    // Reads `file` for the choice.
    SuspendAtEnd(QString file, Suspend suspend, QObject* parent = nullptr);
    // "quietfield/suspend-at-end" in the user's configuration folder ($XDG_CONFIG_HOME, else
    // ~/.config); empty when no such folder can be told, and nothing is then kept.
    static QString fileInConfigFolder();

    bool wanted() const { return choice_.on(); }
    // Takes the choice and keeps it; one that cannot be kept holds for this run.
    void setWanted(bool wanted);
    // Keeps the window's check in step with the choice, and takes the user's.
    void follow(MainWindow* main);
    // The timer's end, before the program closes: when wanted, `storeMix` writes the mix to
    // disk, then the machine is asked to suspend, once in a run however often this comes. What
    // failed is told on standard error; the program closes all the same.
    void atEnd(const std::function<bool()>& storeMix);

private:
    KeptSwitch choice_;
    Suspend suspend_;
    bool asked_ = false;
};

} // namespace qf
