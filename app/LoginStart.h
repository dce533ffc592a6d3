#pragma once

#include <QObject>
#include <QString>

namespace qf {

class MainWindow;
class MessageBox;

// Whether the program starts with the user's session: an XDG autostart entry that starts this
// program minimised (`--minimised`). The entry is the only record of it, so the Options menu's
// check always shows what the desktop will do, also after the entry was removed by hand.
class LoginStart final : public QObject {
    Q_OBJECT
public:
    // `entry` is the autostart file; `program` the program it starts, by its absolute path.
    LoginStart(QString entry, QString program, QObject* parent = nullptr);
    // "autostart/io.github.quietfield.Quietfield.desktop" in the user's configuration folder
    // ($XDG_CONFIG_HOME, else ~/.config); empty when no such folder can be told.
    static QString entryInConfigFolder();
    // The entry's text for `program`, its path quoted as the desktop's launchers read it.
    static QByteArray entryText(const QString& program);

    bool enabled() const;
    // Writes or removes the entry; false, with the reason in `error`, when it could not.
    bool setEnabled(bool enabled, QString& error);
    // Keeps the window's Start at Login check in step with the entry, and sets it when the
    // user checks it; what could not be done is told in the window's message box.
    void follow(MainWindow* main, MessageBox& messages);

private:
    QString entry_;
    QString program_;
};

} // namespace qf
