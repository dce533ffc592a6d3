#pragma once

#include <cstdint>
#include <string>

namespace qf {

// Opens a document in whatever program the desktop associates with its type.
class Shell {
public:
    virtual ~Shell() = default;
    // Asks the desktop to open the file and returns at once. What happens then, including a file
    // that is not there, is between the desktop and the user: nothing is reported back.
    // ownerWindow is the native handle of the window asking, for desktops that place the viewer
    // relative to it.
    virtual void open(const std::string& path, std::uintptr_t ownerWindow) = 0;
    // The same, at a named section of the document (an anchor of an HTML page). A desktop that
    // cannot go to a section opens the document at its top.
    virtual void openAt(const std::string& path, const std::string& /*section*/,
                        std::uintptr_t ownerWindow) {
        open(path, ownerWindow);
    }
};

} // namespace qf
