#pragma once

#include <string>

namespace qf {

// Finds a program file in a folder from a literal such as "\Brown_Noise.Wav": the leading
// separator and trailing blanks are not part of the name, backslashes separate folders, and
// letter case does not matter, as on the system the names were first written for.
class FileLookup {
public:
    // The path of the matching entry, or folder + the cleaned name when nothing matches
    // (so a message can still name the file that was looked for).
    static std::string resolve(const std::string& folder, const std::string& literal);

    // The literal as a plain relative name: "\violet.Wav " becomes "violet.Wav".
    static std::string cleanName(const std::string& literal);
};

} // namespace qf
