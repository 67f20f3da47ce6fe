// CrowdTransform: how the neighbour terms see another crowd group's agents.
#pragma once

#include "plugin/hostapi/MathTypes.h"

/// Brings positions and directions of another crowd group's agents into the space of an
/// agent's own generator; the identity for the agent's own group.
struct CrowdTransform {
    bool identity = true;
    LMatrix m; ///< inverse(own generator's global matrix) * (other generator's global matrix)

    LVector Point(const LVector& p) const { return identity ? p : m * p; }
    LVector Direction(const LVector& d) const {
        return identity ? d : m.v1 * d.x + m.v2 * d.y + m.v3 * d.z;
    }
};
