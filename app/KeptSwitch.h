#pragma once

#include <QString>

namespace qf {

// A yes-or-no choice of the user's, kept in a small file of its own under the user's
// configuration folder ("on" or "off"), so that it holds from one run to the next. A file that
// is missing, unreadable or says anything else leaves the choice as it first was.
class KeptSwitch {
public:
    KeptSwitch(QString file, bool byDefault);
    // "quietfield/NAME" in the user's configuration folder; empty when no such folder can be
    // told, and nothing is then kept.
    static QString fileInConfigFolder(const char* name);

    bool on() const { return on_; }
    // Takes the choice for this run; false when it could not be kept for the next.
    bool set(bool on);
    const QString& file() const { return file_; }

private:
    QString file_;
    bool on_;
};

} // namespace qf
