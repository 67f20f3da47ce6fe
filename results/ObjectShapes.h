// What the scene's objects look like in the results (scene.glb, preview.html): a triangle
// mesh and curves, in the object's own coordinates and scene units.
//
// Any object with polygons (a cube, plane, sphere or polygon object: SceneObject::mesh())
// shows them, its quads split in two triangles; a spline object (SceneObject::spline())
// shows each of its segments as a line, a smooth one sampled along its spans. A host type
// that needs more than that (smooth normals for spheres, or a type with geometry of its
// own kind) adds a shape maker for its type (ShapeMakers::add, the table in
// ObjectShapes.cpp), and every writer of results shows it: as an agent's body when the
// object is a generator's source, as scenery, as a terrain or as a curve.
#pragma once

#include "host/scene/SceneObject.h"

#include <cstdint>
#include <functional>
#include <map>
#include <vector>

namespace vantri {

/// A curve through points in order.
struct ObjectLine {
    std::vector<VtVector> points;
    bool closed = false; ///< the last point joins the first
};

/// A mesh and curves in an object's own coordinates, scene units. Triangles face the side
/// that the ordinary cross product (b - a) x (c - a) of their corners a, b, c points to.
struct ObjectShape {
    std::vector<VtVector> vertices;
    /// One unit normal per vertex, or empty for flat shading (the writers make face normals).
    std::vector<VtVector> normals;
    /// Three vertex indices per triangle.
    std::vector<uint32_t> triangles;
    std::vector<ObjectLine> lines;

    bool has_mesh() const { return !triangles.empty(); }
    bool has_line() const;
    bool empty() const { return !has_mesh() && !has_line(); }
};

/// Fills `shape` for `object`; false when this object has nothing to show.
using ShapeMaker = std::function<bool(const SceneObject& object, ObjectShape& shape)>;

/// Shape makers by host object type; objects of other types show their polygons and curves.
class ShapeMakers {
  public:
    /// The makers of the host's own object types.
    static const ShapeMakers& host();

    /// Adds (or replaces) the maker of `type`.
    void add(int32_t type, ShapeMaker maker) { makers_[type] = std::move(maker); }
    /// The shape of `object`; false (shape empty) when it has nothing to show.
    bool shape_of(const SceneObject& object, ObjectShape& shape) const;

  private:
    std::map<int32_t, ShapeMaker> makers_;
};

/// The polygons and curves of an object as the host holds them.
ObjectShape geometry_shape(const SceneObject& object);

/// A shape in the export space (see ExportSpace.h), as scene.glb and preview.html take it.
struct ExportedShape {
    std::vector<float> positions;  ///< x, y, z per vertex, metres
    std::vector<float> normals;    ///< x, y, z per vertex; empty when the shape gives none
    std::vector<uint32_t> indices; ///< three per triangle, counter-clockwise seen from the front
    struct Line {
        std::vector<float> points; ///< x, y, z per point
        bool closed = false;
    };
    std::vector<Line> lines;
};

/// `shape` in the export space: points in metres with Z mirrored, and each triangle's
/// corners in reverse order so that its front stays in front after the mirror.
ExportedShape export_shape(const ObjectShape& shape);

/// A box centred on the origin with the given half edge lengths; empty when an edge is 0
/// or less.
ObjectShape box_shape(const VtVector& half_size);
/// A sphere around the origin (`rings` bands of `segments` quads, smooth normals); empty
/// when the radius is 0 or less.
ObjectShape sphere_shape(double radius, int segments = 24, int rings = 12);

} // namespace vantri
