#include "host/geometry/TriangleBvh.h"

#include "host/scene/Transform.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace vantri {

namespace {

constexpr double kEdgeTolerance = 1e-12;
constexpr int32_t kLeafSize = 4;

double axis_of(const VtVector& v, int axis) {
    return axis == 0 ? v.x : (axis == 1 ? v.y : v.z);
}

VtVector centre_of(const Triangle& t) {
    return t.p0 + (t.e1 + t.e2) * (1.0 / 3.0);
}

// The parameter interval [t0, t1] in which the ray lies inside the box; false when empty.
bool ray_box(const double lo[3], const double hi[3], const double origin[3],
             const double inverse[3], double max_distance, double& entry) {
    double t0 = 0.0, t1 = max_distance;
    for (int a = 0; a < 3; ++a) {
        double near = (lo[a] - origin[a]) * inverse[a];
        double far = (hi[a] - origin[a]) * inverse[a];
        // A direction component of 0 gives +-inf, or NaN on the slab's planes: NaN keeps the
        // interval as it is, which the comparisons below do by their order.
        if (near > far) std::swap(near, far);
        if (near > t0) t0 = near;
        if (far < t1) t1 = far;
        if (t0 > t1) return false;
    }
    entry = t0;
    return true;
}

} // namespace

bool hit_triangle(const Triangle& triangle, const VtVector& start, const VtVector& direction,
                  double max_distance, double& t) {
    const VtVector p = cross(direction, triangle.e2);
    const double det = dot(triangle.e1, p);
    if (det == 0.0 || !std::isfinite(det)) return false;
    const double inv = 1.0 / det;
    const VtVector s = start - triangle.p0;
    const double u = dot(s, p) * inv;
    if (u < -kEdgeTolerance || u > 1.0 + kEdgeTolerance) return false;
    const VtVector q = cross(s, triangle.e1);
    const double v = dot(direction, q) * inv;
    if (v < -kEdgeTolerance || u + v > 1.0 + kEdgeTolerance) return false;
    const double distance = dot(triangle.e2, q) * inv;
    if (!(distance >= 0.0 && distance <= max_distance)) return false;
    t = distance;
    return true;
}

std::vector<Triangle> TriangleBvh::triangulate(const Mesh& mesh) {
    std::vector<Triangle> triangles;
    const auto& pts = mesh.points();
    const auto add = [&](int32_t a, int32_t b, int32_t c, int32_t face) {
        Triangle t;
        t.p0 = pts[a];
        t.e1 = pts[b] - pts[a];
        t.e2 = pts[c] - pts[a];
        const VtVector n = cross(t.e1, t.e2);
        const double len = length(n);
        if (!(len > 0.0) || !std::isfinite(len)) return;
        t.normal = n * (1.0 / len);
        t.face = face;
        t.order = static_cast<int32_t>(triangles.size());
        triangles.push_back(t);
    };
    for (size_t i = 0; i < mesh.faces().size(); ++i) {
        const MeshFace& f = mesh.faces()[i];
        add(f.a, f.b, f.c, static_cast<int32_t>(i));
        if (!f.is_triangle()) add(f.a, f.c, f.d, static_cast<int32_t>(i));
    }
    return triangles;
}

void TriangleBvh::build(const Mesh& mesh) {
    triangles_ = triangulate(mesh);
    nodes_.clear();
    if (triangles_.empty()) return;
    nodes_.reserve(2 * triangles_.size() / kLeafSize + 2);
    build_node(0, static_cast<int32_t>(triangles_.size()));
}

size_t TriangleBvh::bytes() const {
    return triangles_.capacity() * sizeof(Triangle) + nodes_.capacity() * sizeof(Node);
}

