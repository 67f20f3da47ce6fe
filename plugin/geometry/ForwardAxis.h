// The forward axis of an agent's matrix, chosen by the generator's forward-axis code:
// 1011 +X, 1012 -X, 1013 +Y, 1014 -Y, 1015 +Z, 1016 -Z, and +Z for any other value.
//
// The generator and the world each have a member GetDirVect (the generator's takes the matrix
// and code by value, the world's by reference) that forwards here, so both give the same
// vector for every code.
#pragma once

#include "plugin/hostapi/MathTypes.h"

/// The forward vector of `m` for `code`: a copy of the chosen axis, negated for the negative
/// codes. Not normalised: it has the length of the matrix axis.
inline LVector GetDirVectRef(const LMatrix& m, const int& code) {
    switch (code) {
    case 1011:
        return m.v1;
    case 1012:
        return -m.v1;
    case 1013:
        return m.v2;
    case 1014:
        return -m.v2;
    case 1016:
        return -m.v3;
    case 1015:
    default:
        return m.v3;
    }
}

/// The by-value form the generator uses.
inline LVector GetDirVect(LMatrix m, int code) {
    return GetDirVectRef(m, code);
}

/// The sign of the forward axis: -1.0 for 1012, 1014 and 1016, +1.0 for every other code.
inline double GetDirVersus(const int& code) {
    return (code == 1012 || code == 1014 || code == 1016) ? -1.0 : 1.0;
}
