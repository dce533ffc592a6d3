#pragma once

#include <cstdint>
#include <string_view>

namespace qf::mci {

// Reads a media command word by word, in place: no copies, so a command polled every few
// milliseconds costs next to nothing. Words are separated by blanks or tabs.
class CommandText {
public:
    explicit CommandText(std::string_view text) : rest_(text) {}

    // The next word; empty at the end.
    std::string_view next();
    // Takes the next word if it is `keyword`, without regard to case.
    bool take(std::string_view keyword);
    bool atEnd();
    // Everything not read yet, without the blanks that lead it.
    std::string_view rest();

    static bool same(std::string_view a, std::string_view b);
    // A decimal number of digits only, that fits.
    static bool number(std::string_view word, std::uint64_t& value);

private:
    void skipBlanks();

    std::string_view rest_;
};

} // namespace qf::mci
