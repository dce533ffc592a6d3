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
};

} // namespace qf
