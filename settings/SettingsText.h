#pragma once

#include "settings/MixerSettings.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace qf::settings {

// The text form of a mix: one line of fifteen comma-separated integers ended by CR LF.
class SettingsText {
public:
    static std::string format(const MixerSettings& mix);

    struct Parsed {
        bool ok = false;
        MixerSettings settings;
        int field = 0;     // on failure, the field (from 1) that is missing or wrong
        std::string error; // on failure, what is wrong, naming the field
        // Where reading stopped: the offset of the comma or line end that closed the last field
        // looked at, or the text's length when the text ran out first. A reader that was given
        // only a prefix of a file uses it to tell whether the prefix cut a field short.
        std::size_t stop = 0;
    };

    // Reads fifteen fields in order. A field ends at a comma or a line end (CR LF, LF or CR),
    // so fifteen lines read like one; blanks around a value and a leading sign are allowed;
    // whatever follows the fifteenth field is ignored. Every value must be a whole number
    // within its control's range: the record is taken whole or not at all.
    static Parsed parse(std::string_view text);
};

} // namespace qf::settings
