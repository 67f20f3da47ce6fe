#include "scenefile/SceneGeometry.h"

#include "host/geometry/Primitives.h"
#include "host/geometry/SplinePath.h"
#include "host/plugin/ObjectTypes.h"
#include "scenefile/JsonValues.h"

#include <algorithm>
#include <memory>

namespace vantri {

namespace {

/// A sphere's quads around when the file gives no "segments".
constexpr int32_t kDefaultSphereSegments = 24;

struct Reader {
    const SceneObjectEntry& entry;
    const char* what; // "a spline", ...

    std::string path(const char* key) const { return json_path(entry.path, key); }
    bool has(const char* key) const { return entry.geometry.contains(key); }
    const Json& at(const char* key) const { return entry.geometry[key]; }

    // Refuses every geometry key that the type does not have.
    Status only(std::initializer_list<const char*> keys) const {
        for (auto it = entry.geometry.begin(); it != entry.geometry.end(); ++it) {
            bool known = false;
            std::string list;
            for (const char* key : keys) {
                known = known || it.key() == key;
                list += std::string(list.empty() ? "" : ", ") + "\"" + key + "\"";
            }
            if (!known)
                return scene_error(path(it.key().c_str()),
                                   std::string(what) + " has no \"" + it.key() + "\"" +
                                       (list.empty() ? "" : " (its keys: " + list + ")"));
        }
        return {};
    }

    // The number at `key` into `value`, which keeps its preset when there is none.
    Status real(const char* key, double minimum, double& value) const {
        if (!has(key)) return {};
        if (!json_to_real(at(key), value))
            return scene_error(path(key), std::string(what) + "'s \"" + key +
                                              "\" must be a number, not " + json_kind(at(key)));
        if (value < minimum)
            return scene_error(path(key), std::string(what) + "'s \"" + key +
                                              "\" cannot be below " +
                                              json_number_text(Json(minimum)));
        return {};
    }

    Result<std::vector<VtVector>> points(const Json& list, const std::string& where) const {
        if (!list.is_array())
            return scene_error(where, "points must be a list of [x, y, z], not " + json_kind(list));
        std::vector<VtVector> result;
        for (size_t i = 0; i < list.size(); ++i) {
            VtVector p{};
            if (!json_to_vector(list[i], p))
                return scene_error(json_path(where, i),
                                   "a point must be a list of three numbers [x, y, z], not " +
                                       json_kind(list[i]));
            result.push_back(p);
        }
        return result;
    }

