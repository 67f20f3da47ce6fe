#include "results/SceneGltf.h"

#include "results/GlbFile.h"
#include "results/GltfDocument.h"
#include "results/GltfMeshes.h"
#include "host/resources/JsonText.h"
#include "host/scene/Transform.h"

#include <algorithm>
#include <filesystem>

namespace vantri {

namespace {

using Json = nlohmann::json;

constexpr int kFloat = 5126;
constexpr size_t kVec3Bytes = 3 * sizeof(float);
constexpr size_t kVec4Bytes = 4 * sizeof(float);

/// When an agent is there: at frame f when its index is below its generator's count at f.
struct Presence {
    size_t first = 0;         ///< the first frame where it is there
    bool ever_absent = false; ///< whether some frame lacks it
};

Presence presence_of(const RecordedGenerator& generator, size_t agent) {
    Presence presence;
    presence.first = generator.counts.size();
    for (size_t f = 0; f < generator.counts.size(); ++f) {
        if (agent < generator.counts[f])
            presence.first = std::min(presence.first, f);
        else
            presence.ever_absent = true;
    }
    return presence;
}

// An agent's poses at every frame. Where it is absent, it keeps the nearest place it has: the
// last one before, or the first one after for frames before it appears.
void agent_track(const RunRecording& recording, size_t g, size_t a, size_t first_present,
                 std::vector<AgentPose>& poses) {
    const size_t frames = recording.frames().size();
    poses.resize(frames);
    const uint32_t* counts = recording.generators()[g].counts.data();
    for (size_t f = 0; f < frames; ++f) {
        if (a < counts[f])
            poses[f] = recording.pose(f, g, a);
        else if (f > first_present)
            poses[f] = poses[f - 1];
    }
    for (size_t f = 0; f < first_present && first_present < frames; ++f)
        poses[f] = poses[first_present];
}

// The quaternion of each key on the same side as the previous key's, so that every
// interpolation between two keys turns the short way.
void push_rotation(std::vector<float>& out, size_t first_of_node, const float q[4]) {
    float k[4] = {q[0], q[1], q[2], q[3]};
    if (out.size() >= first_of_node + 4) {
        const float* prev = &out[out.size() - 4];
        if (prev[0] * k[0] + prev[1] * k[1] + prev[2] * k[2] + prev[3] * k[3] < 0)
            for (float& c : k)
                c = -c;
    }
    out.insert(out.end(), k, k + 4);
}

void push(std::vector<float>& out, const VtVector& v) {
    out.push_back(static_cast<float>(v.x));
    out.push_back(static_cast<float>(v.y));
    out.push_back(static_cast<float>(v.z));
}

std::string vector_text(const VtVector& v) {
    return "[" + json_double(v.x) + "," + json_double(v.y) + "," + json_double(v.z) + "]";
}

std::string floats_text(const float* values, int count) {
    std::string text = "[";
    for (int i = 0; i < count; ++i)
        text += (i > 0 ? "," : "") + json_float(values[i]);
    return text + "]";
}

std::string transform_text(const ExportTransform& t) {
    std::string text = ",\"translation\":" + vector_text(t.translation) + ",\"rotation\":[" +
                       json_double(t.rotation[0]) + "," + json_double(t.rotation[1]) + "," +
                       json_double(t.rotation[2]) + "," + json_double(t.rotation[3]) + "]";
    if (t.scale.x != 1.0 || t.scale.y != 1.0 || t.scale.z != 1.0)
        text += ",\"scale\":" + vector_text(t.scale);
    return text;
}

/// The scene as it is built: shapes first, then the generators with their agents, then the
/// pieces, each node's animation channels added with it. The agents' keys are written
/// straight from the recording while the file is written, agent after agent.
class GltfScene {
  public:
    GltfScene(const RunRecording& recording, const std::string& scene);

    void add_generators();
    void add_piece(const RecordedPiece& piece);
    Status write(const std::string& path) {
        document_.buffer_bytes = binary_.size();
        return write_glb(path, document_, binary_);
    }

  private:
    void describe_asset(const std::string& scene);
    void add_times();
    void reserve_agent_keys();
    void add_channel(int node, const char* path, int output, bool step);
    using PoseKeys = void (*)(std::vector<float>& keys, const AgentPose& pose);
    void write_pose_keys(GlbPartStream& out, PoseKeys keys_of) const;
    void write_translations(GlbPartStream& out) const;
    void write_rotations(GlbPartStream& out) const;
    void write_scales(GlbPartStream& out) const;

