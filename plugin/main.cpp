// The plug-in's entry point and its start, message and end hooks.
//
// The host drives the module's whole life through c4d_main: initialise (bind to the host's
// tables and keep the plug-in's own path), messages (load the resources, read the command
// line), start (install the crash hook, greet the console, register the five object types)
// and end. Initialisation is counted: only the first initialise and the end that brings the
// count back to zero do any work.
#include "plugin/hostapi/PluginApi.h"
#include "plugin/hostapi/host_binding.h"
#include "plugin/register.h"

#include "plugin/object/FrameSchedule.h"
#include "plugin/object/NeighbourSearch.h"

#include <cstring>
#include <new>

namespace {

int32_t g_init_count = 0;
Filename* g_plugin_path = nullptr;
void (*g_previous_crash_handler)(char*) = nullptr;

namespace HostMessage {
constexpr int32_t Starting = VT_PLUGIN_MESSAGE_STARTING;
constexpr int32_t LoadResources = VT_PLUGIN_MESSAGE_LOAD_RESOURCES;
constexpr int32_t Stopping = VT_PLUGIN_MESSAGE_STOPPING;
constexpr int32_t CommandLine = VT_PLUGIN_MESSAGE_COMMAND_LINE;
} // namespace HostMessage

} // namespace

Filename GeGetPluginPath() {
    return g_plugin_path != nullptr ? *g_plugin_path : Filename();
}

void SDKCrashHandler(char* crash_info) {
    if (g_previous_crash_handler != nullptr) g_previous_crash_handler(crash_info);
}

Bool PluginStart() {
    HostApi* host = vt::Host();
    if (host == nullptr) return FALSE;
    g_previous_crash_handler = host->crash_handler;
    host->crash_handler = SDKCrashHandler;

    GePrint(String(" "));
    GePrint(String(" "));

    if (!RegisterCrowdworld()) return FALSE;
    if (!RegisterCrowdgenerator()) return FALSE;
    if (!RegisterCrowdBehav()) return FALSE;
    if (!RegisterCrowdObstacle()) return FALSE;
    if (!RegisterCrowdBlend()) return FALSE;
    return TRUE;
}

void PluginEnd() {}

Bool PluginMessage(int32_t id, void* data) {
    switch (id) {
    case HostMessage::LoadResources:
        return resource.Init();
    case HostMessage::Starting:
    case HostMessage::Stopping:
        return TRUE;
    case HostMessage::CommandLine: {
        VtCommandLine* args = static_cast<VtCommandLine*>(data);
        if (args == nullptr || args->argv == nullptr) return FALSE;
        for (int32_t i = 0; i < args->argc; ++i) {
            const char* arg = args->argv[i];
            if (arg == nullptr) continue;
            if (std::strcmp(arg, "-SDK") == 0 || std::strcmp(arg, "-plugincrash") == 0)
                args->argv[i] = nullptr;
        }
        return FALSE;
    }
    case VantriMessage::NeighbourSearch: {
        // Not sent by hosts: tests and benchmarks choose the world's neighbour search.
        const int32_t* mode = static_cast<const int32_t*>(data);
        return mode != nullptr && SetNeighbourSearch(*mode);
    }
    case VT_CROWD_MESSAGE_SCHEDULE_COUNTS: {
        // Not sent by hosts: tests and benchmarks ask how the groups were updated.
        VtScheduleCounts* counts = static_cast<VtScheduleCounts*>(data);
        if (counts == nullptr) return FALSE;
        *counts = ScheduleCounts();
        return TRUE;
    }
    default:
        return FALSE;
    }
}

namespace {

int32_t Initialise(void* p1, void* p3) {
    if (g_init_count++ != 0) return 1;
    HostApi* api = static_cast<HostApi*>(p1);
    if (vt::BindHost(api) < VT_API_VERSION) return -3;
    if (p3 == nullptr) {
        vt::UnbindHost();
        return -3;
    }
    Filename* path = new (std::nothrow) Filename(String(static_cast<const char*>(p3)));
    if (path != nullptr && !path->IsValid()) {
        delete path;
        path = nullptr;
    }
    g_plugin_path = path;
    return 1;
}

int32_t End() {
    if (--g_init_count != 0) return 1;
    PluginEnd();
    resource.Free();
    delete g_plugin_path;
    g_plugin_path = nullptr;
    return 1;
}

} // namespace

extern "C" __attribute__((visibility("default"))) int32_t c4d_main(int32_t action, void* p1,
                                                                   void* p2, void* p3) {
    try {
        switch (action) {
        case 1:
            return Initialise(p1, p3);
        case 2:
            return PluginStart() ? 1 : 0;
        case 3:
            return End();
        case 4:
            return 5;
        case 6:
            return PluginMessage(static_cast<int32_t>(reinterpret_cast<intptr_t>(p1)), p2) ? 1 : -1;
        default:
            return -1;
        }
    } catch (...) {
        return -1;
    }
}
