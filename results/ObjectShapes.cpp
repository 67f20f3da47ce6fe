#include "results/ObjectShapes.h"

#include "abi/AngleConstants.h"

#include "host/geometry/Mesh.h"
#include "host/geometry/SplinePath.h"
#include "host/plugin/ObjectTypes.h"
#include "results/ExportSpace.h"
#include "host/scene/Transform.h"

#include <cmath>

namespace vantri {

namespace {

/// Points sampled along each span of a smooth curve.
constexpr int kSamplesPerSpan = 12;

// A sphere's polygons with smooth normals: each vertex's direction from the centre.
bool smooth_sphere(const SceneObject& sphere, ObjectShape& shape) {
    shape = geometry_shape(sphere);
    const VtVector centre = sphere.bounds_centre();
    for (const VtVector& v : shape.vertices) {
        const VtVector d = v - centre;
        const double l = length(d);
        shape.normals.push_back(l > 0 ? d * (1.0 / l) : VtVector{0, 1, 0});
    }
    return !shape.empty();
}

} // namespace

bool ObjectShape::has_line() const {
    for (const ObjectLine& line : lines) {
        if (line.points.size() >= 2) return true;
    }
    return false;
}

const ShapeMakers& ShapeMakers::host() {
    static const ShapeMakers makers = [] {
        ShapeMakers m;
        m.add(kSphereType, smooth_sphere);
        return m;
    }();
    return makers;
}

bool ShapeMakers::shape_of(const SceneObject& object, ObjectShape& shape) const {
    const auto it = makers_.find(object.type());
    if (it == makers_.end())
        shape = geometry_shape(object);
    else if (!it->second(object, shape))
        shape = ObjectShape{};
    if (shape.empty()) {
        shape = ObjectShape{};
        return false;
    }
    return true;
}

ObjectShape geometry_shape(const SceneObject& object) {
    ObjectShape shape;
    if (const auto& mesh = object.mesh()) {
        shape.vertices = mesh->points();
        const auto index = [](int32_t i) { return static_cast<uint32_t>(i); };
        for (const MeshFace& f : mesh->faces()) {
            shape.triangles.insert(shape.triangles.end(), {index(f.a), index(f.b), index(f.c)});
            if (!f.is_triangle())
                shape.triangles.insert(shape.triangles.end(), {index(f.a), index(f.c), index(f.d)});
        }
    }
    if (const auto& spline = object.spline()) {
        // Straight spans show their points; smooth ones are sampled along each span.
        for (int32_t segment = 0; segment < spline->evaluable_segments(); ++segment) {
            ObjectLine line;
            line.closed = spline->closed();
            const int32_t spans = spline->span_count(segment);
            const int samples =
                spline->interpolation() == SplineInterpolation::Linear ? 1 : kSamplesPerSpan;
            for (int32_t span = 0; span < spans; ++span) {
                for (int k = 0; k < samples; ++k) {
                    VtVector p;
                    spline->span_point(segment, span, static_cast<double>(k) / samples, &p,
                                       nullptr);
                    line.points.push_back(p);
                }
            }
            // An open curve ends at its last point; a closed one returns to its first.
            VtVector end;
            if (!line.closed && spans > 0 && spline->point(segment, 1.0, end))
                line.points.push_back(end);
            if (line.points.size() >= 2) shape.lines.push_back(std::move(line));
        }
    }
    return shape;
}

ExportedShape export_shape(const ObjectShape& shape) {
    ExportedShape out;
    const auto push = [](std::vector<float>& list, const VtVector& v) {
        list.push_back(static_cast<float>(v.x));
        list.push_back(static_cast<float>(v.y));
        list.push_back(static_cast<float>(v.z));
    };
    for (const VtVector& v : shape.vertices)
        push(out.positions, export_point(v));
    if (shape.normals.size() == shape.vertices.size()) {
        for (const VtVector& n : shape.normals)
            push(out.normals, export_direction(n));
    }
    for (size_t t = 0; t + 2 < shape.triangles.size(); t += 3)
        out.indices.insert(out.indices.end(),
                           {shape.triangles[t], shape.triangles[t + 2], shape.triangles[t + 1]});
    for (const ObjectLine& line : shape.lines) {
        ExportedShape::Line exported;
        for (const VtVector& p : line.points)
            push(exported.points, export_point(p));
        exported.closed = line.closed;
        out.lines.push_back(std::move(exported));
    }
    return out;
}

ObjectShape box_shape(const VtVector& h) {
    ObjectShape shape;
    if (!(h.x > 0 && h.y > 0 && h.z > 0)) return shape;
    // Each face: its outward normal n and two axes u, v with u x v = n, so that the corners
    // -u-v, +u-v, +u+v, -u+v run counter-clockwise seen from outside.
    struct Face {
        VtVector n, u, v;
    };
    const Face faces[] = {
        {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}, {{-1, 0, 0}, {0, 0, 1}, {0, 1, 0}},
        {{0, 1, 0}, {0, 0, 1}, {1, 0, 0}}, {{0, -1, 0}, {1, 0, 0}, {0, 0, 1}},
        {{0, 0, 1}, {1, 0, 0}, {0, 1, 0}}, {{0, 0, -1}, {0, 1, 0}, {1, 0, 0}},
    };
    const auto scaled = [&](const VtVector& v) {
        return VtVector{v.x * h.x, v.y * h.y, v.z * h.z};
    };
    for (const Face& face : faces) {
        const auto base = static_cast<uint32_t>(shape.vertices.size());
        const double corners[4][2] = {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}};
        for (const auto& c : corners) {
            shape.vertices.push_back(scaled(face.n + face.u * c[0] + face.v * c[1]));
            shape.normals.push_back(face.n);
        }
        for (uint32_t i : {0u, 1u, 2u, 0u, 2u, 3u})
            shape.triangles.push_back(base + i);
    }
    return shape;
}

ObjectShape sphere_shape(double radius, int segments, int rings) {
    ObjectShape shape;
    if (!(radius > 0) || segments < 3 || rings < 2) return shape;
    // Rings of vertices from the north pole (+Y) to the south pole; each ring repeats its
    // first vertex at its end so that the quads need no wrap-around.
    for (int r = 0; r <= rings; ++r) {
        const double polar = angle::kPi * r / rings;
        for (int s = 0; s <= segments; ++s) {
            const double around = 2 * angle::kPi * s / segments;
            const VtVector n{std::sin(polar) * std::sin(around), std::cos(polar),
                             std::sin(polar) * std::cos(around)};
            shape.vertices.push_back(n * radius);
            shape.normals.push_back(n);
        }
    }
    const auto at = [&](int r, int s) { return static_cast<uint32_t>(r * (segments + 1) + s); };
    for (int r = 0; r < rings; ++r) {
        for (int s = 0; s < segments; ++s) {
            // (r, s) -> (r+1, s) -> (r+1, s+1) faces outward: going down, then around.
            if (r > 0)
                shape.triangles.insert(shape.triangles.end(),
                                       {at(r, s), at(r + 1, s), at(r, s + 1)});
            if (r < rings - 1)
                shape.triangles.insert(shape.triangles.end(),
                                       {at(r, s + 1), at(r + 1, s), at(r + 1, s + 1)});
        }
    }
    return shape;
}

} // namespace vantri
