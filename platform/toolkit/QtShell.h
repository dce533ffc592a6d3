#pragma once

#include "platform/toolkit/Shell.h"

namespace qf {

// Hands documents to the desktop's opener (xdg-open on Linux desktops).
class QtShell final : public Shell {
public:
    void open(const std::string& path, std::uintptr_t ownerWindow) override;
    void openAt(const std::string& path, const std::string& section,
                std::uintptr_t ownerWindow) override;
};

} // namespace qf