    const RunRecording& recording_;
    size_t frames_ = 0;
    GltfDocument document_;
    GlbBinary binary_;
    int times_ = -1;
    int translation_view_ = -1, rotation_view_ = -1, scale_view_ = -1;
};

GltfScene::GltfScene(const RunRecording& recording, const std::string& scene)
    : recording_(recording), frames_(recording.frames().size()) {
    describe_asset(scene);
    // Named, so that a scene without nodes is still an object in the file.
    document_.scene_name = valid_utf8(std::filesystem::path(scene).stem().string());
    add_gltf_meshes(recording_, document_, binary_);
    add_times();
    reserve_agent_keys();
}

void GltfScene::describe_asset(const std::string& scene) {
    Json extras;
    extras["scene"] = valid_utf8(scene);
    extras["fps"] = recording_.fps();
    if (!recording_.frames().empty()) {
        extras["start"] = recording_.frames().front();
        extras["end"] = recording_.frames().back();
    }
    extras["metres_per_scene_unit"] = kMetresPerSceneUnit;
    extras["axes"] = "scene (x, y, z) is glTF (x, y, -z)";
    document_.asset = Json{{"version", "2.0"}, {"generator", "Vantri"}, {"extras", extras}}.dump(
        -1, ' ', false, Json::error_handler_t::replace);
}

// The key times, shared by every channel: (frame - first frame) / fps seconds.
void GltfScene::add_times() {
    bool animated = recording_.agent_count() > 0;
    for (const RecordedPiece& piece : recording_.pieces())
        animated = animated || piece.moves();
    if (!animated || frames_ == 0) return;
    std::vector<float> times(frames_);
    for (size_t f = 0; f < frames_; ++f)
        times[f] = static_cast<float>(
            static_cast<double>(recording_.frames()[f] - recording_.frames().front()) /
            recording_.fps());
    const size_t bytes = times.size() * sizeof(float);
    const int view = document_.add_view(binary_.add(times.data(), bytes), bytes, 0);
    times_ = document_.add_accessor(view, 0, kFloat, "SCALAR", frames_,
                                    ",\"min\":[" + json_float(times.front()) + "],\"max\":[" +
                                        json_float(times.back()) + "]");
}

// One view for all agents' translations, one for their rotations and one for the scales of
// those that some frames lack, written when the file is.
void GltfScene::reserve_agent_keys() {
    const size_t agents = recording_.agent_count();
    if (agents == 0 || times_ < 0) return;
    size_t absent = 0;
    for (const RecordedGenerator& generator : recording_.generators()) {
        for (size_t a = 0; a < generator.agent_shapes.size(); ++a)
            absent += presence_of(generator, a).ever_absent ? 1 : 0;
    }
    const auto reserve = [&](size_t bytes, void (GltfScene::*fill)(GlbPartStream&) const) {
        const size_t offset =
            binary_.reserve(bytes, [this, fill](GlbPartStream& out) { (this->*fill)(out); });
        return document_.add_view(offset, bytes, 0);
    };
    translation_view_ = reserve(agents * frames_ * kVec3Bytes, &GltfScene::write_translations);
    rotation_view_ = reserve(agents * frames_ * kVec4Bytes, &GltfScene::write_rotations);
    if (absent > 0) scale_view_ = reserve(absent * frames_ * kVec3Bytes, &GltfScene::write_scales);
}

void GltfScene::add_channel(int node, const char* path, int output, bool step) {
    const int sampler = document_.samplers.add("{\"input\":" + std::to_string(times_) +
                                               ",\"output\":" + std::to_string(output) +
                                               (step ? ",\"interpolation\":\"STEP\"}" : "}"));
    document_.channels.add("{\"sampler\":" + std::to_string(sampler) + ",\"target\":{\"node\":" +
                           std::to_string(node) + ",\"path\":\"" + path + "\"}}");
}

// Per generator a node without a transform, the group of its agents; per agent a node that
// instances its shape's mesh, named GENERATOR_INDEX, with its translation and rotation
// channels, and a scale channel (step) that is 0 where a frame lacks it.
void GltfScene::add_generators() {
    size_t agent = 0, absent = 0;
    for (size_t g = 0; g < recording_.generators().size(); ++g) {
        const RecordedGenerator& generator = recording_.generators()[g];
        const std::string name = json_string(generator.name);
        const std::string name_text = name.substr(1, name.size() - 2);
        const size_t count = generator.agent_shapes.size();
        const int group = static_cast<int>(document_.nodes.count());
        std::string group_node = "{\"name\":" + name;
        for (size_t a = 0; a < count; ++a) {
            group_node += a > 0 ? "," : ",\"children\":[";
            group_node += std::to_string(group + 1 + static_cast<int>(a));
        }
        group_node += count > 0 ? "]" : "";
        group_node += ",\"extras\":{\"generator\":";
        group_node += name;
        group_node += "}}";
        document_.nodes.add(group_node);
        document_.scene_nodes.add(std::to_string(group));
        for (size_t a = 0; a < count; ++a, ++agent) {
            const Presence presence = presence_of(generator, a);
            const AgentPose shown = presence.first < frames_ ? recording_.pose(presence.first, g, a)
                                                             : AgentPose{{0, 0, 0}, {0, 0, 0, 1}};
            std::string node = "{\"name\":\"" + name_text + "_" + std::to_string(a) + "\"";
            if (generator.agent_shapes[a] >= 0)
                node += ",\"mesh\":" + std::to_string(generator.agent_shapes[a]);
            node += ",\"translation\":" + floats_text(shown.translation, 3) +
                    ",\"rotation\":" + floats_text(shown.rotation, 4);
            const VtVector& scale = generator.agent_scales[a];
            if (scale.x != 1.0 || scale.y != 1.0 || scale.z != 1.0)
                node += ",\"scale\":" + vector_text(scale);
            node += ",\"extras\":{\"agent\":" + std::to_string(a) + ",\"generator\":" + name + "}}";
            const int index = document_.nodes.add(node);
            if (translation_view_ < 0) continue;
            add_channel(index, "translation",
                        document_.add_accessor(translation_view_, agent * frames_ * kVec3Bytes,
                                               kFloat, "VEC3", frames_),
                        false);
            add_channel(index, "rotation",
                        document_.add_accessor(rotation_view_, agent * frames_ * kVec4Bytes, kFloat,
                                               "VEC4", frames_),
                        false);
            if (!presence.ever_absent) continue;
            add_channel(index, "scale",
                        document_.add_accessor(scale_view_, absent++ * frames_ * kVec3Bytes, kFloat,
                                               "VEC3", frames_),
                        true);
        }
    }
}

// Every agent's keys of one pose part, in the order of the agents' accessors.
void GltfScene::write_pose_keys(GlbPartStream& out, PoseKeys keys_of) const {
    std::vector<AgentPose> poses;
    std::vector<float> keys;
    for (size_t g = 0; g < recording_.generators().size(); ++g) {
        const RecordedGenerator& generator = recording_.generators()[g];
        for (size_t a = 0; a < generator.agent_shapes.size(); ++a) {
            agent_track(recording_, g, a, presence_of(generator, a).first, poses);
            keys.clear();
            for (const AgentPose& pose : poses)
                keys_of(keys, pose);
            out.write(keys);
        }
    }
}

void GltfScene::write_translations(GlbPartStream& out) const {
    write_pose_keys(out, [](std::vector<float>& keys, const AgentPose& pose) {
        keys.insert(keys.end(), pose.translation, pose.translation + 3);
    });
}

void GltfScene::write_rotations(GlbPartStream& out) const {
    write_pose_keys(out, [](std::vector<float>& keys, const AgentPose& pose) {
        push_rotation(keys, 0, pose.rotation);
    });
}

void GltfScene::write_scales(GlbPartStream& out) const {
    std::vector<float> keys;
    for (const RecordedGenerator& generator : recording_.generators()) {
        for (size_t a = 0; a < generator.agent_shapes.size(); ++a) {
            if (!presence_of(generator, a).ever_absent) continue;
            keys.clear();
            for (size_t f = 0; f < frames_; ++f)
                push(keys, a < generator.counts[f] ? generator.agent_scales[a] : VtVector{0, 0, 0});
            out.write(keys);
        }
    }
}

// A scene piece: its node, and translation, rotation and scale channels when it moves.
void GltfScene::add_piece(const RecordedPiece& piece) {
    Json extras{{"kind", piece_kind_name(piece.kind)}, {"object", piece.name}};
    if (piece.shape >= 0 && recording_.shapes()[piece.shape].shape.has_line())
        extras["curve"] = curve_extras(export_shape(recording_.shapes()[piece.shape].shape));
    std::string node = "{\"name\":" + json_string(piece.name);
    if (piece.shape >= 0) node += ",\"mesh\":" + std::to_string(piece.shape);
    if (!piece.matrices.empty()) node += transform_text(export_transform(piece.matrices.front()));
    node += ",\"extras\":" + extras.dump(-1, ' ', false, Json::error_handler_t::replace) + "}";
    const int index = document_.nodes.add(node);
    document_.scene_nodes.add(std::to_string(index));
    if (!piece.moves() || times_ < 0) return;
    std::vector<float> translations, rotations, scales;
    for (const VtMatrix& m : piece.matrices) {
        const ExportTransform t = export_transform(m);
        push(translations, t.translation);
        const float q[4] = {static_cast<float>(t.rotation[0]), static_cast<float>(t.rotation[1]),
                            static_cast<float>(t.rotation[2]), static_cast<float>(t.rotation[3])};
        push_rotation(rotations, 0, q);
        push(scales, t.scale);
    }
    const auto keys = [&](const std::vector<float>& values, const char* type) {
        const size_t bytes = values.size() * sizeof(float);
        const int view = document_.add_view(binary_.add(values.data(), bytes), bytes, 0);
        return document_.add_accessor(view, 0, kFloat, type, frames_);
    };
    add_channel(index, "translation", keys(translations, "VEC3"), false);
    add_channel(index, "rotation", keys(rotations, "VEC4"), false);
    add_channel(index, "scale", keys(scales, "VEC3"), false);
}

} // namespace

Status write_scene_glb(const RunRecording& recording, const std::string& scene,
                       const std::string& path) {
    GltfScene gltf(recording, scene);
    gltf.add_generators();
    for (const RecordedPiece& piece : recording.pieces())
        gltf.add_piece(piece);
    return gltf.write(path);
}

} // namespace vantri
