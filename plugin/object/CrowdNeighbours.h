// The world's neighbour search: which agents of a crowd group a term must look at.
//
// Every neighbour term (alignment, cohesion, separation, avoidance) adds up the shares of the
// agents it counts in array order, and floating-point sums depend on that order. So a search
// that is faster than looking at every agent must hand a term every agent that the term
// would count, in array order, and the term must compute each pair exactly as before. Here
// each crowd group gets, for one frame, compact copies of its agents' positions (mg.off and
// global_mg.off) and directions, and a cell grid over each kind of position, laid in the
// group's own generator space. A term asks for the agents around a point; it gets every agent
// that can be within its reach, sorted, and applies its own comparison to each.
//
// Agents move during a frame: each moves right after its own evaluation, before the next
// agent is looked at. The world reports every agent once its update is done (Moved), and
// the copies and grids follow, so that a term sees exactly the positions a full scan would.
//
// The full scan of every pair stays as the reference: it is what the terms do when the
// reference search is chosen, when the grids cannot get memory, or when a query has no
// bounded reach (a radius or a position that is not finite, a transform between two
// generators that cannot be inverted safely).
#pragma once

#include "plugin/geometry/CellGrid.h"
#include "plugin/geometry/CrowdRecords.h"
#include "plugin/object/NearAhead.h"
#include "plugin/object/NeighbourSearch.h"

/// A near list (see CrowdNeighbours) and what it was made for. A group keeps one of its own
/// and one per lane (WorkerLane.h).
struct NearList {
    int32_t* index = nullptr; ///< the agents, ascending
    double* dist = nullptr;   ///< their distances from the list's centre
    int32_t count = 0;
    bool valid = false;
    bool local = false;        ///< the list is of `local` positions, else `global`
    LVector centre;            ///< the point the list was made around
    double reach = 0.0;        ///< every agent not listed lies further than this
    unsigned long moves = 0;   ///< the group's `moves` of its kind when the list was made
    double widest[2] = {0, 0}; ///< the reach lately asked for, global and local
    /// The lanes' lists lie one after another: this keeps each one's fields off the cache
    /// lines of the next, which another thread writes at the same time.
    unsigned char apart[64] = {};
};

/// One crowd group's neighbour data for the current frame.
///
/// The terms that look around one point one after another (alignment and cohesion around an
/// agent's global position, separation and avoidance around its generator position) share
/// one list of the agents near that point: those whose squared distance does not surely round
/// to more than the list's reach, in array order, with their distances. Every agent missing
/// from the list lies further than the reach, so a term whose radius is within the reach finds
/// in it every agent it counts, and computes each share from the same distance a scan would.
class CrowdNeighbours {
  public:
    ~CrowdNeighbours();

  private:
    // The index fills and updates the data; a query reads it in place.
    friend class NeighbourIndex;
    friend class NeighbourQuery;

    int32_t count = 0;            ///< agents
    LVector* local = nullptr;     ///< each agent's mg.off
    LVector* global = nullptr;    ///< each agent's global_mg.off
    LVector* direction = nullptr; ///< each agent's direction
    CellGrid global_grid;         ///< over `global`
    int32_t headed = 0;           ///< agents whose direction is not (0, 0, 0)
    bool together = false;        ///< every agent's global position is `together_at`
    LVector together_at;          ///< the one global position of all agents, when `together`
    int32_t capacity = 0;         ///< agents the copies have room for
    bool ready = false;           ///< the copies hold this frame's values
    bool failed = false;          ///< memory was short this frame: scan every agent
    bool local_ready = false, local_failed = false;
    bool global_ready = false, global_failed = false;

    /// Changes of the global copies so far: a global near list's date.
    unsigned long global_moves = 0;
    const NearAhead* ahead = nullptr; ///< the local near lists made ahead, while there are
    /// For the next lists made ahead: the widest avoidance ellipse and the longest move guessed
    /// at the end of the last update that made them; negative when there was none.
    double guessed_reach = -1.0;
    double guessed_move = -1.0;
    NearList own_near;         ///< the near list of a thread without a lane
    NearList* lanes = nullptr; ///< one per lane, owned (one block with their buffers)
    int32_t lane_count = 0;
    int32_t lane_capacity = 0;           ///< agents the lanes' buffers have room for
    unsigned char* grid_lanes = nullptr; ///< in `lanes`' block: the grids' lanes, local first

    /// What the update in array order changes at every agent's turn, while other threads
    /// read the fields above, lies on lines of its own: its writes then take no line from
    /// the readers.
    unsigned char before_local[64] = {};
    /// Changes of the local copies so far: a local near list's date.
    unsigned long local_moves = 0;
    bool same_places = false; ///< `global` is `local`, bit for bit
    CellGrid local_grid;      ///< over `local`
    unsigned char after_local[64] = {};

