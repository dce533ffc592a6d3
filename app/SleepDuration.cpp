#include "app/SleepDuration.h"

#include <algorithm>
#include <cctype>

namespace qf {

namespace {

// Any number above a day is as much out of range as any other; counting stops here.
constexpr long kCountLimit = 1000000;

// Reads a number and the unit letter after it, if any; false when there is no number.
bool readPart(std::string_view& text, long& number, char& unit) {
    std::size_t digits = 0;
    number = 0;
    while (digits < text.size() && std::isdigit(static_cast<unsigned char>(text[digits])) != 0) {
        number = std::min(number * 10 + (text[digits] - '0'), kCountLimit);
        ++digits;
    }
    if (digits == 0) {
        return false;
    }
    text.remove_prefix(digits);
    unit = 0;
    if (!text.empty()) {
        unit = static_cast<char>(std::tolower(static_cast<unsigned char>(text.front())));
        text.remove_prefix(1);
    }
    return true;
}

} // namespace

std::optional<int> SleepDuration::parse(std::string_view text, std::string& error) {
    std::string quoted(1, '"');
    quoted.append(text).push_back('"');
    error = quoted + " is not a time; write minutes as 45, 45m, 2h or 1h30m";
    std::string_view rest = text;
    long number = 0;
    char unit = 0;
    if (!readPart(rest, number, unit)) {
        return std::nullopt;
    }
    long minutes = 0;
    if (unit == 'h') {
        minutes = std::min(number * 60, kCountLimit);
        if (!rest.empty()) {
            if (!readPart(rest, number, unit) || unit != 'm') {
                return std::nullopt;
            }
            minutes = std::min(minutes + number, kCountLimit);
        }
    } else if (unit == 'm' || unit == 0) {
        minutes = number;
    } else {
        return std::nullopt;
    }
    if (!rest.empty()) {
        return std::nullopt;
    }
    if (minutes < 1 || minutes > kMaxMinutes) {
        error = quoted + " is out of range; the time must be from 1 minute to 24 hours";
        return std::nullopt;
    }
    error.clear();
    return static_cast<int>(minutes);
}

} // namespace qf
