// NearAhead: the lists of near agents that separation and avoidance look through, made ahead
// on other threads while the calling thread updates a group's agents in array order.
//
// An agent's separation and avoidance look around its place in the generator's space, among
// the group's agents as they stand when its turn comes: the earlier ones moved, the later ones
// not yet. Its own place is still the one it had when the group's update began. So if every
// agent moves at most `move` in the update, every agent within `reach` of it at its turn stood
// within reach + move of it when the update began. The other threads list, for each agent,
// the agents within that widened reach of its place in a grid over the places at the start
// (sorted by number); at the agent's turn the calling thread keeps of its list those within
// the near list's reach of where they stand now, which is the near list the grid search would
// make (CrowdNeighbours::KeepNear), without the search. The calling thread checks each agent's
// move as it happens: once one moved further than `move`, the lists are no longer used and
// the grid search makes every later near list, with the same result.
//
// The memory is taken on the calling thread before the threads start, and kept from frame to
// frame; the threads take none.
#pragma once

#include "plugin/geometry/CellGrid.h"
#include "plugin/geometry/CrowdRecords.h"

#include <cstdint>

class NearAhead {
  public:
    NearAhead() = default;
    ~NearAhead();
    NearAhead(const NearAhead&) = delete;
    NearAhead& operator=(const NearAhead&) = delete;

    /// The most agents one list holds; an agent with more near it is left to the grid search.
    static constexpr int32_t kMostListed = 48;

    /// Starts a group whose `count` agents stand at `places` (in their generator's space), for
    /// near lists of up to `reach` and moves of up to `move`, made on up to `lanes` threads at
    /// once; its grid is built by BuildGrid. False, with nothing made ahead, when memory is
    /// short, `places` is null or the reach or the move has no bound.
    bool Begin(const LVector* places, int32_t count, double reach, double move, int32_t lanes);
    /// Builds the grid over the places, on any thread and taking no memory; before it returns,
    /// no list may be made. False, with the group ended, when it cannot be built.
    bool BuildGrid();
    /// The grid BuildGrid built, over the places Begin was given.
    const CellGrid* Grid() const { return grid_built_ ? &grid_ : nullptr; }
    /// The agents' global places are the places Begin was given, bit for bit: the generator
    /// stands at the origin unturned. The lists then serve the near lists around the global
    /// places as well (GlobalList).
    void SetGlobalsSame() { globals_same_ = active_; }
    bool GlobalsSame() const { return active_ && globals_same_; }
    /// Ends the group: no list is handed out from now on.
    void End();
    /// Gives back all memory.
    void Free();
    bool Active() const { return active_; }
    /// False once an agent moved further than the lists allow.
    bool Usable() const { return usable_; }

    /// Makes the lists of agents `first` to `end` - 1 (on any thread, through its lane).
    void Fill(int32_t first, int32_t end);
    /// Agent `k` is the one being updated now.
    void SetCurrent(int32_t k) { current_ = k; }
    /// Agent `k` has moved to `place`: once an agent moved further than the lists allow, no
    /// list is handed out any more.
    void Moved(int32_t k, const LVector& place);

    /// The list of agent `self`, for a near list around `centre` with a reach of `reach`:
    /// the agents that may stand within the reach, ascending, `count` of them. Null when no
    /// such list may be used: `self` is not the agent being updated or has left its place,
    /// the reach is wider than the lists', the agent had too many near it, or an agent moved
    /// too far.
    const int32_t* List(int32_t self, const LVector& centre, double reach, int32_t& count) const;

    /// The list of agent `self` for a near list around its global place `centre` with a reach
    /// of `reach`, where the global places are the places of the lists (SetGlobalsSame): the
    /// global places do not move during the update, so every agent within the reach is listed.
    /// Null where no list may be used; valid once the agent's list is made, on any thread.
    const int32_t* GlobalList(int32_t self, const LVector& centre, double reach,
                              int32_t& count) const;

  private:
    bool Reserve(int32_t count, int32_t lanes);

    bool active_ = false;
    bool usable_ = false;
    bool globals_same_ = false; ///< the global places are `places_`
    bool grid_built_ = false;   ///< BuildGrid has built `grid_`
    int32_t count_ = 0;
    double reach_ = 0.0;  ///< the widest near list the lists serve
    double listed_ = 0.0; ///< how far around an agent its list looks
    double move_ = 0.0;
    CellGrid grid_;               ///< over `places_`
    LVector* places_ = nullptr;   ///< each agent's place when the group's update began
    int32_t* lists_ = nullptr;    ///< kMostListed per agent
    int32_t* listed_n_ = nullptr; ///< per agent: its list's length, or -1 when it has none
    int32_t* scratch_ = nullptr;  ///< one list of every agent per lane, and one for no lane
    int32_t capacity_ = 0;
    int32_t lanes_ = 0;
    int32_t lanes_in_use_ = 0; ///< the lanes of the group begun
    void* block_ = nullptr;
    void* grid_lanes_ = nullptr;
    /// The update writes the agent of its turn at every turn, while other threads read the
    /// fields above: on a line of its own, it takes no line from them.
    unsigned char apart_[64] = {};
    int32_t current_ = -1;
    unsigned char after_[64] = {};
};
