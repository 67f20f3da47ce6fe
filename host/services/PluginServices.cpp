// Registration of plug-in object types, and the tables that have no entries yet.
#include "services/Services.h"

#include "Host.h"

namespace vantri {

namespace {

int32_t register_object(const VtObjectRegistration* registration) {
    if (registration == nullptr) return 0;
    Host& host = Host::current();
    std::string why;
    if (!host.types().add(*registration, why)) {
        host.last_refusal = why;
        return 0;
    }
    return 1;
}

const VtPluginTable kPlugins = {
    .size = sizeof(VtPluginTable),
    .register_object = register_object,
};
const VtSplineTable kSplines = {.size = sizeof(VtSplineTable)};
const VtRayTable kRays = {.size = sizeof(VtRayTable)};
const VtDrawTable kDraw = {.size = sizeof(VtDrawTable)};

}  // namespace

const VtPluginTable* plugin_table() { return &kPlugins; }
const VtSplineTable* spline_table() { return &kSplines; }
const VtRayTable* ray_table() { return &kRays; }
const VtDrawTable* draw_table() { return &kDraw; }

}  // namespace vantri
