#include "MediaCommands.h"

#include "MediaError.h"

namespace qf::mci {

namespace {

MediaCommandSender* installed = nullptr;

} // namespace

unsigned mciSendString(const char* command, char* reply, unsigned length, void* /*callback*/) {
    if (installed == nullptr) {
        if (reply != nullptr && length > 0) {
            reply[0] = '\0';
        }
        return static_cast<unsigned>(MediaError::NoSuchAlias);
    }
    return installed->send(command, reply, length);
}

void installMediaCommands(MediaCommandSender* sender) {
    installed = sender;
}

} // namespace qf::mci
