// A polygon object's geometry: points and faces of three or four point indices, with the
// bounding box of its points. The host's primitives (plane, cube, sphere) build one too.
#pragma once

#include "abi/host_abi.h"

#include <cstdint>
#include <string>
#include <vector>

namespace vantri {

/// A face: four point indices, with d == c for a triangle. Seen from the side its normal
/// points to, the points run counter-clockwise (normal = (b - a) x (c - a)).
struct MeshFace {
    int32_t a, b, c, d;
    bool is_triangle() const { return c == d; }
};

class Mesh {
  public:
    Mesh() = default;
    /// The faces must name existing points (see check); the bounding box is computed here.
    Mesh(std::vector<VtVector> points, std::vector<MeshFace> faces);

    /// Empty when every face names existing, distinct points; else why not, naming the face.
    static std::string check(const std::vector<VtVector>& points,
                             const std::vector<MeshFace>& faces);

    const std::vector<VtVector>& points() const { return points_; }
    const std::vector<MeshFace>& faces() const { return faces_; }
    /// Centre and half-size of the box around the points ((0,0,0) for no points).
    VtVector bounds_centre() const { return centre_; }
    VtVector bounds_half_size() const { return half_size_; }

  private:
    std::vector<VtVector> points_;
    std::vector<MeshFace> faces_;
    VtVector centre_{0, 0, 0};
    VtVector half_size_{0, 0, 0};
};

/// Centre and half-size of the box around `points` (zero for none).
void bounding_box(const std::vector<VtVector>& points, VtVector& centre, VtVector& half_size);

} // namespace vantri
