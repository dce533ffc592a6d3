#pragma once

#include <string>

namespace qf {

// The file dialog of the main window, used the way the program always has: set the filter
// ("description|pattern" pairs) and the folder to start in, show the open-file dialog, then read
// the full path chosen. FileName is empty when the user cancelled.
class CommonDialog {
public:
    virtual ~CommonDialog() = default;
    virtual void ShowOpen() = 0;

    std::string Filter;
    std::string InitDir;
    std::string FileName;
};

} // namespace qf
