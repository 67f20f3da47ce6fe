// Registration of plug-in object types.
#include "host/services/Services.h"

#include "host/Host.h"

namespace vantri {

namespace {

int32_t register_object(const VtObjectRegistration* registration) {
    Host* host = calling_host();
    if (registration == nullptr || host == nullptr) return 0;
    if (Status added = host->types().add(*registration); !added) {
        host->last_refusal = added.message();
        return 0;
    }
    return 1;
}

const VtPluginTable kPlugins = {
    .size = sizeof(VtPluginTable),
    .register_object = register_object,
};

} // namespace

const VtPluginTable* plugin_table() {
    return &kPlugins;
}

} // namespace vantri
