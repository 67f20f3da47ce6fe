// What both fuzz targets do before their own part: start the plug-in once, and turn an input
// into a scene built in a host document, leaving out what is a scene mistake or too large a
// crew to tell anything new.
#pragma once

#include "host/Host.h"
#include "host/memory/Allocator.h"
#include "host/plugin/PluginModule.h"
#include "host/scene/Document.h"
#include "scenefile/CrewSize.h"
#include "scenefile/SceneBuilder.h"
#include "scenefile/SceneFile.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace vantri {

struct FuzzPlugin {
    Host host;
    PluginModule module;
};

/// Opens and starts the plug-in (VANTRI_PLUGIN, or the build's own) and caps its memory at
/// `memory_limit`; ends the fuzzer, naming `target`, when the plug-in does not start.
inline void start_fuzz_plugin(FuzzPlugin& plugin, const char* target, size_t memory_limit) {
    std::vector<std::string> arguments;
    const char* path = std::getenv("VANTRI_PLUGIN");
    Status started = plugin.module.open(path != nullptr ? path : VANTRI_PLUGIN_DIR "/vantri.so");
    if (started) started = plugin.module.start_up(plugin.host, arguments);
    if (!started) {
        std::fprintf(stderr, "%s: %s\n", target, started.message().c_str());
        std::exit(1);
    }
    allocator().set_limit(memory_limit);
}

/// An input built: the scene, the document it was built in, its objects in file order and
/// the agents its crews will hold. Kept in one place, since the objects point into the scene.
struct FuzzScene {
    SceneFile scene;
    std::unique_ptr<Document> document = std::make_unique<Document>();
    std::vector<BuiltObject> objects;
    uint64_t agents = 0;
};

/// The input parsed and built, or null when it is a scene mistake or its crews hold more than
/// `most_agents`.
inline std::unique_ptr<FuzzScene> build_fuzz_scene(const Host& host, const uint8_t* data,
                                                   size_t size, uint64_t most_agents) {
    Result<SceneFile> parsed = parse_scene(std::string(reinterpret_cast<const char*>(data), size));
    if (!parsed) return nullptr;
    auto built = std::make_unique<FuzzScene>();
    built->scene = std::move(*parsed);
    Result<std::vector<BuiltObject>> objects = build_scene(host, built->scene, *built->document);
    if (!objects) return nullptr;
    built->objects = std::move(*objects);
    for (const CrewSize& crew : crew_sizes(built->objects))
        built->agents += crew.agents;
    if (built->agents > most_agents) return nullptr;
    return built;
}

} // namespace vantri
