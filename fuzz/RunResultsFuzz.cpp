// Fuzzes a whole run's results as `vantri run` writes them: the text is parsed and built
// through the loaded plug-in, two frames are played, and the writers write scene.glb,
// preview.html and one small picture of each frame into a scratch folder. A scene mistake or
// a refused value is an answer; a crash, a leak, undefined behaviour, an uncaught exception
// or a hang is a finding.
#include "fuzz/FuzzScene.h"
#include "host/eval/Player.h"
#include "results/AgentRecords.h"
#include "results/RunWriters.h"
#include "scenefile/SceneGeometry.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

using namespace vantri;

// Crews above this are skipped: building them tells nothing new and takes long.
constexpr uint64_t kMostAgents = 200;
// Pictures draw every agent's shapes: crews of finely divided meshes are slow to draw, not
// wrong (a sphere of 161 segments on 36 agents is 1.9 million triangles a picture), so inputs
// whose meshes times agents exceed this many faces are left out, as larger crews are.
constexpr uint64_t kMostDrawnFaces = 50000;
constexpr size_t kMemoryLimit = size_t(256) << 20;

FuzzPlugin* plugin = nullptr;
std::string* folder = nullptr; ///< the scratch folder the writers write into

// The writers see every played frame, as the run plan's play step hands them over.
Status record_frame(Document& document, const std::vector<SceneObject*>& generators, int32_t frame,
                    const std::vector<std::unique_ptr<RunWriter>>& writers) {
    PlayedFrame played;
    played.frame = frame;
    played.document = &document;
    for (SceneObject* generator : generators) {
        const AgentRecordView view = view_agent_records(*generator);
        played.generators.push_back(
            {generator, view.records, view.count, generator->global_matrix()});
    }
    for (const std::unique_ptr<RunWriter>& writer : writers) {
        if (Status recorded = writer->record(played); !recorded) return recorded;
    }
    return {};
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    plugin = new FuzzPlugin;
    start_fuzz_plugin(*plugin, "run_results_fuzz", kMemoryLimit);
    folder = new std::string((std::filesystem::temp_directory_path() /
                              ("vantri-results-fuzz-" + std::to_string(getpid())))
                                 .string());
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::unique_ptr<FuzzScene> built =
        build_fuzz_scene(plugin->host, data, size, kMostAgents);
    if (!built) return 0;
    const SceneFile& scene = built->scene;
    Document* document = built->document.get();
    const uint64_t agents = built->agents;
    uint64_t faces = 0;
    for (const MeshCount& mesh : mesh_counts(scene))
        faces += mesh.faces;
    if (faces * std::max<uint64_t>(agents, 1) > kMostDrawnFaces) return 0;
    std::vector<SceneObject*> generators;
    for (const BuiltObject& object : built->objects) {
        if (object.object->type() == VT_CROWD_TYPE_GENERATOR) generators.push_back(object.object);
    }

    const RunFrames frames{scene.start, scene.end > scene.start ? scene.start + 1 : scene.start};
    PictureSchedule every_frame;
    every_frame.every = 1;
    std::vector<std::unique_ptr<RunWriter>> writers;
    writers.push_back(std::make_unique<FiniteCheck>("fuzz.json"));
    writers.push_back(std::make_unique<RecordingWriter>("fuzz.json", true, true));
    writers.push_back(std::make_unique<PictureWriter>(
        every_frame, PictureWriter::Look{static_cast<CameraView>(size % 4), 32, 24, true}));
    std::filesystem::remove_all(*folder);
    std::filesystem::create_directories(*folder);
    const RunStart start{*folder, *document, generators};
    Status done;
    for (const std::unique_ptr<RunWriter>& writer : writers) {
        if (done) done = writer->admit(frames);
    }
    for (const std::unique_ptr<RunWriter>& writer : writers) {
        if (done) done = writer->begin(start);
    }
    if (done)
        done = play_frames(
            plugin->host, *document, frames.first, frames.last, PlayMode::Play,
            [&](int32_t frame) { return record_frame(*document, generators, frame, writers); },
            [](const ExecutionFailure& failed) {
                return failure("object '" + failed.object + "' failed to execute");
            });
    const RunEnd end;
    for (const std::unique_ptr<RunWriter>& writer : writers) {
        if (done) done = writer->finish(end);
    }
    if (!done) {
        for (const std::unique_ptr<RunWriter>& writer : writers)
            writer->abandon();
    }
    std::filesystem::remove_all(*folder);
    return 0;
}
