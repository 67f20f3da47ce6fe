#include "host/render/SceneShapes.h"

#include "host/draw/Viewport.h"
#include "host/geometry/Mesh.h"
#include "host/geometry/SplinePath.h"
#include "host/plugin/ObjectTypes.h"
#include "host/scene/Document.h"
#include "host/scene/Transform.h"

#include <algorithm>
#include <cmath>

namespace vantri {

namespace {

constexpr Rgb kSurfaceColour{168, 172, 180};
constexpr Rgb kLineColour{150, 200, 220};

/// Agents' colours, one per generator, repeating after the last.
constexpr Rgb kGeneratorPalette[] = {{236, 150, 60},  {86, 168, 232}, {120, 200, 110},
                                     {220, 104, 160}, {230, 214, 90}, {160, 130, 230},
                                     {90, 206, 196},  {220, 90, 80}};

/// Instances of instances are followed this deep, and no deeper (a loop of instances ends).
constexpr int32_t kMaxInstanceDepth = 8;

/// Carries a shape from its object's space into scene space, in its colours.
class PlacedSink : public ShapeSink {
  public:
    PlacedSink(RenderList& out, const VtMatrix& m, Rgb surface, Rgb lines)
        : out_(out), m_(m), surface_(surface), lines_(lines) {}

    void face(const VtVector* points, int32_t count) override {
        if (count < 3 || count > 4) return;
        RenderFace f;
        f.count = count;
        for (int32_t k = 0; k < count; ++k)
            f.points[k] = transform_point(m_, points[k]);
        f.colour = surface_;
        out_.faces.push_back(f);
    }
    void line(const VtVector& from, const VtVector& to) override {
        out_.line(transform_point(m_, from), transform_point(m_, to), lines_);
    }

  private:
    RenderList& out_;
    VtMatrix m_;
    Rgb surface_, lines_;
};

/// Steps each span of a smooth spline is drawn with.
constexpr int32_t kSplineSteps = 16;

/// An object's polygons, when it has them.
void mesh_shape(const SceneObject& object, ShapeSink& sink) {
    const std::shared_ptr<const Mesh>& mesh = object.mesh();
    if (mesh == nullptr) return;
    const std::vector<VtVector>& points = mesh->points();
    for (const MeshFace& face : mesh->faces()) {
        const VtVector corners[4] = {
            points[static_cast<size_t>(face.a)], points[static_cast<size_t>(face.b)],
            points[static_cast<size_t>(face.c)], points[static_cast<size_t>(face.d)]};
        sink.face(corners, face.is_triangle() ? 3 : 4);
    }
}

/// A spline's curve as a chain of lines: every span in steps, or straight when linear.
void spline_shape(const SceneObject& object, ShapeSink& sink) {
    const std::shared_ptr<const SplinePath>& spline = object.spline();
    if (spline == nullptr) return;
    const int32_t steps = spline->interpolation() == SplineInterpolation::Linear ? 1 : kSplineSteps;
    for (int32_t segment = 0; segment < spline->evaluable_segments(); ++segment) {
        for (int32_t span = 0; span < spline->span_count(segment); ++span) {
            VtVector from{};
            spline->span_point(segment, span, 0.0, &from, nullptr);
            for (int32_t step = 1; step <= steps; ++step) {
                VtVector to{};
                spline->span_point(segment, span, static_cast<double>(step) / steps, &to, nullptr);
                sink.line(from, to);
                from = to;
            }
        }
    }
}

/// A cube's polygons, or for a cube made without them, its bounding box.
void cube_shape(const SceneObject& cube, ShapeSink& sink) {
    if (cube.mesh() != nullptr) {
        mesh_shape(cube, sink);
        return;
    }
    const VtVector r = cube.radius();
    VtVector corner[8];
    for (int32_t i = 0; i < 8; ++i)
        corner[i] = {(i & 1) ? r.x : -r.x, (i & 2) ? r.y : -r.y, (i & 4) ? r.z : -r.z};
    static const int32_t kFaces[6][4] = {{0, 2, 3, 1}, {4, 5, 7, 6}, {0, 1, 5, 4},
                                         {2, 6, 7, 3}, {0, 4, 6, 2}, {1, 3, 7, 5}};
    for (const auto& face : kFaces) {
        const VtVector points[4] = {corner[face[0]], corner[face[1]], corner[face[2]],
                                    corner[face[3]]};
        sink.face(points, 4);
    }
}

void null_shape(const SceneObject&, ShapeSink& sink) {
    const double s = kNullCrossSize;
    sink.line({-s, 0, 0}, {s, 0, 0});
    sink.line({0, -s, 0}, {0, s, 0});
    sink.line({0, 0, -s}, {0, 0, s});
}

class SceneWalk {
  public:
    SceneWalk(const ShapeLibrary& shapes, RenderList& out) : shapes_(shapes), out_(out) {}

