#pragma once

#include "ui/OutputMenu.h"

#include <QObject>
#include <QString>

#include <functional>
#include <string>

namespace qf {

class MainWindow;

// The output the noise plays on, as the user chose it in the Output menu: kept in a small file
// of its own under the user's configuration folder (the server's name of the output on the
// first line, what it is called for people on the second; no file, or an empty one, means the
// system default) and handed to the sound system at start and at each new choice. A third line,
// "continue", says the noise goes on elsewhere when the headphones it plays on go away; without
// it the mix pauses then.
class OutputSelection final : public QObject {
    Q_OBJECT
public:
    // `apply` takes the server's name of the output, empty for the default; `pauseWhenGone`
    // whether the mix pauses when the personal output it plays on goes away.
    OutputSelection(QString file, std::function<void(const std::string&)> apply,
                    OutputMenu::Lister list, std::function<void(bool)> pauseWhenGone = {},
                    QObject* parent = nullptr);
    // "quietfield/output" in the user's configuration folder ($XDG_CONFIG_HOME, else ~/.config);
    // empty when no such folder can be told, and nothing is then kept.
    static QString fileInConfigFolder();

    // Reads the file and applies what it holds.
    void load();
    // Gives the window's Output menu its entries and takes its choices.
    void follow(MainWindow* main);
    const OutputMenu::Output& chosen() const { return chosen_; }
    bool pausesWhenHeadphonesGo() const { return pause_; }
    // What the menu's check does: applies it and keeps it.
    void setPauseWhenHeadphonesGo(bool on);
    // What the menu does with a choice: applies it and keeps it.
    void choose(const OutputMenu::Output& output);

private:
    bool save() const;
    // Saves, or says on stderr that it could not.
    void keep() const;

    QString file_;
    std::function<void(const std::string&)> apply_;
    OutputMenu::Lister list_;
    OutputMenu::Output chosen_;
    std::function<void(bool)> pauseWhenGone_;
    bool pause_ = true;
};

} // namespace qf
