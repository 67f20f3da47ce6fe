// The host's 64-bit vector and matrix types and their elementary arithmetic.
//
// LVector and LMatrix are the plug-in's names for the host's plain values; they have the
// layout of VtVector and VtMatrix and convert to and from them by value. The products,
// inverse and normalisation that the crowd code relies on in degenerate cases live with the
// crowd geometry, not here.
#pragma once

#include "abi/host_abi.h"

#include <cmath>
#include <cstdint>

/// The host's boolean: an int, so that it crosses the C boundary unchanged.
typedef int Bool;

#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif

/// Three 64-bit floats; a default-constructed vector is (0, 0, 0).
struct LVector {
    double x = 0.0, y = 0.0, z = 0.0;

    LVector() = default;
    LVector(double ax, double ay, double az) : x(ax), y(ay), z(az) {}

    LVector& operator+=(const LVector& v) {
        x += v.x;
        y += v.y;
        z += v.z;
        return *this;
    }
    LVector& operator-=(const LVector& v) {
        x -= v.x;
        y -= v.y;
        z -= v.z;
        return *this;
    }
    LVector& operator*=(double s) {
        x *= s;
        y *= s;
        z *= s;
        return *this;
    }
    /// sqrt(x*x + y*y + z*z).
    double GetLength() const { return std::sqrt(x * x + y * y + z * z); }
    double GetSquaredLength() const { return x * x + y * y + z * z; }
};

inline LVector operator+(const LVector& a, const LVector& b) {
    return LVector(a.x + b.x, a.y + b.y, a.z + b.z);
}
inline LVector operator-(const LVector& a, const LVector& b) {
    return LVector(a.x - b.x, a.y - b.y, a.z - b.z);
}
inline LVector operator-(const LVector& a) {
    return LVector(-a.x, -a.y, -a.z);
}
inline LVector operator*(const LVector& a, double s) {
    return LVector(a.x * s, a.y * s, a.z * s);
}
inline LVector operator*(double s, const LVector& a) {
    return LVector(s * a.x, s * a.y, s * a.z);
}
inline LVector operator/(const LVector& a, double s) {
    return LVector(a.x / s, a.y / s, a.z / s);
}
/// Dot product.
inline double operator*(const LVector& a, const LVector& b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}
/// Cross product.
inline LVector operator%(const LVector& a, const LVector& b) {
    return LVector(a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x);
}
inline bool operator==(const LVector& a, const LVector& b) {
    return a.x == b.x && a.y == b.y && a.z == b.z;
}
inline bool operator!=(const LVector& a, const LVector& b) {
    return !(a == b);
}
inline double Len(const LVector& v) {
    return v.GetLength();
}

/// An affine transform: p maps to off + p.x*v1 + p.y*v2 + p.z*v3. A default-constructed matrix
/// is the identity.
struct LMatrix {
    LVector off;
    LVector v1{1.0, 0.0, 0.0};
    LVector v2{0.0, 1.0, 0.0};
    LVector v3{0.0, 0.0, 1.0};

    LMatrix() = default;
    LMatrix(const LVector& o, const LVector& a1, const LVector& a2, const LVector& a3)
        : off(o), v1(a1), v2(a2), v3(a3) {}
};

inline bool operator==(const LMatrix& a, const LMatrix& b) {
    return a.off == b.off && a.v1 == b.v1 && a.v2 == b.v2 && a.v3 == b.v3;
}
inline bool operator!=(const LMatrix& a, const LMatrix& b) {
    return !(a == b);
}

/// The point p carried through m: off + p.x*v1 + p.y*v2 + p.z*v3.
inline LVector operator*(const LMatrix& m, const LVector& p) {
    return m.off + m.v1 * p.x + m.v2 * p.y + m.v3 * p.z;
}

typedef LVector Vector;
typedef LMatrix Matrix;

inline VtVector ToAbi(const LVector& v) {
    return VtVector{v.x, v.y, v.z};
}
inline LVector FromAbi(const VtVector& v) {
    return LVector(v.x, v.y, v.z);
}
inline VtMatrix ToAbi(const LMatrix& m) {
    return VtMatrix{ToAbi(m.off), ToAbi(m.v1), ToAbi(m.v2), ToAbi(m.v3)};
}
inline LMatrix FromAbi(const VtMatrix& m) {
    return LMatrix(FromAbi(m.off), FromAbi(m.v1), FromAbi(m.v2), FromAbi(m.v3));
}
