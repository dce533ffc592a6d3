#pragma once

#include <chrono>
#include <optional>

namespace qf {

// A time that the whole-program tests shorten through the environment.
class EnvironmentSeconds {
public:
    // The positive number of seconds the variable `name` holds, if it is one and no more than
    // `longest`.
    static std::optional<std::chrono::milliseconds> read(const char* name,
                                                         std::chrono::milliseconds longest);
};

} // namespace qf
