// The agent records of a crew as the host sees them: the boundary's layout
// (abi/CrowdRecordLayout.h), which the plug-in's own records are checked against, and the
// host's arithmetic on its vectors.
#pragma once

#include "abi/CrowdRecordLayout.h"
#include "host/scene/Transform.h"

#include <cstdint>

// The host's sums, differences and scalings of vectors, and equality by components, where
// the boundary's types live, so that every test (and GoogleTest's EXPECT_EQ) finds them.
using vantri::operator+;
using vantri::operator-;
using vantri::operator*;
inline bool operator==(const VtVector& a, const VtVector& b) {
    return a.x == b.x && a.y == b.y && a.z == b.z;
}
inline bool operator!=(const VtVector& a, const VtVector& b) {
    return !(a == b);
}
inline bool operator==(const VtMatrix& a, const VtMatrix& b) {
    return a.off == b.off && a.v1 == b.v1 && a.v2 == b.v2 && a.v3 == b.v3;
}
inline bool operator!=(const VtMatrix& a, const VtMatrix& b) {
    return !(a == b);
}

namespace vantri_test {

/// A vector from its components.
inline VtVector vec(double x, double y, double z) {
    return VtVector{x, y, z};
}

/// A record as the plug-in starts one: every scalar and vector zero, every matrix the
/// identity, no pointers.
inline VtAgentRecord blank_record() {
    VtAgentRecord record{};
    record.global_mg = record.mg = record.parent_mg = record.spline_mg = vantri::identity_matrix();
    return record;
}

/// Record `k` of a generator's array, where the generator keeps it: changing it changes the
/// agent.
inline VtAgentRecord& record_at(const VtRecordArray& array, int32_t k) {
    return array.block[array.front + k];
}

} // namespace vantri_test
