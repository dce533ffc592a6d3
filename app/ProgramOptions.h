#pragma once

#include <QStringList>

#include <optional>

namespace qf {

// What the command line asks for: `--sleep TIME`, `--minimised`, `--help` and `--version`.
struct ProgramOptions {
    std::optional<int> sleepMinutes;
    // The main window starts minimised (as the login entry starts the program).
    bool minimised = false;
    // Set when the program is to end at once with this status: help or version has been
    // printed (0), or what was wrong with the command line (2).
    std::optional<int> exitStatus;

    // Needs the application object for the program's name and version.
    static ProgramOptions parse(const QStringList& arguments);
};

} // namespace qf
