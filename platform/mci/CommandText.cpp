#include "platform/mci/CommandText.h"

#include <charconv>

namespace qf::mci {

namespace {

bool blank(char c) {
    return c == ' ' || c == '\t';
}

char lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

} // namespace

void CommandText::skipBlanks() {
    while (!rest_.empty() && blank(rest_.front())) {
        rest_.remove_prefix(1);
    }
}

std::string_view CommandText::next() {
    skipBlanks();
    std::size_t n = 0;
    while (n < rest_.size() && !blank(rest_[n])) {
        ++n;
    }
    const std::string_view word = rest_.substr(0, n);
    rest_.remove_prefix(n);
    return word;
}

bool CommandText::take(std::string_view keyword) {
    const std::string_view before = rest_;
    if (same(next(), keyword)) {
        return true;
    }
    rest_ = before;
    return false;
}

bool CommandText::atEnd() {
    skipBlanks();
    return rest_.empty();
}

std::string_view CommandText::rest() {
    skipBlanks();
    return rest_;
}

bool CommandText::same(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (lower(a[i]) != lower(b[i])) {
            return false;
        }
    }
    return true;
}

bool CommandText::number(std::string_view word, std::uint64_t& value) {
    if (word.empty() || word.front() < '0' || word.front() > '9') {
        return false;
    }
    const auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), value);
    return error == std::errc() && end == word.data() + word.size();
}

} // namespace qf::mci
