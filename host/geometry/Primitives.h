// The host's primitive objects as polygon meshes, centred on the object's origin.
#pragma once

#include "host/geometry/Mesh.h"

#include <optional>

namespace vantri {

/// A plane in the object's X-Z plane: `width` along X, `depth` along Z, divided into
/// segments_x * segments_z quads, facing +Y. `heights`, when given, holds the y of every grid
/// point: (segments_z + 1) rows from -Z to +Z, each of (segments_x + 1) values from -X to +X.
struct PlaneSettings {
    double width = 400.0;
    double depth = 400.0;
    int32_t segments_x = 1;
    int32_t segments_z = 1;
    std::optional<std::vector<double>> heights;
};

/// Empty when the settings make a plane; else why not.
std::string check_plane(const PlaneSettings& plane);
Mesh make_plane(const PlaneSettings& plane);

/// A box of the given edge lengths, six outward-facing quads.
Mesh make_cube(const VtVector& size);

/// A sphere of `segments` quads around (at least 3) and segments / 2 rings (at least 2),
/// with triangles at the poles; faces point outward.
Mesh make_sphere(double radius, int32_t segments);

} // namespace vantri
