#include "math/Rotation.h"

#include <cmath>

namespace vantri {

// The forward axis comes from heading and pitch: level it points along (-sin h, 0, cos h),
// tilted up by the pitch. The level side axis of the heading is (cos h, 0, sin h) and the up
// axis of the unbanked frame is forward x side; the bank then turns side and up about the
// forward axis. The result is the frame whose rotation the plug-in reads back with its
// matrix-to-rotation conversion.
Mat4 rotation_to_matrix(const Vec3& rotation, const Vec3& scale, const Vec3& position) {
    const double ch = std::cos(rotation.x), sh = std::sin(rotation.x);
    const double cp = std::cos(rotation.y), sp = std::sin(rotation.y);
    const double cb = std::cos(rotation.z), sb = std::sin(rotation.z);

    const Vec3 side{ch, 0.0, sh};
    const Vec3 forward{-sh * cp, sp, ch * cp};
    const Vec3 up = cross(forward, side);

    Mat4 m;
    m.off = position;
    m.v1 = (cb * side - sb * up) * scale.x;
    m.v2 = (sb * side + cb * up) * scale.y;
    m.v3 = forward * scale.z;
    return m;
}

} // namespace vantri
