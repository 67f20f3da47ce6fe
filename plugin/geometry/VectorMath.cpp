#include "plugin/geometry/VectorMath.h"

#include <cmath>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

double Sign(double x) {
    return x >= 0.0 ? 1.0 : -1.0;
}

double EllipseRlen(double a, double b, double angle) {
    const double ac = a * std::cos(angle);
    const double bs = b * std::sin(angle);
    return (a * b) / std::sqrt(ac * ac + bs * bs);
}

LMatrix operator*(const LMatrix& m1, const LMatrix& m2) {
    LMatrix r;
    r.off = m1.off + m2.off.x * m1.v1 + m2.off.y * m1.v2 + m2.off.z * m1.v3;
    r.v1 = m2.v1.x * m1.v1 + m2.v1.y * m1.v2 + m2.v1.z * m1.v3;
    r.v2 = m2.v2.x * m1.v1 + m2.v2.y * m1.v2 + m2.v2.z * m1.v3;
    r.v3 = m2.v3.x * m1.v1 + m2.v3.y * m1.v2 + m2.v3.z * m1.v3;
    return r;
}

// The 3x3 part has the columns v1, v2, v3. Its inverse has the rows (v2 x v3) / det,
// (v3 x v1) / det and (v1 x v2) / det, each entry a cofactor over the determinant; the new
// axes are the columns of that inverse. The offset is the old offset carried back through it.
LMatrix operator!(const LMatrix& m) {
    const LVector r1 = m.v2 % m.v3;
    const LVector r2 = m.v3 % m.v1;
    const LVector r3 = m.v1 % m.v2;
    const double det = m.v1 * r1;
    if (det == 0.0 || std::isnan(det)) return LMatrix();

    LMatrix inv;
    inv.v1 = LVector(r1.x / det, r2.x / det, r3.x / det);
    inv.v2 = LVector(r1.y / det, r2.y / det, r3.y / det);
    inv.v3 = LVector(r1.z / det, r2.z / det, r3.z / det);
    inv.off = -(m.off.x * inv.v1 + m.off.y * inv.v2 + m.off.z * inv.v3);
    return inv;
}

LVector operator!(const LVector& v) {
    const double length = v.GetLength();
    if (length == 0.0 || std::isnan(length)) return LVector();
    return v * (1.0 / length);
}

void SquareRoots(double* values, int32_t count) {
    int32_t i = 0;
#if defined(__SSE2__)
    for (; i + 2 <= count; i += 2)
        _mm_storeu_pd(values + i, _mm_sqrt_pd(_mm_loadu_pd(values + i)));
#endif
    for (; i < count; ++i)
        values[i] = std::sqrt(values[i]);
}
