#include "settings/SettingsText.h"

#include <charconv>
#include <cstdio>

namespace qf::settings {

namespace {

constexpr std::string_view kLineEnd = "\r\n";
// Editors on other systems like to put this mark at the start of a text file.
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
// A message shows about this many characters of a token; the rest is cut off.
constexpr std::size_t kShownChars = 20;

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}
bool endsField(char c) {
    return c == ',' || c == '\r' || c == '\n';
}
bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

bool onlyBlankOrLineEnds(std::string_view rest) {
    for (char c : rest) {
        if (!isBlank(c) && c != '\r' && c != '\n') {
            return false;
        }
    }
    return true;
}

std::string_view trimmed(std::string_view s) {
    while (!s.empty() && isBlank(s.front())) {
        s.remove_prefix(1);
    }
    while (!s.empty() && isBlank(s.back())) {
        s.remove_suffix(1);
    }
    return s;
}

// The token as the user would recognise it, with binary bytes made visible and a long one
// cut short, so a message box stays readable whatever the file holds.
std::string shown(std::string_view token) {
    std::string out;
    for (const char ch : token) {
        if (out.size() >= kShownChars) {
            out += "...";
            break;
        }
        const auto c = static_cast<unsigned char>(ch);
        if (c >= 0x20 && c < 0x7f && c != '"' && c != '\\') {
            out += ch;
        } else {
            char escaped[5];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", c);
            out += escaped;
        }
    }
    return out;
}

bool isWholeNumber(std::string_view token) {
    if (!token.empty() && (token.front() == '-' || token.front() == '+')) {
        token.remove_prefix(1);
    }
    if (token.empty()) {
        return false;
    }
    for (char c : token) {
        if (!isDigit(c)) {
            return false;
        }
    }
    return true;
}

// The value of a whole-number token, or nothing when it is too long to be any value a control
// could hold; no wrap-around to 16 bits ever turns a wrong number into an accepted one.
bool valueOf(std::string_view token, long long& value) {
    const bool negative = token.front() == '-';
    if (token.front() == '-' || token.front() == '+') {
        token.remove_prefix(1);
    }
    while (token.size() > 1 && token.front() == '0') {
        token.remove_prefix(1);
    }
    if (token.size() > 9) {
        return false;
    }
    std::from_chars(token.data(), token.data() + token.size(), value);
    if (negative) {
        value = -value;
    }
    return true;
}

std::string fieldLabel(int field) {
    return "field " + std::to_string(field) + " (" + MixerSettings::fieldName(field) + "): ";
}

SettingsText::Parsed failed(int field, std::string error, std::size_t stop) {
    SettingsText::Parsed parsed;
    parsed.field = field;
    parsed.error = std::move(error);
    parsed.stop = stop;
    return parsed;
}

// Empty when the token is a value the field may hold; otherwise what is wrong with it.
std::string checkToken(int field, std::string_view token, std::int16_t& out) {
    if (token.empty()) {
        return fieldLabel(field) + "empty";
    }
    if (!isWholeNumber(token)) {
        return fieldLabel(field) + "\"" + shown(token) + "\" is not a whole number";
    }
    const MixerSettings::Range range = MixerSettings::range(field);
    long long value = 0;
    if (!valueOf(token, value) || !range.contains(value)) {
        return fieldLabel(field) + shown(token) + " is outside " + std::to_string(range.minimum) +
               " to " + std::to_string(range.maximum);
    }
    out = static_cast<std::int16_t>(value);
    return {};
}

} // namespace

std::string SettingsText::format(const MixerSettings& mix) {
    std::string line;
    for (int i = 0; i < MixerSettings::kFields; ++i) {
        if (i > 0) {
            line += ',';
        }
        line += std::to_string(mix.values[i]);
    }
    line += kLineEnd;
    return line;
}

SettingsText::Parsed SettingsText::parse(std::string_view text) {
    Parsed parsed;
    std::size_t pos = text.starts_with(kByteOrderMark) ? kByteOrderMark.size() : 0;
    for (int field = 1; field <= MixerSettings::kFields; ++field) {
        if (onlyBlankOrLineEnds(text.substr(pos))) {
            const int got = field - 1;
            std::string why = text.empty() ? "the file is empty"
                              : got == 0   ? "the file holds no values"
                                           : "the file ends after " + std::to_string(got) + " of " +
                                               std::to_string(MixerSettings::kFields) + " values";
            return failed(field, std::move(why), text.size());
        }
        std::size_t end = pos;
        while (end < text.size() && !endsField(text[end])) {
            ++end;
        }
        const std::string why = checkToken(field, trimmed(text.substr(pos, end - pos)),
                                           parsed.settings.values[field - 1]);
        if (!why.empty()) {
            return failed(field, why, end);
        }
        parsed.stop = end;
        // CR LF is one line end, not two, or a value on every line would be followed by an
        // empty field.
        if (end == text.size()) {
            pos = end;
        } else if (text.substr(end).starts_with(kLineEnd)) {
            pos = end + kLineEnd.size();
        } else {
            pos = end + 1;
        }
    }
    parsed.ok = true;
    return parsed;
}

} // namespace qf::settings