    /// An object of the scene tree that the viewport shows, and the objects under it.
    void object(const SceneObject& object) {
        if (object.cache() != nullptr) {
            out_.crowds.push_back(RenderCrowd{object.name(), generator_colour(generators_), 0});
            output(*object.cache(), generator_colour(generators_++));
            return;
        }
        shape(object, object.global_matrix(), kSurfaceColour, kLineColour);
    }

  private:
    /// A generator's output: instances show their sources; nulls only hold the rest.
    void output(const SceneObject& object, Rgb colour) {
        if (object.type() == kInstanceType)
            agent(object, colour);
        else if (object.type() != kNullType)
            shape(object, object.global_matrix(), colour, colour);
        for (const Atom* child = object.first_child(); child != nullptr; child = child->next())
            output(*static_cast<const SceneObject*>(child), colour);
    }

    /// An agent: its instance drawn, and where it stands, faces and reaches recorded.
    void agent(const SceneObject& object, Rgb colour) {
        const VtMatrix m = object.global_matrix();
        const size_t first_face = out_.faces.size();
        instance(object, m, colour, 0);
        RenderAgent agent;
        agent.position = m.off;
        const double length = std::sqrt(dot(m.v3, m.v3));
        if (std::isfinite(length) && length > 0) agent.forward = m.v3 * (1.0 / length);
        double reach_squared = 0;
        for (size_t f = first_face; f < out_.faces.size(); ++f) {
            const RenderFace& face = out_.faces[f];
            for (int32_t k = 0; k < face.count; ++k) {
                const VtVector d = face.points[k] - agent.position;
                reach_squared = std::max(reach_squared, dot(d, d));
                agent.front = std::max(agent.front, dot(d, agent.forward));
            }
        }
        agent.reach = first_face == out_.faces.size() ? kNullCrossSize : std::sqrt(reach_squared);
        if (first_face == out_.faces.size()) agent.front = kNullCrossSize;
        agent.crowd = out_.crowds.size() - 1;
        ++out_.crowds.back().agents;
        out_.agents.push_back(agent);
    }

    /// The source of an instance, with its children, placed at `m`.
    void instance(const SceneObject& object, const VtMatrix& m, Rgb colour, int32_t depth) {
        const Value* link = object.data().find(kInstanceLink);
        const Atom* target = link != nullptr ? link->target() : nullptr;
        if (target == nullptr || target->kind() != Atom::Kind::Object) return;
        hierarchy(*static_cast<const SceneObject*>(target), m, colour, depth + 1);
    }

    void hierarchy(const SceneObject& object, const VtMatrix& m, Rgb colour, int32_t depth) {
        if (depth > kMaxInstanceDepth) return;
        if (object.type() == kInstanceType)
            instance(object, m, colour, depth);
        else
            shape(object, m, colour, colour);
        for (const Atom* child = object.first_child(); child != nullptr; child = child->next()) {
            const auto& c = *static_cast<const SceneObject*>(child);
            hierarchy(c, multiply(m, c.local_matrix()), colour, depth);
        }
    }

    void shape(const SceneObject& object, const VtMatrix& m, Rgb surface, Rgb lines) {
        const ShapeBuilder* builder = shapes_.find(object.type());
        if (builder == nullptr) return;
        PlacedSink sink(out_, m, surface, lines);
        (*builder)(object, sink);
    }

    const ShapeLibrary& shapes_;
    RenderList& out_;
    size_t generators_ = 0;
};

} // namespace

ShapeLibrary ShapeLibrary::standard() {
    ShapeLibrary library;
    library.add(kCubeType, cube_shape);
    library.add(kPolygonType, mesh_shape);
    library.add(kPlaneType, mesh_shape);
    library.add(kSphereType, mesh_shape);
    library.add(kSplineType, spline_shape);
    library.add(kNullType, null_shape);
    return library;
}

const ShapeBuilder* ShapeLibrary::find(int32_t type) const {
    auto it = builders_.find(type);
    return it != builders_.end() ? &it->second : nullptr;
}

Rgb generator_colour(size_t index) {
    return kGeneratorPalette[index % (sizeof kGeneratorPalette / sizeof kGeneratorPalette[0])];
}

void add_scene_shapes(const Document& document, const ShapeLibrary& shapes, RenderList& out) {
    SceneWalk walk(shapes, out);
    document.for_each_object([&](SceneObject& object) {
        if (shown_in_viewport(object)) walk.object(object);
    });
}

} // namespace vantri
