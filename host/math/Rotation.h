// The host's conversion from an object's rotation (heading, pitch, bank) to the axes of its
// matrix.
//
// Heading turns about Y with 0 facing +Z and pi/2 facing -X, pitch is positive upwards, bank
// rolls about the forward axis. The host keeps an object's rotation as it was set, so reading
// it back needs no conversion the other way.
#pragma once

#include "math/Matrix.h"

namespace vantri {

/// The matrix at `position` whose axes are turned by `rotation` (heading, pitch, bank, in
/// radians) and multiplied by `scale.x`, `scale.y` and `scale.z`.
Mat4 rotation_to_matrix(const Vec3& rotation, const Vec3& scale = {1.0, 1.0, 1.0},
                        const Vec3& position = {});

} // namespace vantri
