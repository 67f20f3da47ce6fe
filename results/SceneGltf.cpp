#include "results/SceneGltf.h"

#include "results/CurveTube.h"
#include "results/Palette.h"
#include "host/resources/JsonText.h"
#include "host/scene/Transform.h"

#include <tiny_gltf.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>

namespace vantri {

namespace {

using Json = tinygltf::Value;

constexpr int kFloat = TINYGLTF_COMPONENT_TYPE_FLOAT;

/// Builds the model's one buffer, views and accessors.
class ModelBuilder {
  public:
    explicit ModelBuilder(tinygltf::Model& model) : model_(model) { model_.buffers.emplace_back(); }

    /// A new buffer view holding `bytes`, aligned to 4 bytes; `target` 0 for none.
    int view(const void* bytes, size_t size, int target) {
        std::vector<unsigned char>& data = model_.buffers[0].data;
        while (data.size() % 4 != 0)
            data.push_back(0);
        tinygltf::BufferView view;
        view.buffer = 0;
        view.byteOffset = data.size();
        view.byteLength = size;
        view.target = target;
        const auto* first = static_cast<const unsigned char*>(bytes);
        data.insert(data.end(), first, first + size);
        model_.bufferViews.push_back(view);
        return static_cast<int>(model_.bufferViews.size() - 1);
    }

    int accessor(int view, size_t offset, int component, int type, size_t count,
                 std::vector<double> min = {}, std::vector<double> max = {}) {
        tinygltf::Accessor accessor;
        accessor.bufferView = view;
        accessor.byteOffset = offset;
        accessor.componentType = component;
        accessor.type = type;
        accessor.count = count;
        accessor.minValues = std::move(min);
        accessor.maxValues = std::move(max);
        model_.accessors.push_back(accessor);
        return static_cast<int>(model_.accessors.size() - 1);
    }

    /// A VEC3 float accessor over `points`, with their bounds, in a view of its own.
    int points(const std::vector<float>& xyz, int target) {
        std::vector<double> min(3, std::numeric_limits<double>::infinity());
        std::vector<double> max(3, -std::numeric_limits<double>::infinity());
        for (size_t i = 0; i < xyz.size(); ++i) {
            min[i % 3] = std::fmin(min[i % 3], xyz[i]);
            max[i % 3] = std::fmax(max[i % 3], xyz[i]);
        }
        const int v = view(xyz.data(), xyz.size() * sizeof(float), target);
        return accessor(v, 0, kFloat, TINYGLTF_TYPE_VEC3, xyz.size() / 3, min, max);
    }

