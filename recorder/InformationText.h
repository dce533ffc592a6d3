#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace qf {

// The recorder's information display: how much has been recorded and in what layout.
class InformationText {
public:
    // The whole display for a reply to "status capture length": the size in megabytes on the
    // first line, the channels on the second, each line ended by CR LF.
    static std::string forLengthReply(std::string_view reply);

    // The length a reply starts with, in bytes. A reply with no leading digits (empty, an
    // error text, a closed device) counts as nothing recorded, as does one too large to be real.
    static std::uint64_t leadingBytes(std::string_view reply);

    // Bytes as decimal megabytes with a blank where a sign would go: " 0", " 0.1764", " 1.764".
    // The point is always ".", whatever the user's locale, and the text has no trailing zeros
    // and at most 15 significant digits.
    static std::string megabytes(std::uint64_t bytes);
};

} // namespace qf
