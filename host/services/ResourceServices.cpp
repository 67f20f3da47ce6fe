// Resources, strings and decoded images.
#include "services/Services.h"

#include "Host.h"
#include "memory/Allocator.h"
#include "resources/ImageFile.h"

#include <algorithm>
#include <memory>

#include <cstring>

namespace vantri {

namespace {

VtResource* load(const char* plugin_folder) {
    if (plugin_folder == nullptr || *plugin_folder == '\0') return nullptr;
    std::string error;
    Host::LoadedResources* loaded = Host::current().load_resources(plugin_folder, error);
    return reinterpret_cast<VtResource*>(loaded);
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

VtBitmap* bitmap_load(const char* path) {
    if (path == nullptr) return nullptr;
    // The image is the plug-in's until it frees it, so it counts as one of its blocks.
    if (!allocator().admit(sizeof(Image))) return nullptr;
    auto image = std::make_unique<Image>();
    std::string error;
    if (!load_tiff(path, *image, error)) {
        allocator().retire(sizeof(Image));
        return nullptr;
    }
    return reinterpret_cast<VtBitmap*>(image.release());
}

void bitmap_free(VtBitmap* bitmap) {
    if (bitmap == nullptr) return;
    delete reinterpret_cast<Image*>(bitmap);
    allocator().retire(sizeof(Image));
}

int32_t bitmap_width(const VtBitmap* bitmap) {
    return bitmap != nullptr ? reinterpret_cast<const Image*>(bitmap)->width : 0;
}

int32_t bitmap_height(const VtBitmap* bitmap) {
    return bitmap != nullptr ? reinterpret_cast<const Image*>(bitmap)->height : 0;
}

const VtBitmapTable kBitmaps = {
    .size = sizeof(VtBitmapTable),
    .load = bitmap_load,
    .free = bitmap_free,
    .get_width = bitmap_width,
    .get_height = bitmap_height,
};

}  // namespace

const VtResourceTable* resource_table() { return &kResources; }
const VtBitmapTable* bitmap_table() { return &kBitmaps; }

}  // namespace vantri