int32_t TriangleBvh::build_node(int32_t first, int32_t count) {
    const int32_t index = static_cast<int32_t>(nodes_.size());
    nodes_.push_back(Node{});
    Node node{};
    double clo[3], chi[3];
    for (int a = 0; a < 3; ++a) {
        node.lo[a] = clo[a] = std::numeric_limits<double>::infinity();
        node.hi[a] = chi[a] = -std::numeric_limits<double>::infinity();
    }
    for (int32_t i = first; i < first + count; ++i) {
        const Triangle& t = triangles_[i];
        const VtVector corners[3] = {t.p0, t.p0 + t.e1, t.p0 + t.e2};
        const VtVector c = centre_of(t);
        for (int a = 0; a < 3; ++a) {
            for (const VtVector& p : corners) {
                node.lo[a] = std::min(node.lo[a], axis_of(p, a));
                node.hi[a] = std::max(node.hi[a], axis_of(p, a));
            }
            clo[a] = std::min(clo[a], axis_of(c, a));
            chi[a] = std::max(chi[a], axis_of(c, a));
        }
    }
    int axis = 0;
    for (int a = 1; a < 3; ++a) {
        if (chi[a] - clo[a] > chi[axis] - clo[axis]) axis = a;
    }
    if (count <= kLeafSize || !(chi[axis] > clo[axis])) {
        node.first = first;
        node.count = count;
        nodes_[index] = node;
        return index;
    }
    const int32_t half = count / 2;
    std::nth_element(triangles_.begin() + first, triangles_.begin() + first + half,
                     triangles_.begin() + first + count,
                     [axis](const Triangle& x, const Triangle& y) {
                         return axis_of(centre_of(x), axis) < axis_of(centre_of(y), axis);
                     });
    const int32_t left = build_node(first, half);
    node.right = build_node(first + half, count - half);
    node.first = left;
    node.count = 0;
    nodes_[index] = node;
    return index;
}

void TriangleBvh::fill_hit(int32_t triangle, double t, const VtVector& start,
                           const VtVector& direction, TriangleHit& hit) const {
    const Triangle& tri = triangles_[triangle];
    hit.position = start + direction * t;
    hit.distance = t;
    hit.face_normal = tri.normal;
    hit.face = tri.face;
    hit.triangle = tri.order;
    hit.backface = dot(direction, tri.normal) > 0.0;
}

// The ordering of two hits: the nearer, or at equal distances the face listed first (then
// the first of a quad's two triangles).
static bool better(double t, const Triangle& tri, double best_t, const Triangle* best) {
    if (best == nullptr || t < best_t) return true;
    if (t > best_t) return false;
    return tri.order < best->order;
}

bool TriangleBvh::intersect(const VtVector& start, const VtVector& direction, double max_distance,
                            bool any_hit, TriangleHit& hit) const {
    if (nodes_.empty() || !(max_distance >= 0.0)) return false;
    const double origin[3] = {start.x, start.y, start.z};
    const double inverse[3] = {1.0 / direction.x, 1.0 / direction.y, 1.0 / direction.z};
    int32_t stack[128];
    int depth = 0;
    stack[depth++] = 0;
    double best_t = max_distance;
    int32_t best = -1;
    while (depth > 0) {
        const Node& node = nodes_[stack[--depth]];
        double entry = 0.0;
        if (!ray_box(node.lo, node.hi, origin, inverse, best_t, entry)) continue;
        if (node.count > 0) {
            for (int32_t i = node.first; i < node.first + node.count; ++i) {
                double t = 0.0;
                if (!hit_triangle(triangles_[i], start, direction, best_t, t)) continue;
                if (best < 0 || better(t, triangles_[i], best_t, &triangles_[best])) {
                    best_t = t;
                    best = i;
                    if (any_hit) {
                        fill_hit(best, best_t, start, direction, hit);
                        return true;
                    }
                }
            }
            continue;
        }
        // Visit the nearer child first: push it last.
        const int32_t left = node.first, right = node.right;
        double left_entry = 0.0, right_entry = 0.0;
        const bool hit_left =
            ray_box(nodes_[left].lo, nodes_[left].hi, origin, inverse, best_t, left_entry);
        const bool hit_right =
            ray_box(nodes_[right].lo, nodes_[right].hi, origin, inverse, best_t, right_entry);
        if (depth + 2 > 128) return false; // deeper than any median split of 2^60 triangles
        if (hit_left && hit_right) {
            if (left_entry <= right_entry) {
                stack[depth++] = right;
                stack[depth++] = left;
            } else {
                stack[depth++] = left;
                stack[depth++] = right;
            }
        } else if (hit_left) {
            stack[depth++] = left;
        } else if (hit_right) {
            stack[depth++] = right;
        }
    }
    if (best < 0) return false;
    fill_hit(best, best_t, start, direction, hit);
    return true;
}

bool TriangleBvh::intersect_every_triangle(const VtVector& start, const VtVector& direction,
                                           double max_distance, TriangleHit& hit) const {
    double best_t = max_distance;
    int32_t best = -1;
    for (int32_t i = 0; i < static_cast<int32_t>(triangles_.size()); ++i) {
        double t = 0.0;
        if (!hit_triangle(triangles_[i], start, direction, best_t, t)) continue;
        if (best < 0 || better(t, triangles_[i], best_t, &triangles_[best])) {
            best_t = t;
            best = i;
        }
    }
    if (best < 0) return false;
    fill_hit(best, best_t, start, direction, hit);
    return true;
}

} // namespace vantri
