#pragma once

#include "settings/SettingsFile.h"

#include <ostream>

namespace qf::settings {

// Lets a failed expectation name the status instead of dumping its bytes.
inline void PrintTo(SettingsFile::Status status, std::ostream* os) {
    switch (status) {
    case SettingsFile::Status::Ok:
        *os << "Ok";
        break;
    case SettingsFile::Status::Missing:
        *os << "Missing";
        break;
    case SettingsFile::Status::Unreadable:
        *os << "Unreadable";
        break;
    case SettingsFile::Status::Invalid:
        *os << "Invalid";
        break;
    }
}

} // namespace qf::settings
