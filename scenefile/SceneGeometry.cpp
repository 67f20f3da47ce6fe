#include "scenefile/SceneGeometry.h"

#include "host/geometry/Primitives.h"
#include "host/geometry/SplinePath.h"
#include "host/plugin/ObjectTypes.h"
#include "scenefile/JsonValues.h"

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
    void only(std::initializer_list<const char*> keys) const {
        for (auto it = entry.geometry.begin(); it != entry.geometry.end(); ++it) {
            bool known = false;
            std::string list;
            for (const char* key : keys) {
                known = known || it.key() == key;
                list += std::string(list.empty() ? "" : ", ") + "\"" + key + "\"";
            }
            if (!known)
                throw SceneError(path(it.key().c_str()),
                                 std::string(what) + " has no \"" + it.key() + "\"" +
                                     (list.empty() ? "" : " (its keys: " + list + ")"));
        }
    }

    double real(const char* key, double preset, double minimum) const {
        if (!has(key)) return preset;
        double value = 0.0;
        if (!json_to_real(at(key), value))
            throw SceneError(path(key), std::string(what) + "'s \"" + key +
                                            "\" must be a number, not " + json_kind(at(key)));
        if (value < minimum)
            throw SceneError(path(key), std::string(what) + "'s \"" + key + "\" cannot be below " +
                                            json_number_text(Json(minimum)));
        return value;
    }

    std::vector<VtVector> points(const Json& list, const std::string& where) const {
        if (!list.is_array())
            throw SceneError(where, "points must be a list of [x, y, z], not " + json_kind(list));
        std::vector<VtVector> result;
        for (size_t i = 0; i < list.size(); ++i) {
            VtVector p{};
            if (!json_to_vector(list[i], p))
                throw SceneError(json_path(where, i),
                                 "a point must be a list of three numbers [x, y, z], not " +
                                     json_kind(list[i]));
            result.push_back(p);
        }
        return result;
    }
};

void build_spline(SceneObject& object, const Reader& r) {
    r.only({"points", "segments", "closed", "interpolation"});
    const bool closed =
        r.has("closed") && r.at("closed").is_boolean() && r.at("closed").get<bool>();
    if (r.has("closed") && !r.at("closed").is_boolean())
        throw SceneError(r.path("closed"), "a spline's \"closed\" must be true or false, not " +
                                               json_kind(r.at("closed")));
    SplineInterpolation interpolation = SplineInterpolation::Cubic;
    if (r.has("interpolation")) {
        const Json& kind = r.at("interpolation");
        if (kind == "linear") {
            interpolation = SplineInterpolation::Linear;
        } else if (kind != "cubic") {
            throw SceneError(r.path("interpolation"),
                             "a spline's \"interpolation\" must be \"linear\" or \"cubic\", not " +
                                 json_kind(kind));
        }
    }
    if (r.has("points") == r.has("segments"))
        throw SceneError(r.has("points") ? r.path("segments") : r.entry.path,
                         "a spline needs either \"points\" (one segment) or \"segments\" (a "
                         "list of point lists), not both or neither");
    const auto check_count = [](const std::vector<VtVector>& points, const std::string& where) {
        if (points.size() < 2)
            throw SceneError(where, "a spline segment needs at least two points, not " +
                                        std::to_string(points.size()));
    };
    if (r.has("points")) {
        auto points = r.points(r.at("points"), r.path("points"));
        check_count(points, r.path("points"));
        object.set_spline(std::make_shared<SplinePath>(std::move(points), closed, interpolation));
        return;
    }
    const Json& list = r.at("segments");
    if (!list.is_array() || list.empty())
        throw SceneError(r.path("segments"),
                         "a spline's \"segments\" must be a non-empty list of point lists, not " +
                             json_kind(list));
    std::vector<std::vector<VtVector>> segments;
    for (size_t i = 0; i < list.size(); ++i) {
        const std::string where = json_path(r.path("segments"), i);
        segments.push_back(r.points(list[i], where));
        check_count(segments.back(), where);
    }
    object.set_spline(std::make_shared<SplinePath>(segments, closed, interpolation));
}

