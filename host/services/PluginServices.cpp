// Registration of plug-in object types.
#include "host/services/Services.h"

#include "host/Host.h"

namespace vantri {

namespace {

int32_t register_object(const VtObjectRegistration* registration) {
    Host* host = calling_host();
    if (registration == nullptr || host == nullptr) return 0;
    std::string why;
    if (!host->types().add(*registration, why)) {
        host->last_refusal = why;
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
