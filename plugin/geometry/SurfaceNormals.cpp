#include "plugin/geometry/SurfaceNormals.h"

#include <cmath>

bool ScalesUniformly(const LMatrix& m) {
    const double l1 = m.v1 * m.v1;
    const double l2 = m.v2 * m.v2;
    const double l3 = m.v3 * m.v3;
    const double largest = std::fmax(l1, std::fmax(l2, l3));
    const double tolerance = 1e-9 * largest;
    return std::fabs(l1 - l2) <= tolerance && std::fabs(l2 - l3) <= tolerance &&
           std::fabs(l1 - l3) <= tolerance && std::fabs(m.v1 * m.v2) <= tolerance &&
           std::fabs(m.v2 * m.v3) <= tolerance && std::fabs(m.v1 * m.v3) <= tolerance;
}

// The inverse transpose of the axes a1, a2, a3 has the columns (a2 x a3, a3 x a1, a1 x a2)
// divided by the determinant; only the determinant's sign matters to a normal's direction.
LVector CarryNormal(const LMatrix& m, const LVector& n) {
    if (ScalesUniformly(m)) return m.v1 * n.x + m.v2 * n.y + m.v3 * n.z;
    const LVector carried = (m.v2 % m.v3) * n.x + (m.v3 % m.v1) * n.y + (m.v1 % m.v2) * n.z;
    return (m.v1 * (m.v2 % m.v3)) < 0.0 ? -carried : carried;
}

LVector TurnHeadOn(const LVector& steer, const LVector& heading, double angle) {
    const LVector right(heading.z, 0.0, -heading.x);
    const double level = std::sqrt(right * right);
    const double length = std::sqrt(steer * steer);
    if (!(level > 0.0) || !(std::fabs(steer * right) <= 1e-9 * length * level)) return steer;
    return steer * std::cos(angle) + right * (length * std::sin(angle) / level);
}
