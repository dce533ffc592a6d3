#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace qf {

// How long `--sleep` lets the program play, in whole minutes, written as "45", "45m", "2h" or
// "1h30m" (units in either case).
class SleepDuration {
public:
    static constexpr int kMaxMinutes = 24 * 60;

    // The minutes, from 1 to kMaxMinutes; nothing when the text is not such a time, and then
    // `error` says why in words for the user.
    static std::optional<int> parse(std::string_view text, std::string& error);
};

} // namespace qf
