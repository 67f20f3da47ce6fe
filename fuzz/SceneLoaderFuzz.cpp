// Fuzzes the scene loader as `vantri run` uses it: the text is parsed, built in a host
// document through the loaded plug-in, and two frames are played. A scene mistake is an
// answer; a crash, a leak, undefined behaviour, an uncaught exception or a hang is a finding.
#include "host/Host.h"
#include "host/eval/Player.h"
#include "host/memory/Allocator.h"
#include "host/plugin/PluginModule.h"
#include "scenefile/CrewSize.h"
#include "scenefile/SceneBuilder.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace {

using namespace vantri;

// Crews above this are skipped: building them tells nothing new and takes long.
constexpr uint64_t kMostAgents = 500;
constexpr size_t kMemoryLimit = size_t(256) << 20;

struct Session {
    Host host;
    PluginModule module;
};

Session* session = nullptr;

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    session = new Session;
    std::vector<std::string> arguments;
    const char* path = std::getenv("VANTRI_PLUGIN");
    Status started = session->module.open(path != nullptr ? path : VANTRI_PLUGIN_DIR "/vantri.so");
    if (started) started = session->module.start_up(session->host, arguments);
    if (!started) {
        std::fprintf(stderr, "scene_loader_fuzz: %s\n", started.message().c_str());
        std::exit(1);
    }
    allocator().set_limit(kMemoryLimit);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const Result<SceneFile> parsed = parse_scene(text);
    if (!parsed) return 0;
    const SceneFile& scene = *parsed;
    auto document = std::make_unique<Document>();
    const Result<std::vector<BuiltObject>> built = build_scene(session->host, scene, *document);
    if (!built) return 0;
    const std::vector<BuiltObject>& objects = *built;
    uint64_t agents = 0;
    for (const CrewSize& crew : crew_sizes(objects))
        agents += crew.agents;
    if (agents > kMostAgents) return 0;
    const int32_t last = scene.end > scene.start ? scene.start + 1 : scene.start;
    play_range(session->host, *document, scene.start, last, PlayMode::Play);
    return 0;
}
