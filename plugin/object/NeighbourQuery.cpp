#include "plugin/object/NeighbourQuery.h"

#include "plugin/geometry/VectorMath.h"

#include <cmath>

namespace {

double Largest(const LVector& v) {
    return std::fmax(std::fabs(v.x), std::fmax(std::fabs(v.y), std::fabs(v.z)));
}

bool Finite(const LVector& v) {
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

bool Finite(const LMatrix& m) {
    return Finite(m.off) && Finite(m.v1) && Finite(m.v2) && Finite(m.v3);
}

// Frobenius norm of a matrix's axes: at least the most the axes can stretch a vector.
double Stretch(const LMatrix& m) {
    return std::sqrt(m.v1.GetSquaredLength() + m.v2.GetSquaredLength() + m.v3.GetSquaredLength());
}

// Whether a direction has a component other than 0 (a NaN counts as one).
bool Headed(const LVector& d) {
    return d.x != 0.0 || d.y != 0.0 || d.z != 0.0;
}

// A transform whose norm times its inverse's norm exceeds this is too close to singular for
// the search's error margins; such a query scans every agent.
constexpr double kWorstCondition = 1e5;

} // namespace

// The margins: a computed distance is within a few units in the last place of the true one
// (plus underflow, far below 1e-150), and the box around the centre is rounded once more.
// The factors of 1e-9 dwarf those errors while costing nothing measurable.
bool SearchFrame::Same(const LVector& p, SearchFrame& frame) {
    if (!Finite(p)) return false;
    frame.centre = p;
    frame.scale = 1.0 + 1e-9;
    frame.pad = 1e-150 + 1e-9 * Largest(p);
    return true;
}

// A term computes T * p_j - p with T the transform; the searched space holds p_j. With c the
// centre T^-1 * p, |p_j - c| <= |T^-1| * |T * p_j - p|, and the rounding of T * p_j, of the
// inverse and of the centre adds errors relative to |T|, |T^-1|, the offset and the points.
// With the condition number bounded those stay far below the margins of 1e-7 and 1e-8.
bool SearchFrame::Through(const LMatrix& m, const LVector& p, SearchFrame& frame) {
    if (!Finite(p) || !Finite(m)) return false;
    const double det = m.v1 * (m.v2 % m.v3);
    if (!(det != 0.0) || !std::isfinite(det)) return false;
    const LMatrix inverse = !m;
    if (!Finite(inverse)) return false;
    const double stretch = Stretch(m);
    const double shrink = Stretch(inverse);
    if (!(stretch * shrink <= kWorstCondition)) return false;
    frame.centre = inverse * p;
    if (!Finite(frame.centre)) return false;
    frame.scale = shrink * (1.0 + 1e-7);
    frame.pad =
        frame.scale * (1e-150 + 1e-8 * (Len(m.off) + stretch * Len(frame.centre) + Len(p))) +
        1e-8 * Largest(frame.centre);
    return std::isfinite(frame.pad);
}

double SearchFrame::Beyond(double clearance) const {
    return (clearance * (1.0 - 1e-9) - 1e-9 * Largest(centre) - pad) / scale;
}

bool NeighbourQuery::Find(NeighbourIndex& neighbours, GeDynamicArray<Crowd_Data>& crowds,
                          Crowd_Data* crowd, Agent_ID_Data* agent, const CrowdTransform& transform,
                          const LVector& p, double distance, bool local, bool keep_near) {
    if (crowd == nullptr || crowd->agents == nullptr || !std::isfinite(distance)) return false;
    const int32_t slot = static_cast<int32_t>(crowd - crowds.GetArray());
    if (crowds.GetCount() == 0 || slot < 0 || slot >= crowds.GetCount()) return false;
    const AgentArray& agents = *crowd->agents;
    CrowdNeighbours* group = neighbours.Of(slot, agents);
    if (group == nullptr) return false;
    CellGrid* cells = neighbours.Grid(*group, local);
    if (cells == nullptr) return false;
    const bool placed = transform.identity ? SearchFrame::Same(p, frame)
                                           : SearchFrame::Through(transform.m, p, frame);
    if (!placed) return false;
    const bool near_list = keep_near && transform.identity && distance > 0.0;
    const double wanted =
        near_list ? group->NearReach(distance, local) : (distance > 0.0 ? distance : 0.0);
    const double half_width = frame.Reach(wanted);
    if (!std::isfinite(half_width)) return false;
    data = group;
    grid = cells;
    reach = half_width;
    // The near list sifts the agents as the grid finds them; every other query needs them all,
    // sorted.
    if (!near_list) index = grid->Around(frame.centre, reach, count, covered);
    near_wanted = near_list;
    near_local = local;
    near_asked = distance;
    near_made = wanted;
    near_centre = p;
    const Agent_ID_Data* first = agents.GetArray();
    self = agent >= first && agent < first + agents.GetCount() ? static_cast<int32_t>(agent - first)
                                                               : -1;
    return true;
}

bool NeighbourQuery::TakeNear() {
    if (!near_wanted) return false;
    if (near == nullptr) {
        if (!data->HasNear(near_centre, near_asked, near_local))
            data->KeepNear(near_centre, near_made, near_local, *grid, reach, self);
        const NearList& list = data->Near();
        near = list.index;
        near_dist = list.dist;
        near_count = list.count;
        near_reach = list.reach;
    }
    return true;
}

void NeighbourQuery::TakeAll() {
    index = grid->Gather(frame.centre, reach, count, covered);
}

bool NeighbourQuery::OthersHeaded() const {
    const bool own_headed = self >= 0 && Headed(data->direction[self]);
    return data->headed - (own_headed ? 1 : 0) != 0;
}