void build_plane(SceneObject& object, const Reader& r) {
    r.only({"width", "depth", "segments", "heights"});
    PlaneSettings plane;
    plane.width = r.real("width", plane.width, 0.0);
    plane.depth = r.real("depth", plane.depth, 0.0);
    if (r.has("segments")) {
        const Json& segments = r.at("segments");
        if (!segments.is_array() || segments.size() != 2 ||
            !json_to_int32(segments[0], plane.segments_x) ||
            !json_to_int32(segments[1], plane.segments_z))
            throw SceneError(r.path("segments"),
                             "a plane's \"segments\" must be two whole numbers [along x, along z], "
                             "not " +
                                 json_kind(segments));
    }
    if (r.has("heights")) {
        const Json& rows = r.at("heights");
        const std::string where = r.path("heights");
        if (!rows.is_array())
            throw SceneError(where, "a plane's \"heights\" must be a list of rows, not " +
                                        json_kind(rows));
        std::vector<double> heights;
        for (size_t i = 0; i < rows.size(); ++i) {
            const std::string row_path = json_path(where, i);
            if (!rows[i].is_array())
                throw SceneError(row_path, "a row of heights must be a list of numbers, not " +
                                               json_kind(rows[i]));
            if (rows[i].size() != static_cast<size_t>(plane.segments_x) + 1)
                throw SceneError(row_path, "a row of heights needs " +
                                               std::to_string(plane.segments_x + 1) +
                                               " numbers (segments along x + 1), not " +
                                               std::to_string(rows[i].size()));
            for (size_t j = 0; j < rows[i].size(); ++j) {
                double y = 0.0;
                if (!json_to_real(rows[i][j], y))
                    throw SceneError(json_path(row_path, j),
                                     "a height must be a number, not " + json_kind(rows[i][j]));
                heights.push_back(y);
            }
        }
        if (rows.size() != static_cast<size_t>(plane.segments_z) + 1)
            throw SceneError(
                where, "a plane's \"heights\" needs " + std::to_string(plane.segments_z + 1) +
                           " rows (segments along z + 1), not " + std::to_string(rows.size()));
        plane.heights = std::move(heights);
    }
    const std::string why = check_plane(plane);
    if (!why.empty()) throw SceneError(r.has("segments") ? r.path("segments") : r.entry.path, why);
    object.set_mesh(std::make_shared<Mesh>(make_plane(plane)));
}

void build_sphere(SceneObject& object, const Reader& r) {
    r.only({"radius", "segments"});
    const double radius = r.real("radius", 100.0, 0.0);
    int32_t segments = kDefaultSphereSegments;
    if (r.has("segments") &&
        (!json_to_int32(r.at("segments"), segments) || segments < 3 || segments > 4096))
        throw SceneError(r.path("segments"),
                         "a sphere's \"segments\" must be a whole number from 3 to 4096, not " +
                             json_kind(r.at("segments")));
    object.set_mesh(std::make_shared<Mesh>(make_sphere(radius, segments)));
}

void build_polygon(SceneObject& object, const Reader& r) {
    r.only({"points", "faces"});
    if (!r.has("points") || !r.has("faces"))
        throw SceneError(r.entry.path, "a polygon object needs \"points\" and \"faces\"");
    std::vector<VtVector> points = r.points(r.at("points"), r.path("points"));
    const Json& list = r.at("faces");
    if (!list.is_array())
        throw SceneError(r.path("faces"),
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
            throw SceneError(where, "a face must be a list of 3 or 4 point indices, not " +
                                        json_kind(face));
        faces.push_back(
            MeshFace{index[0], index[1], index[2], face.size() == 3 ? index[2] : index[3]});
    }
    const std::string why = Mesh::check(points, faces);
    if (!why.empty()) throw SceneError(r.path("faces"), why);
    object.set_mesh(std::make_shared<Mesh>(std::move(points), std::move(faces)));
}

} // namespace

void build_geometry(SceneObject& object, const SceneObjectEntry& entry) {
    switch (object.type()) {
    case kSplineType:
        build_spline(object, Reader{entry, "a spline"});
        return;
    case kPlaneType:
        build_plane(object, Reader{entry, "a plane"});
        return;
    case kSphereType:
        build_sphere(object, Reader{entry, "a sphere"});
        return;
    case kPolygonType:
        build_polygon(object, Reader{entry, "a polygon object"});
        return;
    default:
        Reader{entry, ("a " + entry.type).c_str()}.only({});
    }
}

} // namespace vantri
