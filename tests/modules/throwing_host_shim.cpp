// A stand-in plug-in module for the command's tests: it loads the real vantri.so beside it and
// hands it the host's tables, except that from frame 3 on the document's frame rate throws, as
// a host service or a library the plug-in calls might. The real module must report the Execute
// that met the exception as failed, never as done.
#include "abi/host_abi.h"

#include <cmath>
#include <dlfcn.h>
#include <stdexcept>

namespace {

using Entry = int32_t (*)(int32_t, void*, void*, void*);

constexpr double kFailingFrame = 3.0;

HostApi g_api;
VtObjectTable g_objects;
const VtObjectTable* g_host_objects = nullptr;

int32_t FailingFps(VtAtom* document) {
    const int32_t fps = g_host_objects->doc_get_fps(document);
    VtTime now{0.0, 1.0};
    g_host_objects->doc_get_time(document, &now);
    if (std::floor(fps * now.numerator) / std::floor(now.denominator) >= kFailingFrame)
        throw std::runtime_error("the frame rate is gone");
    return fps;
}

Entry RealEntry() {
    static Entry entry = [] {
        void* module = dlopen(VANTRI_PLUGIN_DIR "/vantri.so", RTLD_NOW | RTLD_LOCAL);
        return module != nullptr ? reinterpret_cast<Entry>(dlsym(module, "c4d_main")) : nullptr;
    }();
    return entry;
}

} // namespace

extern "C" __attribute__((visibility("default"))) int32_t c4d_main(int32_t action, void* p1,
                                                                   void* p2, void* p3) {
    const Entry entry = RealEntry();
    if (entry == nullptr) return -1;
    if (action == VT_ACTION_INIT && p1 != nullptr) {
        g_api = *static_cast<HostApi*>(p1);
        g_host_objects = g_api.objects;
        g_objects = *g_host_objects;
        g_objects.doc_get_fps = FailingFps;
        g_api.objects = &g_objects;
        // The real module's resources lie beside it.
        return entry(action, &g_api, p2, const_cast<char*>(VANTRI_PLUGIN_DIR));
    }
    return entry(action, p1, p2, p3);
}
