#include "results/GltfMeshes.h"

#include "results/CurveTube.h"
#include "results/Palette.h"
#include "host/scene/Transform.h"

#include <cmath>
#include <limits>

namespace vantri {

namespace {

using Json = nlohmann::json;

constexpr int kFloat = 5126;
constexpr int kUnsignedShort = 5123;
constexpr int kUnsignedInt = 5125;
constexpr int kArrayBuffer = 34962;
constexpr int kElementArrayBuffer = 34963;
constexpr int kTriangles = 4;

void push(std::vector<float>& out, const VtVector& v) {
    out.push_back(static_cast<float>(v.x));
    out.push_back(static_cast<float>(v.y));
    out.push_back(static_cast<float>(v.z));
}

int add_material(GltfDocument& document, const std::string& name, const Colour& colour) {
    Json pbr{
        {"baseColorFactor",
         {linear_channel(colour.r), linear_channel(colour.g), linear_channel(colour.b), colour.a}},
        {"metallicFactor", 0.0},
        {"roughnessFactor", 0.8}};
    Json material{{"name", name}, {"pbrMetallicRoughness", std::move(pbr)}};
    if (colour.a < 1.0) {
        material["alphaMode"] = "BLEND";
        material["doubleSided"] = true;
    }
    return document.materials.add_value(material);
}

// Materials: one per generator, one per kind of piece that occurs. Returns each shape's.
std::vector<int> add_materials(const RunRecording& recording, GltfDocument& document) {
    std::vector<int> shape_material(recording.shapes().size(), -1);
    for (size_t g = 0; g < recording.generators().size(); ++g) {
        const RecordedGenerator& generator = recording.generators()[g];
        int material = -1;
        for (int32_t shape : generator.agent_shapes) {
            if (shape < 0 || shape_material[shape] >= 0) continue;
            if (material < 0) material = add_material(document, generator.name, crowd_colour(g));
            shape_material[shape] = material;
        }
    }
    int kind_materials[5] = {-1, -1, -1, -1, -1};
    for (const RecordedPiece& piece : recording.pieces()) {
        if (piece.shape < 0) continue; // a marker: a node without a mesh
        int& material = kind_materials[static_cast<int>(piece.kind)];
        if (material < 0)
            material =
                add_material(document, piece_kind_name(piece.kind), piece_colour(piece.kind));
        shape_material[piece.shape] = material;
    }
    return shape_material;
}

/// A VEC3 float accessor over `xyz`, with the bounds that glTF asks of positions.
int add_points(GltfDocument& document, GlbBinary& binary, const std::vector<float>& xyz) {
    float min[3] = {std::numeric_limits<float>::infinity(), std::numeric_limits<float>::infinity(),
                    std::numeric_limits<float>::infinity()};
    float max[3] = {-min[0], -min[1], -min[2]};
    for (size_t i = 0; i < xyz.size(); ++i) {
        min[i % 3] = std::fmin(min[i % 3], xyz[i]);
        max[i % 3] = std::fmax(max[i % 3], xyz[i]);
    }
    const size_t bytes = xyz.size() * sizeof(float);
    const int view = document.add_view(binary.add(xyz.data(), bytes), bytes, kArrayBuffer);
    const std::string bounds = ",\"min\":[" + json_float(min[0]) + "," + json_float(min[1]) + "," +
                               json_float(min[2]) + "],\"max\":[" + json_float(max[0]) + "," +
                               json_float(max[1]) + "," + json_float(max[2]) + "]";
    return document.add_accessor(view, 0, kFloat, "VEC3", xyz.size() / 3, bounds);
}

// A shape's triangles. A shape without normals is unwelded into three vertices per
// triangle with the face's normal (flat shading).
Json triangles_primitive(GltfDocument& document, GlbBinary& binary, const ExportedShape& shape,
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
    Json primitive{{"mode", kTriangles}};
    if (material >= 0) primitive["material"] = material;
    Json attributes;
    attributes["POSITION"] = add_points(document, binary, positions);
    const size_t normal_bytes = normals.size() * sizeof(float);
    const int normal_view =
        document.add_view(binary.add(normals.data(), normal_bytes), normal_bytes, kArrayBuffer);
    attributes["NORMAL"] =
        document.add_accessor(normal_view, 0, kFloat, "VEC3", normals.size() / 3);
    primitive["attributes"] = std::move(attributes);
    int view = -1, component = kUnsignedInt;
    if (positions.size() / 3 <= 65535) {
        const std::vector<uint16_t> small(indices.begin(), indices.end());
        const size_t bytes = small.size() * sizeof(uint16_t);
        view = document.add_view(binary.add(small.data(), bytes), bytes, kElementArrayBuffer);
        component = kUnsignedShort;
    } else {
        const size_t bytes = indices.size() * sizeof(uint32_t);
        view = document.add_view(binary.add(indices.data(), bytes), bytes, kElementArrayBuffer);
    }
    primitive["indices"] = document.add_accessor(view, 0, component, "SCALAR", indices.size());
    return primitive;
}

} // namespace

void add_gltf_meshes(const RunRecording& recording, GltfDocument& document, GlbBinary& binary) {
    const std::vector<int> shape_material = add_materials(recording, document);
    const std::vector<RecordedShape>& shapes = recording.shapes();
    for (size_t s = 0; s < shapes.size(); ++s) {
        Json primitives = Json::array();
        if (shapes[s].shape.has_mesh())
            primitives.push_back(triangles_primitive(
                document, binary, export_shape(shapes[s].shape), shape_material[s]));
        const double radius = tube_radius(shapes[s].shape);
        for (const ObjectLine& line : shapes[s].shape.lines) {
            const ObjectShape tube = tube_shape(line, radius);
            if (tube.has_mesh())
                primitives.push_back(
                    triangles_primitive(document, binary, export_shape(tube), shape_material[s]));
        }
        document.meshes.add_value(
            Json{{"name", shapes[s].name}, {"primitives", std::move(primitives)}});
    }
}

Json curve_extras(const ExportedShape& shape) {
    Json curves = Json::array();
    for (const ExportedShape::Line& line : shape.lines) {
        Json points = Json::array();
        for (float v : line.points)
            points.push_back(static_cast<double>(v));
        curves.push_back(Json{{"points", std::move(points)}, {"closed", line.closed}});
    }
    return curves;
}

} // namespace vantri