  private:
    tinygltf::Model& model_;
};

void push(std::vector<float>& out, const VtVector& v) {
    out.push_back(static_cast<float>(v.x));
    out.push_back(static_cast<float>(v.y));
    out.push_back(static_cast<float>(v.z));
}

int add_material(tinygltf::Model& model, const std::string& name, const Colour& colour) {
    tinygltf::Material material;
    material.name = name;
    material.pbrMetallicRoughness.baseColorFactor = {
        linear_channel(colour.r), linear_channel(colour.g), linear_channel(colour.b), colour.a};
    material.pbrMetallicRoughness.metallicFactor = 0.0;
    material.pbrMetallicRoughness.roughnessFactor = 0.8;
    if (colour.a < 1.0) {
        material.alphaMode = "BLEND";
        material.doubleSided = true;
    }
    model.materials.push_back(material);
    return static_cast<int>(model.materials.size() - 1);
}

// A shape's triangles. A shape without normals is unwelded into three vertices per
// triangle with the face's normal (flat shading).
tinygltf::Primitive triangles_primitive(ModelBuilder& builder, const ExportedShape& shape,
                                        int material) {
    std::vector<float> positions, normals;
    std::vector<uint32_t> indices;
    if (!shape.normals.empty()) {
        positions = shape.positions;
        normals = shape.normals;
        indices = shape.indices;
    } else {
        const auto corner = [&](uint32_t i) {
            return VtVector{shape.positions[3 * i], shape.positions[3 * i + 1],
                            shape.positions[3 * i + 2]};
        };
        for (size_t t = 0; t + 2 < shape.indices.size(); t += 3) {
            const VtVector a = corner(shape.indices[t]);
            const VtVector b = corner(shape.indices[t + 1]);
            const VtVector c = corner(shape.indices[t + 2]);
            VtVector n = cross(b - a, c - a);
            const double l = std::sqrt(dot(n, n));
            n = l > 0 ? n * (1.0 / l) : VtVector{0, 1, 0};
            for (const VtVector& p : {a, b, c}) {
                indices.push_back(static_cast<uint32_t>(positions.size() / 3));
                push(positions, p);
                push(normals, n);
            }
        }
    }
    tinygltf::Primitive primitive;
    primitive.mode = TINYGLTF_MODE_TRIANGLES;
    primitive.material = material;
    primitive.attributes["POSITION"] = builder.points(positions, TINYGLTF_TARGET_ARRAY_BUFFER);
    const int normal_view =
        builder.view(normals.data(), normals.size() * sizeof(float), TINYGLTF_TARGET_ARRAY_BUFFER);
    primitive.attributes["NORMAL"] =
        builder.accessor(normal_view, 0, kFloat, TINYGLTF_TYPE_VEC3, normals.size() / 3);
    if (positions.size() / 3 <= 65535) {
        std::vector<uint16_t> small(indices.begin(), indices.end());
        const int v = builder.view(small.data(), small.size() * sizeof(uint16_t),
                                   TINYGLTF_TARGET_ELEMENT_ARRAY_BUFFER);
        primitive.indices = builder.accessor(v, 0, TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT,
                                             TINYGLTF_TYPE_SCALAR, small.size());
    } else {
        const int v = builder.view(indices.data(), indices.size() * sizeof(uint32_t),
                                   TINYGLTF_TARGET_ELEMENT_ARRAY_BUFFER);
        primitive.indices = builder.accessor(v, 0, TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT,
                                             TINYGLTF_TYPE_SCALAR, indices.size());
    }
    return primitive;
}

/// A shape's curves as the node's extras keep them: per curve its points in the export
/// space, x, y, z after another, and whether it closes.
Json curve_extras(const ExportedShape& shape) {
    Json::Array curves;
    for (const ExportedShape::Line& line : shape.lines) {
        Json::Array points;
        for (float v : line.points)
            points.emplace_back(static_cast<double>(v));
        curves.emplace_back(
            Json::Object{{"points", Json(std::move(points))}, {"closed", Json(line.closed)}});
    }
    return Json(std::move(curves));
}

void set_transform(tinygltf::Node& node, const ExportTransform& t) {
    node.translation = {t.translation.x, t.translation.y, t.translation.z};
    node.rotation = {t.rotation[0], t.rotation[1], t.rotation[2], t.rotation[3]};
    if (t.scale.x != 1.0 || t.scale.y != 1.0 || t.scale.z != 1.0)
        node.scale = {t.scale.x, t.scale.y, t.scale.z};
}

/// Keys of one animated node, appended to the animation's shared output views.
struct AnimationData {
    std::vector<float> translations, rotations, scales;
};

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

/// An agent's poses at every recorded frame, the frames where it is absent filled in.
struct AgentTrack {
    std::vector<AgentPose> poses;
    bool ever_absent = false;
    size_t first_present = 0;
};

/// One animated property of a node: its keys start at `offset` floats into the output of
/// its kind.
struct Channel {
    int node;
    const char* path;
    size_t offset;
    bool step;
};

/// The model as it is built: shapes and materials first, then the nodes with their keys,
/// then the one animation over all of them.
class GltfScene {
  public:
    GltfScene(const RunRecording& recording, const std::string& scene)
        : recording_(recording), builder_(model_) {
        describe_asset(scene);
        // Named, so that a scene without nodes is still an object in the file.
        root_.name = valid_utf8(std::filesystem::path(scene).stem().string());
    }

    void add_meshes();
    void add_generator(size_t g);
    void add_piece(const RecordedPiece& piece);
    void add_animation();
    /// The finished model.
    tinygltf::Model& model();

  private:
    void describe_asset(const std::string& scene);
    std::vector<int> add_materials();
    AgentTrack agent_track(size_t g, size_t a) const;
    void add_agent(size_t g, size_t a, int group_index);

