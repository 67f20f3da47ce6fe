// Resources and the strings in them.
#include "host/services/Services.h"

#include "host/Host.h"
#include "host/memory/Allocator.h"

#include <algorithm>
#include <memory>

#include <cstring>

namespace vantri {

namespace {

VtResource* load(const char* plugin_folder) {
    Host* host = calling_host();
    if (host == nullptr || plugin_folder == nullptr || *plugin_folder == '\0') return nullptr;
    const Result<Host::LoadedResources*> loaded = host->load_resources(plugin_folder);
    return loaded ? reinterpret_cast<VtResource*>(*loaded) : nullptr;
}

void release(VtResource* resource) {
    if (resource == nullptr) return;
    if (Host* host = Host::current_or_null())
        host->release_resources(reinterpret_cast<Host::LoadedResources*>(resource));
}

int32_t load_string(const VtResource* resource, int32_t id, char* buffer, int32_t capacity) {
    if (resource == nullptr) return -1;
    const auto* loaded = reinterpret_cast<const Host::LoadedResources*>(resource);
    auto it = loaded->set.strings.find(id);
    if (it == loaded->set.strings.end()) return -1;
    const std::string& text = it->second;
    if (buffer != nullptr && capacity > 0) {
        const size_t n = std::min(text.size(), static_cast<size_t>(capacity - 1));
        std::memcpy(buffer, text.data(), n);
        buffer[n] = '\0';
    }
    return static_cast<int32_t>(text.size());
}

const VtResourceTable kResources = {
    .size = sizeof(VtResourceTable),
    .load = load,
    .release = release,
    .load_string = load_string,
};

} // namespace

const VtResourceTable* resource_table() {
    return &kResources;
}

} // namespace vantri
