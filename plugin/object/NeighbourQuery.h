// NeighbourQuery: the agents of a crowd group that one neighbour term must look at.
//
// A term asks the query for the agents around a point of its own space (Find). It then reads
// either the near list around that point, shared with the other terms around the same point
// (TakeNear), or every agent the grid finds, in ascending array order, and applies its own
// comparison to each. The positions and directions it reads are the group's copies of this
// frame (CrowdNeighbours), indexed like the group's agents.
#pragma once

#include "plugin/object/CrowdNeighbours.h"
#include "plugin/object/CrowdTransform.h"

/// How far to search a crowd group's grid for a query point of another (or the same) group's
/// space. For every agent, its distance from `centre` in the searched group's space is at
/// most scale * (the distance the term computes) + pad.
struct SearchFrame {
    LVector centre; ///< the query point in the searched group's space
    double scale = 1.0;
    double pad = 0.0;

    /// The half-width to search for agents whose term distance may be up to `distance`.
    double Reach(double distance) const { return scale * distance + pad; }
    /// The least term distance of an agent that lies more than `clearance` from the centre
    /// along some axis of the searched space.
    double Beyond(double clearance) const;

    /// The frame for a query at `p` in the searched group's own space. False when `p` is not
    /// finite.
    static bool Same(const LVector& p, SearchFrame& frame);
    /// The frame for a query at `p` when the term carries the searched group's positions into
    /// its own space with `m`. False when `m` cannot be inverted safely.
    static bool Through(const LMatrix& m, const LVector& p, SearchFrame& frame);
};

/// One term's query of one crowd group, made on the term's stack for one call.
class NeighbourQuery {
  public:
    /// Finds the agents of `crowd` (an entry of `crowds`) that may lie within `distance` (as
    /// the term computes it, after `transform`) of the point `p` of `agent`'s space, among the
    /// agents' generator positions (`local`) or global positions. False when the term must
    /// scan every agent. With `keep_near` and the identity transform, the query also gets the
    /// near list, and leaves the agents found empty until TakeAll.
    bool Find(NeighbourIndex& index, GeDynamicArray<Crowd_Data>& crowds, Crowd_Data* crowd,
              Agent_ID_Data* agent, const CrowdTransform& transform, const LVector& p,
              double distance, bool local, bool keep_near = false);
    /// Makes the near list, or takes the one made for an earlier term around the same point;
    /// false (no near list) when none was asked for. The list is made on the first call, so
    /// that a term that needs no neighbours (a crew just made) does not pay for it.
    bool TakeNear();
    /// Finds every agent the grid holds within the reach asked for, in no particular order.
    void TakeAll();

    /// The asking agent's index in the group, or -1.
    int32_t Self() const { return self; }
    /// Each agent's mg.off, global_mg.off and direction, by index in the group.
    const LVector* Locals() const { return data->local; }
    const LVector* Globals() const { return data->global; }
    const LVector* Directions() const { return data->direction; }
    /// Whether an agent other than the asking one has a direction other than (0, 0, 0).
    bool OthersHeaded() const;
    /// Whether every agent's global position is `p`.
    bool AllAt(const LVector& p) const { return data->together && p == data->together_at; }

    /// The agents found, as indices into the group.
    int32_t Count() const { return count; }
    int32_t Agent(int32_t i) const { return index[i]; }

    /// The near list: every agent within NearReach() of the point, with its distance.
    bool HasNearList() const { return near != nullptr; }
    int32_t NearCount() const { return near_count; }
    int32_t NearAgent(int32_t i) const { return near[i]; }
    double NearDistance(int32_t i) const { return near_dist[i]; }
    double NearReach() const { return near_reach; }

    /// The least term distance of an agent the search did not find.
    double SearchedBeyond() const { return frame.Beyond(covered); }
    /// Visits the agents in the cells at Chebyshev distance `ring` around the query point;
    /// false once no cell is left beyond it.
    template <typename Visit> bool VisitRing(int32_t ring, Visit visit) const {
        return grid->VisitRing(frame.centre, ring, visit);
    }
    /// The least term distance of an agent outside the rings 0 to `ring`.
    double RingBeyond(int32_t ring) const {
        return frame.Beyond(grid->RingClearance(frame.centre, ring));
    }

  private:
    CrowdNeighbours* data = nullptr; ///< the group's copies of positions and directions
    CellGrid* grid = nullptr;        ///< the grid searched
    const int32_t* index = nullptr;  ///< the agents found, ascending
    int32_t count = 0;               ///< how many
    double covered = 0.0;            ///< half-width searched around the centre, in the grid's space
    int32_t self = -1;               ///< the asking agent's index in the group, or -1
    SearchFrame frame;               ///< where the search looked
    double reach = 0.0;              ///< the half-width asked of the grid
    const int32_t* near = nullptr;   ///< the near list, when taken
    const double* near_dist = nullptr;
    int32_t near_count = 0;
    double near_reach = 0.0;
    bool near_wanted = false; ///< Find was asked for the near list
    bool near_local = false;
    double near_asked = 0.0; ///< the term's own distance
    double near_made = 0.0;  ///< the reach a new list gets
    LVector near_centre;
};
