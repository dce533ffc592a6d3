#pragma once

#include <QString>

#include <optional>

namespace qf {

// A second start of the program, while one already runs on the session bus: it passes on what
// it was asked to do and has the running program's window raised, instead of playing itself.
class InstanceHandOver {
public:
    // True when the running program took it; otherwise `error` says what went wrong.
    static bool toRunning(std::optional<int> sleepMinutes, QString& error);
};

} // namespace qf
