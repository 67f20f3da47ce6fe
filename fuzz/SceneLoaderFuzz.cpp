// Fuzzes the scene loader as `vantri run` uses it: the text is parsed, built in a host
// document through the loaded plug-in, and two frames are played. A scene mistake is an
// answer; a crash, a leak, undefined behaviour, an uncaught exception or a hang is a finding.
#include "fuzz/FuzzScene.h"
#include "host/eval/Player.h"

#include <cstdint>
#include <memory>

namespace {

using namespace vantri;

// Crews above this are skipped: building them tells nothing new and takes long.
constexpr uint64_t kMostAgents = 500;
constexpr size_t kMemoryLimit = size_t(256) << 20;

FuzzPlugin* plugin = nullptr;

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    plugin = new FuzzPlugin;
    start_fuzz_plugin(*plugin, "scene_loader_fuzz", kMemoryLimit);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::unique_ptr<FuzzScene> built =
        build_fuzz_scene(plugin->host, data, size, kMostAgents);
    if (!built) return 0;
    const SceneFile& scene = built->scene;
    const int32_t last = scene.end > scene.start ? scene.start + 1 : scene.start;
    play_range(plugin->host, *built->document, scene.start, last, PlayMode::Play);
    return 0;
}
