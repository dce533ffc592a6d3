#pragma once

#include <cstddef>
#include <string>

namespace qf::mci {

// The text-command interface of the recorder's media device: the windows only ever talk to it
// through command texts such as "status capture mode", so a fake can stand in for it in tests.
class MediaCommandSender {
public:
    virtual ~MediaCommandSender() = default;
    // Carries out one command. When `length` is not 0 the reply is written into `reply` and
    // NUL-terminated, never past `length` characters in all. Returns 0 on success, otherwise an
    // error code that errorText() explains.
    virtual unsigned send(const char* command, char* reply, std::size_t length) = 0;
    // A sentence for the user saying what went wrong, with the system's own reason where
    // there was one (for example why a file could not be written).
    virtual std::string errorText(unsigned code) const = 0;
};

} // namespace qf::mci