    const RunRecording& recording_;
    tinygltf::Model model_;
    ModelBuilder builder_;
    AnimationData keys_;
    std::vector<Channel> channels_;
    tinygltf::Scene root_;
};

void GltfScene::describe_asset(const std::string& scene) {
    model_.asset.version = "2.0";
    model_.asset.generator = "Vantri";
    Json::Object extras;
    extras["scene"] = Json(valid_utf8(scene));
    extras["fps"] = Json(recording_.fps());
    if (!recording_.frames().empty()) {
        extras["start"] = Json(recording_.frames().front());
        extras["end"] = Json(recording_.frames().back());
    }
    extras["metres_per_scene_unit"] = Json(kMetresPerSceneUnit);
    extras["axes"] = Json(std::string("scene (x, y, z) is glTF (x, y, -z)"));
    model_.asset.extras = Json(std::move(extras));
}

// Materials: one per generator, one per kind of piece that occurs. Returns each shape's.
std::vector<int> GltfScene::add_materials() {
    std::vector<int> shape_material(recording_.shapes().size(), -1);
    for (size_t g = 0; g < recording_.generators().size(); ++g) {
        const RecordedGenerator& generator = recording_.generators()[g];
        int material = -1;
        for (int32_t shape : generator.agent_shapes) {
            if (shape < 0 || shape_material[shape] >= 0) continue;
            if (material < 0) material = add_material(model_, generator.name, crowd_colour(g));
            shape_material[shape] = material;
        }
    }
    int kind_materials[5] = {-1, -1, -1, -1, -1};
    for (const RecordedPiece& piece : recording_.pieces()) {
        if (piece.shape < 0) continue; // a marker: a node without a mesh
        int& material = kind_materials[static_cast<int>(piece.kind)];
        if (material < 0)
            material = add_material(model_, piece_kind_name(piece.kind), piece_colour(piece.kind));
        shape_material[piece.shape] = material;
    }
    return shape_material;
}

// Meshes: one per shape. Curves are drawn as thin tubes, as viewers draw glTF lines as nothing
// or one pixel wide; the curves themselves go into their nodes' extras (add_piece).
void GltfScene::add_meshes() {
    const std::vector<int> shape_material = add_materials();
    const std::vector<RecordedShape>& shapes = recording_.shapes();
    for (size_t s = 0; s < shapes.size(); ++s) {
        tinygltf::Mesh mesh;
        mesh.name = shapes[s].name;
        const ExportedShape exported = export_shape(shapes[s].shape);
        if (shapes[s].shape.has_mesh())
            mesh.primitives.push_back(triangles_primitive(builder_, exported, shape_material[s]));
        const double radius = tube_radius(shapes[s].shape);
        for (const ObjectLine& line : shapes[s].shape.lines) {
            const ObjectShape tube = tube_shape(line, radius);
            if (tube.has_mesh())
                mesh.primitives.push_back(
                    triangles_primitive(builder_, export_shape(tube), shape_material[s]));
        }
        model_.meshes.push_back(mesh);
    }
}

void GltfScene::add_generator(size_t g) {
    const RecordedGenerator& generator = recording_.generators()[g];
    tinygltf::Node group;
    group.name = generator.name;
    group.extras = Json(Json::Object{{"generator", Json(generator.name)}});
    const int group_index = static_cast<int>(model_.nodes.size());
    model_.nodes.push_back(group);
    root_.nodes.push_back(group_index);
    for (size_t a = 0; a < generator.agent_shapes.size(); ++a)
        add_agent(g, a, group_index);
}

// Where the agent is absent, it keeps the nearest place it has: the last one before, or the
// first one after for frames before it appears.
AgentTrack GltfScene::agent_track(size_t g, size_t a) const {
    const size_t frames = recording_.frames().size();
    AgentTrack track;
    std::vector<AgentPose>& poses = track.poses;
    poses.resize(frames);
    track.first_present = frames;
    for (size_t f = 0; f < frames; ++f) {
        poses[f] = recording_.pose(f, g, a);
        if (!poses[f].present())
            track.ever_absent = true;
        else if (track.first_present == frames)
            track.first_present = f;
    }
    for (size_t f = 0; f < frames; ++f) {
        if (poses[f].present()) continue;
        poses[f] = f > track.first_present ? poses[f - 1] : poses[track.first_present];
    }
    return track;
}

void GltfScene::add_agent(size_t g, size_t a, int group_index) {
    const RecordedGenerator& generator = recording_.generators()[g];
    const size_t frames = recording_.frames().size();
    tinygltf::Node node;
    node.name = generator.name + "_" + std::to_string(a);
    node.mesh = generator.agent_shapes[a];
    node.extras = Json(
        Json::Object{{"agent", Json(static_cast<int>(a))}, {"generator", Json(generator.name)}});
    const AgentTrack track = agent_track(g, a);
    const std::vector<AgentPose>& poses = track.poses;
    const AgentPose& shown = poses[track.first_present];
    ExportTransform start;
    start.translation = {shown.translation[0], shown.translation[1], shown.translation[2]};
    start.rotation = {shown.rotation[0], shown.rotation[1], shown.rotation[2], shown.rotation[3]};
    start.scale = generator.agent_scales[a];
    set_transform(node, start);
    const int index = static_cast<int>(model_.nodes.size());
    model_.nodes.push_back(node);
    model_.nodes[group_index].children.push_back(index);

    channels_.push_back({index, "translation", keys_.translations.size(), false});
    channels_.push_back({index, "rotation", keys_.rotations.size(), false});
    const size_t first_rotation = keys_.rotations.size();
    for (size_t f = 0; f < frames; ++f) {
        keys_.translations.insert(keys_.translations.end(), poses[f].translation,
                                  poses[f].translation + 3);
        push_rotation(keys_.rotations, first_rotation, poses[f].rotation);
    }
    if (!track.ever_absent) return;
    channels_.push_back({index, "scale", keys_.scales.size(), true});
    const VtVector s = generator.agent_scales[a];
    for (size_t f = 0; f < frames; ++f)
        push(keys_.scales, recording_.pose(f, g, a).present() ? s : VtVector{0, 0, 0});
}

void GltfScene::add_piece(const RecordedPiece& piece) {
    tinygltf::Node node;
    node.name = piece.name;
    node.mesh = piece.shape;
    Json::Object extras{{"kind", Json(std::string(piece_kind_name(piece.kind)))},
                        {"object", Json(piece.name)}};
    if (piece.shape >= 0 && recording_.shapes()[piece.shape].shape.has_line())
        extras["curve"] = curve_extras(export_shape(recording_.shapes()[piece.shape].shape));
    node.extras = Json(std::move(extras));
    if (!piece.matrices.empty()) set_transform(node, export_transform(piece.matrices.front()));
    const int index = static_cast<int>(model_.nodes.size());
    model_.nodes.push_back(node);
    root_.nodes.push_back(index);
    if (!piece.moves()) return;
    channels_.push_back({index, "translation", keys_.translations.size(), false});
    channels_.push_back({index, "rotation", keys_.rotations.size(), false});
    channels_.push_back({index, "scale", keys_.scales.size(), false});
    const size_t first_rotation = keys_.rotations.size();
    for (const VtMatrix& m : piece.matrices) {
        const ExportTransform t = export_transform(m);
        push(keys_.translations, t.translation);
        const float q[4] = {static_cast<float>(t.rotation[0]), static_cast<float>(t.rotation[1]),
                            static_cast<float>(t.rotation[2]), static_cast<float>(t.rotation[3])};
        push_rotation(keys_.rotations, first_rotation, q);
        push(keys_.scales, t.scale);
    }
}

// One animation, "run", over every channel, with a key at every recorded frame.
void GltfScene::add_animation() {
    const size_t frames = recording_.frames().size();
    if (channels_.empty() || frames == 0) return;
    std::vector<float> times(frames);
    for (size_t f = 0; f < frames; ++f)
        times[f] = static_cast<float>(
            static_cast<double>(recording_.frames()[f] - recording_.frames().front()) /
            recording_.fps());
    const int time_view = builder_.view(times.data(), times.size() * sizeof(float), 0);
    const int time = builder_.accessor(time_view, 0, kFloat, TINYGLTF_TYPE_SCALAR, frames,
                                       {times.front()}, {times.back()});
    const auto output_view = [&](const std::vector<float>& values) {
        return values.empty() ? -1 : builder_.view(values.data(), values.size() * sizeof(float), 0);
    };
    const int translation_view = output_view(keys_.translations);
    const int rotation_view = output_view(keys_.rotations);
    const int scale_view = output_view(keys_.scales);
    tinygltf::Animation animation;
    animation.name = "run";
    for (const Channel& c : channels_) {
        const bool rotation = std::strcmp(c.path, "rotation") == 0;
        const bool translation = std::strcmp(c.path, "translation") == 0;
        const int view = rotation ? rotation_view : translation ? translation_view : scale_view;
        tinygltf::AnimationSampler sampler;
        sampler.input = time;
        sampler.output =
            builder_.accessor(view, c.offset * sizeof(float), kFloat,
                              rotation ? TINYGLTF_TYPE_VEC4 : TINYGLTF_TYPE_VEC3, frames);
        sampler.interpolation = c.step ? "STEP" : "LINEAR";
        animation.samplers.push_back(sampler);
        tinygltf::AnimationChannel channel;
        channel.sampler = static_cast<int>(animation.samplers.size() - 1);
        channel.target_node = c.node;
        channel.target_path = c.path;
        animation.channels.push_back(channel);
    }
    model_.animations.push_back(std::move(animation));
}

tinygltf::Model& GltfScene::model() {
    if (model_.scenes.empty()) {
        model_.scenes.push_back(root_);
        model_.defaultScene = 0;
    }
    if (!model_.buffers.empty() && model_.buffers[0].data.empty()) model_.buffers.clear();
    return model_;
}

} // namespace

Status write_scene_glb(const RunRecording& recording, const std::string& scene,
                       const std::string& path) {
    GltfScene gltf(recording, scene);
    gltf.add_meshes();
    for (size_t g = 0; g < recording.generators().size(); ++g)
        gltf.add_generator(g);
    for (const RecordedPiece& piece : recording.pieces())
        gltf.add_piece(piece);
    gltf.add_animation();
    tinygltf::Model& model = gltf.model();

    std::ofstream out(path, std::ios::binary);
    if (!out) return failure(path + ": cannot create the file: " + std::strerror(errno));
    tinygltf::TinyGLTF writer;
    const bool written = writer.WriteGltfSceneToStream(&model, out, false, true);
    out.close();
    if (!written || !out) return failure(path + ": could not write the file (is the disk full?)");
    return {};
}

} // namespace vantri
