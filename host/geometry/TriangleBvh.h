// Rays against a polygon mesh: the mesh's faces as triangles (a quad as two) under a
// bounding-volume hierarchy, built once and then shared by any number of rays.
//
// The hierarchy splits the triangles at the median of their centres along the longest side
// of the box around those centres, down to leaves of at most four triangles. A ray walks it
// nearer child first and skips any box that starts beyond the nearest hit found so far, so a
// ray against a 20,000-triangle terrain visits a few dozen boxes instead of every triangle.
//
// Each triangle is tested with the Moller-Trumbore method in double precision, with a
// tolerance of 1e-12 on the barycentric coordinates so that a ray through a shared edge or
// corner hits one of the faces there. Of equal distances the triangle listed first wins, so
// the result does not depend on the order in which the hierarchy finds them.
#pragma once

#include "host/geometry/Mesh.h"

#include <cstdint>
#include <vector>

namespace vantri {

/// The nearest hit of a ray: the point, its distance from the start along the (normalised)
/// direction, the unit normal of the face hit ((b - a) x (c - a) of its triangle), the face's
/// index in the mesh, and whether the ray met the face from behind.
struct TriangleHit {
    VtVector position{0, 0, 0};
    double distance = 0.0;
    VtVector face_normal{0, 0, 0};
    int32_t face = -1;
    int32_t triangle = -1;
    bool backface = false;
};

struct Triangle {
    VtVector p0, e1, e2; // first corner and the two edges from it
    VtVector normal;     // unit normal
    int32_t face;        // index of the mesh face it comes from
    int32_t order;       // position in the mesh's list of triangles (face by face)
};

/// The Moller-Trumbore test of one triangle: the distance t along a unit direction when the
/// ray meets it within [0, max_distance].
bool hit_triangle(const Triangle& triangle, const VtVector& start, const VtVector& direction,
                  double max_distance, double& t);

class TriangleBvh {
  public:
    /// The triangles of the mesh's faces; faces of zero area are left out.
    static std::vector<Triangle> triangulate(const Mesh& mesh);

    /// Builds the hierarchy over the mesh's triangles.
    void build(const Mesh& mesh);
    bool empty() const { return triangles_.empty(); }
    size_t triangle_count() const { return triangles_.size(); }
    /// Bytes held, for the host's memory accounting.
    size_t bytes() const;

    /// The nearest hit of the ray start + t * direction (direction of unit length) with
    /// 0 <= t <= max_distance. With any_hit, stops at the first hit found (not necessarily
    /// the nearest). False when nothing is hit.
    bool intersect(const VtVector& start, const VtVector& direction, double max_distance,
                   bool any_hit, TriangleHit& hit) const;

    /// The same answer by testing every triangle, for checking the hierarchy.
    bool intersect_every_triangle(const VtVector& start, const VtVector& direction,
                                  double max_distance, TriangleHit& hit) const;

  private:
    struct Node {
        double lo[3], hi[3];
        int32_t first; // first triangle (leaf) or left child (inner node)
        int32_t count; // triangles in a leaf; 0 for an inner node
        int32_t right; // right child of an inner node
    };
    int32_t build_node(int32_t first, int32_t count);
    void fill_hit(int32_t triangle, double t, const VtVector& start, const VtVector& direction,
                  TriangleHit& hit) const;

    std::vector<Triangle> triangles_;
    std::vector<Node> nodes_;
};

} // namespace vantri
