// The space that scene.glb and preview.html are written in: glTF's right-handed frame with
// +Y up, in metres.
//
// The host's frame is left-handed: +X right, +Y up and +Z away from the viewer of its front
// view (heading 0 faces +Z, heading pi/2 faces -X). Its scene units are centimetres. A point
// (x, y, z) of the host becomes (0.01 x, 0.01 y, -0.01 z): the scale to metres and a mirror
// of the Z axis, which turns the left-handed frame into a right-handed one while keeping
// +X right and +Y up, so that the host's front view (looking along +Z) becomes glTF's
// default view (looking along -Z). A rotation R of the host becomes M R M with
// M = diag(1, 1, -1), again a rotation; a direction or normal is mirrored like a point but
// not scaled; a triangle's corner order is reversed so that its front face stays in front.
#pragma once

#include "abi/host_abi.h"

#include <array>

namespace vantri {

/// Metres per scene unit (scene units are centimetres).
constexpr double kMetresPerSceneUnit = 0.01;

/// A quaternion (x, y, z, w) of unit length.
using Quaternion = std::array<double, 4>;

/// A host point in metres, Z mirrored.
VtVector export_point(const VtVector& host);
/// A host direction (or normal), Z mirrored, not scaled.
VtVector export_direction(const VtVector& host);

/// The pieces of a host matrix in the export space: translation (metres), rotation and the
/// scale along the object's own axes. A matrix with shear keeps its axes' lengths and the
/// rotation of its orthonormalised axes.
struct ExportTransform {
    VtVector translation{0, 0, 0};
    Quaternion rotation{0, 0, 0, 1};
    VtVector scale{1, 1, 1};
};
ExportTransform export_transform(const VtMatrix& host);

/// The rotation of a host rotation (heading, pitch, bank, radians) in the export space.
Quaternion export_rotation(const VtVector& hpb);

/// The quaternion of the rotation whose matrix has columns x, y, z (orthonormal, right- or
/// left-handed as a rotation; the columns are orthonormalised first).
Quaternion quaternion_from_axes(const VtVector& x, const VtVector& y, const VtVector& z);

} // namespace vantri
