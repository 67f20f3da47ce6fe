#include "host/geometry/Mesh.h"

#include <algorithm>

namespace vantri {

void bounding_box(const std::vector<VtVector>& points, VtVector& centre, VtVector& half_size) {
    centre = half_size = VtVector{0, 0, 0};
    if (points.empty()) return;
    VtVector lo = points.front(), hi = points.front();
    for (const VtVector& p : points) {
        lo = VtVector{std::min(lo.x, p.x), std::min(lo.y, p.y), std::min(lo.z, p.z)};
        hi = VtVector{std::max(hi.x, p.x), std::max(hi.y, p.y), std::max(hi.z, p.z)};
    }
    centre = VtVector{(lo.x + hi.x) * 0.5, (lo.y + hi.y) * 0.5, (lo.z + hi.z) * 0.5};
    half_size = VtVector{(hi.x - lo.x) * 0.5, (hi.y - lo.y) * 0.5, (hi.z - lo.z) * 0.5};
}

Mesh::Mesh(std::vector<VtVector> points, std::vector<MeshFace> faces)
    : points_(std::move(points)), faces_(std::move(faces)) {
    bounding_box(points_, centre_, half_size_);
}

std::string Mesh::check(const std::vector<VtVector>& points, const std::vector<MeshFace>& faces) {
    const auto count = static_cast<int64_t>(points.size());
    for (size_t i = 0; i < faces.size(); ++i) {
        const MeshFace& f = faces[i];
        const int32_t index[4] = {f.a, f.b, f.c, f.d};
        for (int32_t k : index) {
            if (k < 0 || k >= count)
                return "face " + std::to_string(i) + " names point " + std::to_string(k) +
                       ", but there are " + std::to_string(count) + " points";
        }
        const bool distinct = f.a != f.b && f.a != f.c && f.b != f.c &&
                              (f.is_triangle() || (f.d != f.a && f.d != f.b));
        if (!distinct) return "face " + std::to_string(i) + " names one point twice";
    }
    return {};
}

} // namespace vantri
