#pragma once

#include "MediaCommandSender.h"

namespace qf::mci {

// The media-command operation with its usual signature, for the process's one media device:
// the command text, a reply buffer (or null) and its length in characters, and a callback
// handle that is never used. Returns 0 or an error code; with no device installed every
// command fails and the reply is empty.
unsigned mciSendString(const char* command, char* reply, unsigned length, void* callback);

// Makes `sender` the device mciSendString() talks to, or none with null. The sender must
// stay until it is removed again; both calls come from the thread that sends commands.
void installMediaCommands(MediaCommandSender* sender);

} // namespace qf::mci