    // A spline segment's points, at least two.
    Result<std::vector<VtVector>> segment(const Json& list, const std::string& where) const {
        Result<std::vector<VtVector>> read = points(list, where);
        if (read && read->size() < 2)
            return scene_error(where, "a spline segment needs at least two points, not " +
                                          std::to_string(read->size()));
        return read;
    }
};

Status read_spline_shape(const Reader& r, bool& closed, SplineInterpolation& interpolation) {
    closed = r.has("closed") && r.at("closed").is_boolean() && r.at("closed").get<bool>();
    if (r.has("closed") && !r.at("closed").is_boolean())
        return scene_error(r.path("closed"), "a spline's \"closed\" must be true or false, not " +
                                                 json_kind(r.at("closed")));
    interpolation = SplineInterpolation::Cubic;
    if (r.has("interpolation")) {
        const Json& kind = r.at("interpolation");
        if (kind == "linear") {
            interpolation = SplineInterpolation::Linear;
        } else if (kind != "cubic") {
            return scene_error(r.path("interpolation"),
                               "a spline's \"interpolation\" must be \"linear\" or \"cubic\", "
                               "not " +
                                   json_kind(kind));
        }
    }
    if (r.has("points") == r.has("segments"))
        return scene_error(r.has("points") ? r.path("segments") : r.entry.path,
                           "a spline needs either \"points\" (one segment) or \"segments\" (a "
                           "list of point lists), not both or neither");
    return {};
}

Status build_spline(SceneObject& object, const Reader& r) {
    if (Status known = r.only({"points", "segments", "closed", "interpolation"}); !known)
        return known;
    bool closed = false;
    SplineInterpolation interpolation = SplineInterpolation::Cubic;
    if (Status shape = read_spline_shape(r, closed, interpolation); !shape) return shape;
    if (r.has("points")) {
        Result<std::vector<VtVector>> points = r.segment(r.at("points"), r.path("points"));
        if (!points) return points.error();
        object.set_spline(
            std::make_shared<SplinePath>(std::move(points).value(), closed, interpolation));
        return {};
    }
    const Json& list = r.at("segments");
    if (!list.is_array() || list.empty())
        return scene_error(r.path("segments"),
                           "a spline's \"segments\" must be a non-empty list of point lists, not " +
                               json_kind(list));
    std::vector<std::vector<VtVector>> segments;
    for (size_t i = 0; i < list.size(); ++i) {
        Result<std::vector<VtVector>> points = r.segment(list[i], json_path(r.path("segments"), i));
        if (!points) return points.error();
        segments.push_back(std::move(points).value());
    }
    object.set_spline(std::make_shared<SplinePath>(segments, closed, interpolation));
    return {};
}

Status read_plane_heights(const Reader& r, PlaneSettings& plane) {
    const Json& rows = r.at("heights");
    const std::string where = r.path("heights");
    if (!rows.is_array())
        return scene_error(where,
                           "a plane's \"heights\" must be a list of rows, not " + json_kind(rows));
    std::vector<double> heights;
    for (size_t i = 0; i < rows.size(); ++i) {
        const std::string row_path = json_path(where, i);
        if (!rows[i].is_array())
            return scene_error(row_path, "a row of heights must be a list of numbers, not " +
                                             json_kind(rows[i]));
        if (rows[i].size() != static_cast<size_t>(plane.segments_x) + 1)
            return scene_error(row_path, "a row of heights needs " +
                                             std::to_string(plane.segments_x + 1) +
                                             " numbers (segments along x + 1), not " +
                                             std::to_string(rows[i].size()));
        for (size_t j = 0; j < rows[i].size(); ++j) {
            double y = 0.0;
            if (!json_to_real(rows[i][j], y))
                return scene_error(json_path(row_path, j),
                                   "a height must be a number, not " + json_kind(rows[i][j]));
            heights.push_back(y);
        }
    }
    if (rows.size() != static_cast<size_t>(plane.segments_z) + 1)
        return scene_error(where,
                           "a plane's \"heights\" needs " + std::to_string(plane.segments_z + 1) +
                               " rows (segments along z + 1), not " + std::to_string(rows.size()));
    plane.heights = std::move(heights);
    return {};
}

Status build_plane(SceneObject& object, const Reader& r) {
    if (Status known = r.only({"width", "depth", "segments", "heights"}); !known) return known;
    PlaneSettings plane;
    if (Status width = r.real("width", 0.0, plane.width); !width) return width;
    if (Status depth = r.real("depth", 0.0, plane.depth); !depth) return depth;
    if (r.has("segments")) {
        const Json& segments = r.at("segments");
        if (!segments.is_array() || segments.size() != 2 ||
            !json_to_int32(segments[0], plane.segments_x) ||
            !json_to_int32(segments[1], plane.segments_z))
            return scene_error(r.path("segments"),
                               "a plane's \"segments\" must be two whole numbers [along x, along "
                               "z], not " +
                                   json_kind(segments));
    }
    if (r.has("heights")) {
        if (Status heights = read_plane_heights(r, plane); !heights) return heights;
    }
    const std::string why = check_plane(plane);
    if (!why.empty())
        return scene_error(r.has("segments") ? r.path("segments") : r.entry.path, why);
    object.set_mesh(std::make_shared<Mesh>(make_plane(plane)));
    return {};
}

Status build_sphere(SceneObject& object, const Reader& r) {
    if (Status known = r.only({"radius", "segments"}); !known) return known;
    double radius = 100.0;
    if (Status read = r.real("radius", 0.0, radius); !read) return read;
    int32_t segments = kDefaultSphereSegments;
    if (r.has("segments") &&
        (!json_to_int32(r.at("segments"), segments) || segments < 3 || segments > 4096))
        return scene_error(r.path("segments"),
                           "a sphere's \"segments\" must be a whole number from 3 to 4096, not " +
                               json_kind(r.at("segments")));
    object.set_mesh(std::make_shared<Mesh>(make_sphere(radius, segments)));
    return {};
}

Status build_polygon(SceneObject& object, const Reader& r) {
    if (Status known = r.only({"points", "faces"}); !known) return known;
    if (!r.has("points") || !r.has("faces"))
        return scene_error(r.entry.path, "a polygon object needs \"points\" and \"faces\"");
    Result<std::vector<VtVector>> points = r.points(r.at("points"), r.path("points"));
    if (!points) return points.error();
    const Json& list = r.at("faces");
    if (!list.is_array())
        return scene_error(r.path("faces"),
                           "\"faces\" must be a list of faces (3 or 4 point indices), not " +
                               json_kind(list));
    std::vector<MeshFace> faces;
    for (size_t i = 0; i < list.size(); ++i) {
        const std::string where = json_path(r.path("faces"), i);
        const Json& face = list[i];
        int32_t index[4] = {0, 0, 0, 0};
        bool ok = face.is_array() && (face.size() == 3 || face.size() == 4);
        for (size_t k = 0; ok && k < face.size(); ++k)
            ok = json_to_int32(face[k], index[k]);
        if (!ok)
            return scene_error(where, "a face must be a list of 3 or 4 point indices, not " +
                                          json_kind(face));
        faces.push_back(
            MeshFace{index[0], index[1], index[2], face.size() == 3 ? index[2] : index[3]});
    }
    const std::string why = Mesh::check(*points, faces);
    if (!why.empty()) return scene_error(r.path("faces"), why);
    object.set_mesh(std::make_shared<Mesh>(std::move(points).value(), std::move(faces)));
    return {};
}

void count_meshes(const std::vector<SceneObjectEntry>& entries, std::vector<MeshCount>& counts) {
    for (const SceneObjectEntry& entry : entries) {
        const Reader r{entry, ""};
        if (entry.type == "sphere") {
            int32_t around = kDefaultSphereSegments;
            if (r.has("segments") && !json_to_int32(r.at("segments"), around))
                around = kDefaultSphereSegments;
            around = std::clamp(around, 3, 4096);
            const uint64_t rings = static_cast<uint64_t>(std::max(around / 2, 2));
            counts.push_back({&entry, (rings - 1) * static_cast<uint64_t>(around) + 2,
                              rings * static_cast<uint64_t>(around)});
        } else if (entry.type == "plane") {
            int32_t x = 1, z = 1;
            if (r.has("segments")) {
                const Json& segments = r.at("segments");
                if (!segments.is_array() || segments.size() != 2 ||
                    !json_to_int32(segments[0], x) || !json_to_int32(segments[1], z))
                    x = z = 1;
            }
            x = std::clamp(x, 1, 4096);
            z = std::clamp(z, 1, 4096);
            counts.push_back({&entry, static_cast<uint64_t>(x + 1) * static_cast<uint64_t>(z + 1),
                              static_cast<uint64_t>(x) * static_cast<uint64_t>(z)});
        }
        count_meshes(entry.children, counts);
    }
}

} // namespace

std::vector<MeshCount> mesh_counts(const SceneFile& scene) {
    std::vector<MeshCount> counts;
    count_meshes(scene.objects, counts);
    return counts;
}

Status build_geometry(SceneObject& object, const SceneObjectEntry& entry) {
    switch (object.type()) {
    case kSplineType:
        return build_spline(object, Reader{entry, "a spline"});
    case kPlaneType:
        return build_plane(object, Reader{entry, "a plane"});
    case kSphereType:
        return build_sphere(object, Reader{entry, "a sphere"});
    case kPolygonType:
        return build_polygon(object, Reader{entry, "a polygon object"});
    default: {
        const std::string what = "a " + entry.type;
        return Reader{entry, what.c_str()}.only({});
    }
    }
}

} // namespace vantri
