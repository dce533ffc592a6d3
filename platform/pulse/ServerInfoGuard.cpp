#include "platform/pulse/ServerInfoGuard.h"

#include <pulse/pulseaudio.h>

#include <dlfcn.h>

namespace {

using ServerInfoQuery = pa_operation* (*)(pa_context*, pa_server_info_cb_t, void*);

ServerInfoQuery realQuery() {
    static const auto real =
        reinterpret_cast<ServerInfoQuery>(dlsym(RTLD_NEXT, "pa_context_get_server_info"));
    return real;
}

// The caller's callback and data, kept until the operation has ended either way: replied, or
// cancelled because the connection went.
struct Pending {
    pa_server_info_cb_t callback;
    void* data;
};

void deliver(pa_context* context, const pa_server_info* info, void* user) {
    const auto* pending = static_cast<const Pending*>(user);
    if (pending->callback == nullptr) {
        return;
    }
    // An error reply carries no record at all; callers that expect one get an empty record.
    pa_server_info fixed{};
    if (info != nullptr) {
        fixed = *info;
    }
    if (fixed.default_sink_name == nullptr) {
        fixed.default_sink_name = "";
    }
    if (fixed.default_source_name == nullptr) {
        fixed.default_source_name = "";
    }
    pending->callback(context, &fixed, pending->data);
}

void forget(pa_operation* operation, void* user) {
    if (pa_operation_get_state(operation) != PA_OPERATION_RUNNING) {
        pa_operation_set_state_callback(operation, nullptr, nullptr);
        delete static_cast<Pending*>(user);
    }
}

} // namespace

extern "C" pa_operation* pa_context_get_server_info(pa_context* context,
                                                    pa_server_info_cb_t callback, void* data) {
    const ServerInfoQuery real = realQuery();
    if (real == nullptr) {
        return nullptr;
    }
    auto* pending = new Pending{callback, data};
    pa_operation* operation = real(context, &deliver, pending);
    if (operation == nullptr) {
        delete pending;
        return nullptr;
    }
    pa_operation_set_state_callback(operation, &forget, pending);
    return operation;
}

namespace qf::sound {

bool serverInfoGuardInstalled() {
    return realQuery() != nullptr;
}

} // namespace qf::sound
