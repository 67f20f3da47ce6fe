#include "results/RecordingMemory.h"

#include "host/plugin/ObjectTypes.h"
#include "results/GltfDocument.h"
#include "results/RunRecording.h"

namespace vantri {

namespace {

constexpr int32_t kGeneratorType = 1027810;
constexpr int32_t kObstacleType = 1027812;

/// Per agent and frame: its pose.
constexpr double kPoseBytes = sizeof(AgentPose);
/// Per agent: its shape and scale.
constexpr double kAgentBytes = sizeof(int32_t) + sizeof(VtVector);
/// Per generator and frame: its count and where its poses start.
constexpr double kGeneratorFrameBytes = sizeof(uint32_t) + sizeof(size_t);
/// Per piece and frame: its matrix.
constexpr double kPieceFrameBytes = sizeof(VtMatrix);
/// scene.glb's document per agent, besides its generator's name twice (in its node's name
/// and extras): its node with the shortest numbers, and the accessors, samplers and channels
/// of its translation and rotation.
constexpr double kGlbAgentTextBytes = 400;
/// preview.html's description per agent: which instanced mesh draws it and its scale, as
/// JSON values (16 bytes each) before they are written.
constexpr double kHtmlAgentBytes = 4 * 16;

} // namespace

RecordingMemory recording_memory(const std::vector<RecordedCrew>& crews, uint64_t frames,
                                 size_t pieces, bool glb, bool html) {
    RecordingMemory memory;
    if (!glb && !html) return memory;
    const double f = static_cast<double>(frames);
    memory.recording = static_cast<double>(pieces) * f * kPieceFrameBytes;
    for (const RecordedCrew& crew : crews) {
        const double agents = static_cast<double>(crew.agents);
        memory.recording += agents * (f * kPoseBytes + kAgentBytes) + f * kGeneratorFrameBytes;
        if (glb)
            memory.glb += agents * (kGlbAgentTextBytes +
                                    2.0 * static_cast<double>(json_string(crew.name).size()));
        if (html) memory.html += agents * kHtmlAgentBytes;
    }
    return memory;
}

double glb_file_bytes(const std::vector<RecordedCrew>& crews, uint64_t frames) {
    double bytes = 0;
    for (const RecordedCrew& crew : crews) {
        const double agents = static_cast<double>(crew.agents);
        bytes += agents * (static_cast<double>(frames) * kPoseBytes + kGlbAgentTextBytes +
                           2.0 * static_cast<double>(json_string(crew.name).size()));
    }
    return bytes;
}

size_t recording_pieces(const Document& document) {
    size_t pieces = 0;
    const auto visit = [&](const auto& self, Atom* atom) -> void {
        for (; atom != nullptr; atom = atom->next()) {
            SceneObject* object = SceneObject::from(atom);
            if (object == nullptr) continue;
            if (object->type() == kObstacleType || object->type() == kNullType ||
                object->mesh() != nullptr || object->spline() != nullptr)
                ++pieces;
            // A generator's children are shown by its agents.
            if (object->type() != kGeneratorType) self(self, object->first_child());
        }
    };
    visit(visit, document.first_child());
    return pieces;
}

} // namespace vantri
