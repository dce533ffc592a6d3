#pragma once

#include <string>

namespace qf {

// A modal box with a text and an OK button, captioned with the program's title.
class MessageBox {
public:
    virtual ~MessageBox() = default;
    virtual void show(const std::string& text) = 0;
};

} // namespace qf
