#pragma once

namespace qf::sound {

// SDL 2.26's PulseAudio driver copies the server's default sink and source names with strdup
// whenever a device changes, and a server with no sink or no source at all (the only output, a
// Bluetooth headset, switched off) sends no name: the process crashes in SDL's hot-plug thread.
// This program therefore defines pa_context_get_server_info itself, ahead of libpulse, and hands
// every caller a reply whose missing names are empty strings. True when the real function was
// found behind it; calling this also keeps the definition in the program when it is linked.
bool serverInfoGuardInstalled();

} // namespace qf::sound