    /// The date of a near list of the local or the global copies.
    unsigned long Moves(bool at_local) const { return at_local ? local_moves : global_moves; }

    /// The calling thread's near list.
    NearList& Near();
    const NearList& Near() const;

    /// The reach of a near list for a term of radius `distance`: the widest lately asked for,
    /// so that terms of different radii share one list, unless that is far wider.
    double NearReach(double distance, bool at_local);
    /// Whether the near list is the one around `centre` for a reach of `reach`.
    bool HasNear(const LVector& centre, double reach, bool at_local) const;
    /// Makes the near list around `centre` with a reach of `reach`, for agent `self` (-1 for
    /// none), from the list made ahead for it (NearAhead) where there is one, else from the
    /// agents that `grid` (over the same positions) finds within `grid_reach` (at least
    /// `reach`) of it.
    void KeepNear(const LVector& centre, double reach, bool at_local, CellGrid& grid,
                  double grid_reach, int32_t self);
};

/// The neighbour data of every crowd group of a world, rebuilt lazily every frame.
class NeighbourIndex {
  public:
    NeighbourIndex() = default;
    ~NeighbourIndex();
    NeighbourIndex(const NeighbourIndex&) = delete;
    NeighbourIndex& operator=(const NeighbourIndex&) = delete;

    /// Starts a frame: every group's data is out of date from now on.
    void BeginFrame();
    /// The data of the group at `slot` (its position in the crowd list) with these agents,
    /// copied on first use in the frame; null when the full scan must be used.
    CrowdNeighbours* Of(int32_t slot, const AgentArray& agents);
    /// Room for the groups at slots 0 to count-1, so that Of moves no slot; false when memory
    /// is short.
    bool ReserveSlots(int32_t count);
    /// The group's grid over mg.off (`local`) or global_mg.off, built on first use; null when
    /// the full scan must be used.
    CellGrid* Grid(CrowdNeighbours& data, bool local);
    /// Agent `k` of the group at `slot` has been updated: its copies and cells follow it.
    void Moved(int32_t slot, int32_t k, const Agent_ID_Data& agent);
    /// Moved for an agent whose global place and direction are as they were copied: only its
    /// place in the generator's space and that grid follow it, so that other threads may
    /// read the global places, the directions and their grid meanwhile.
    void MovedLocally(int32_t slot, int32_t k, const Agent_ID_Data& agent);
    /// Keeps, for the next update of the group at `slot` that makes near lists ahead, the
    /// widest avoidance ellipse and the longest move its agents were guessed at when this one
    /// ended.
    void KeepGuesses(int32_t slot, double reach, double move);
    /// What KeepGuesses kept for the group at `slot`; false when nothing finite was kept.
    bool Guesses(int32_t slot, double& reach, double& move) const;
    /// The copies of the agents' mg.off of the group at `slot`, while they hold this frame's
    /// values; else null.
    const LVector* LocalPlaces(int32_t slot) const;
    /// The grid over LocalPlaces once it is built; else null.
    const CellGrid* LocalGrid(int32_t slot) const;
    /// Whether the copies of the group at `slot` hold the same global and local places, bit
    /// for bit (its generator stands at the origin unturned).
    bool SamePlaces(int32_t slot) const;
    /// The group at `slot` takes its local near lists from `ahead` from now on (null: from
    /// its grid again).
    void UseNearAhead(int32_t slot, const NearAhead* ahead);
    /// Makes the group at `slot` ready for `lanes` threads to query at once: its copies, a
    /// near list and grid buffers per lane, and the memory of both grids, all allocated here;
    /// the grids themselves are built by BuildForLanes. False (nothing to share) when the full
    /// scan must be used or memory is short.
    bool PrepareLanes(int32_t slot, const AgentArray& agents, int32_t lanes);
    /// Builds the `local` or the global grid of the group at `slot` after PrepareLanes, on
    /// any thread and taking no memory, and gives it its lanes; a copy of `twin` where that is
    /// a grid over the same places as they stand. Before it returns, no thread may query
    /// that grid. False when the grid cannot be used (the terms then scan every agent).
    bool BuildForLanes(int32_t slot, bool local, const CellGrid* twin);
    /// Gives back all memory.
    void Free();

  private:
    /// Builds the `local` or the global grid of `data`, or copies `twin` (a grid over the
    /// same places, or null); marks it ready or failed. False when memory was short.
    static bool MakeGrid(CrowdNeighbours& data, bool local, const CellGrid* twin);

    CrowdNeighbours** slots_ = nullptr;
    int32_t slot_count_ = 0;
};
