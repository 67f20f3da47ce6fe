#include "host/geometry/Primitives.h"

#include "abi/AngleConstants.h"

#include <algorithm>
#include <cmath>

namespace vantri {

std::string check_plane(const PlaneSettings& plane) {
    if (!(plane.width >= 0.0) || !(plane.depth >= 0.0))
        return "a plane's width and depth cannot be negative";
    if (plane.segments_x < 1 || plane.segments_z < 1 || plane.segments_x > 4096 ||
        plane.segments_z > 4096)
        return "a plane's segments must be whole numbers from 1 to 4096";
    if (plane.heights) {
        const size_t want =
            static_cast<size_t>(plane.segments_x + 1) * static_cast<size_t>(plane.segments_z + 1);
        if (plane.heights->size() != want)
            return "a plane of " + std::to_string(plane.segments_x) + " x " +
                   std::to_string(plane.segments_z) + " segments needs " +
                   std::to_string(plane.segments_z + 1) + " rows of " +
                   std::to_string(plane.segments_x + 1) + " heights";
    }
    return {};
}

Mesh make_plane(const PlaneSettings& plane) {
    const int32_t columns = plane.segments_x + 1;
    const int32_t rows = plane.segments_z + 1;
    std::vector<VtVector> points;
    points.reserve(static_cast<size_t>(columns) * rows);
    for (int32_t r = 0; r < rows; ++r) {
        for (int32_t c = 0; c < columns; ++c) {
            const double x = -plane.width * 0.5 + plane.width * c / plane.segments_x;
            const double z = -plane.depth * 0.5 + plane.depth * r / plane.segments_z;
            const double y = plane.heights ? (*plane.heights)[r * columns + c] : 0.0;
            points.push_back(VtVector{x, y, z});
        }
    }
    std::vector<MeshFace> faces;
    faces.reserve(static_cast<size_t>(plane.segments_x) * plane.segments_z);
    for (int32_t r = 0; r < plane.segments_z; ++r) {
        for (int32_t c = 0; c < plane.segments_x; ++c) {
            const int32_t a = r * columns + c;
            faces.push_back(MeshFace{a, a + columns, a + columns + 1, a + 1});
        }
    }
    return Mesh(std::move(points), std::move(faces));
}

Mesh make_cube(const VtVector& size) {
    const VtVector h{size.x * 0.5, size.y * 0.5, size.z * 0.5};
    std::vector<VtVector> points;
    points.reserve(8);
    // Corner i has x = +h.x when bit 0 is set, y when bit 1, z when bit 2.
    for (int i = 0; i < 8; ++i)
        points.push_back(
            VtVector{(i & 1) ? h.x : -h.x, (i & 2) ? h.y : -h.y, (i & 4) ? h.z : -h.z});
    std::vector<MeshFace> faces = {{1, 3, 7, 5}, {0, 4, 6, 2}, {2, 6, 7, 3},
                                   {0, 1, 5, 4}, {4, 5, 7, 6}, {0, 2, 3, 1}};
    return Mesh(std::move(points), std::move(faces));
}

Mesh make_sphere(double radius, int32_t segments) {
    const int32_t around = std::max(segments, 3);
    const int32_t rings = std::max(around / 2, 2);
    const double pi = angle::kPi;
    std::vector<VtVector> points;
    points.reserve(static_cast<size_t>(rings - 1) * static_cast<size_t>(around) + 2);
    points.push_back(VtVector{0, radius, 0});
    for (int32_t i = 1; i < rings; ++i) {
        const double phi = pi * i / rings;
        for (int32_t j = 0; j < around; ++j) {
            const double theta = 2.0 * pi * j / around;
            points.push_back(VtVector{radius * std::sin(phi) * std::sin(theta),
                                      radius * std::cos(phi),
                                      radius * std::sin(phi) * std::cos(theta)});
        }
    }
    points.push_back(VtVector{0, -radius, 0});
    const int32_t bottom = static_cast<int32_t>(points.size()) - 1;
    const auto ring = [&](int32_t i, int32_t j) { return 1 + (i - 1) * around + (j % around); };

    std::vector<MeshFace> faces;
    faces.reserve(static_cast<size_t>(rings) * static_cast<size_t>(around));
    for (int32_t j = 0; j < around; ++j)
        faces.push_back(MeshFace{0, ring(1, j), ring(1, j + 1), ring(1, j + 1)});
    for (int32_t i = 1; i + 1 < rings; ++i) {
        for (int32_t j = 0; j < around; ++j)
            faces.push_back(
                MeshFace{ring(i, j), ring(i + 1, j), ring(i + 1, j + 1), ring(i, j + 1)});
    }
    for (int32_t j = 0; j < around; ++j)
        faces.push_back(
            MeshFace{ring(rings - 1, j), bottom, ring(rings - 1, j + 1), ring(rings - 1, j + 1)});
    return Mesh(std::move(points), std::move(faces));
}

} // namespace vantri
