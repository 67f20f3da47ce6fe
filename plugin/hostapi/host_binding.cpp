#include "plugin/hostapi/host_binding.h"

namespace vt {

HostApi* g_host = nullptr;

namespace {

template <typename Table> bool TableFits(const Table* table) {
    return table != nullptr && table->size >= sizeof(Table);
}

} // namespace

int32_t BindHost(HostApi* api) {
    if (api == nullptr) return 0;
    if (api->version < VT_API_VERSION) return api->version;
    const bool complete = TableFits(api->system) && TableFits(api->resources) &&
                          TableFits(api->atoms) && TableFits(api->objects) &&
                          TableFits(api->containers) && TableFits(api->descriptions) &&
                          TableFits(api->splines) && TableFits(api->rays) && TableFits(api->draw) &&
                          TableFits(api->bitmaps) && TableFits(api->plugins);
    if (!complete) return 0;
    g_host = api;
    return api->version;
}

void UnbindHost() {
    g_host = nullptr;
}

} // namespace vt
