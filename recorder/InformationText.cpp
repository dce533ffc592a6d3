#include "recorder/InformationText.h"

#include <array>
#include <charconv>
#include <system_error>

namespace qf {

std::string InformationText::forLengthReply(std::string_view reply) {
    return "MBytes : " + megabytes(leadingBytes(reply)) + "\r\nChannels : 2 (stereo)\r\n";
}

std::uint64_t InformationText::leadingBytes(std::string_view reply) {
    std::size_t start = 0;
    while (start < reply.size() && (reply[start] == ' ' || reply[start] == '\t')) {
        ++start;
    }
    std::uint64_t bytes = 0;
    const auto [end, error] =
        std::from_chars(reply.data() + start, reply.data() + reply.size(), bytes);
    return error == std::errc() ? bytes : 0;
}

std::string InformationText::megabytes(std::uint64_t bytes) {
    // A byte count has at most six decimals in megabytes; below 10^15 bytes every digit of it
    // fits in a double's 15 significant digits, so fixed notation at six decimals is exact.
    // Larger counts are rounded to 15 significant digits.
    constexpr std::uint64_t kExactBelow = 1'000'000'000'000'000ULL;
    const double value = static_cast<double>(bytes) / 1e6;
    std::array<char, 64> digits{};
    const auto result = bytes < kExactBelow
                            ? std::to_chars(digits.data(), digits.data() + digits.size(), value,
                                            std::chars_format::fixed, 6)
                            : std::to_chars(digits.data(), digits.data() + digits.size(), value,
                                            std::chars_format::general, 15);
    std::string text(digits.data(), result.ptr);
    if (bytes < kExactBelow) {
        text.erase(text.find_last_not_of('0') + 1);
        if (text.back() == '.') {
            text.pop_back();
        }
    }
    return " " + text;
}

} // namespace qf
