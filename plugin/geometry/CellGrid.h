// CellGrid: a uniform grid of cubic cells over a set of numbered points, for finding the
// points near a query point without looking at all of them.
//
// The grid is laid over the points' bounds when it is built. Each point gets a home cell,
// and the points are listed cell after cell, in ascending order within each cell, so that a
// row of cells is one run of that list. Cell coordinates are clamped to the grid, so a point
// far outside the bounds lives in a border cell: every finite point has a cell, however far
// away it is. Points that are not finite (strays) have a list of their own, which every
// query takes whole, since only the caller's comparisons can tell what such a point counts
// for.
//
// Points move after the build (Refile). A point that stays near its home cell stays listed
// there, and the grid remembers how far outside its home cell any such point stands (the
// drift); queries widen their box by the drift. A point that goes further leaves home: it is
// taken off the list and kept in a second set of cell lists by the cell it stands in now.
//
// A query gathers the points of the cells that a box around the query point touches, and
// the strays, sorted by number. Cell coordinates come from (x - origin) / size computed in
// floating point, which never decreases as x grows; with margins for the rounding of cell
// boundaries, every point whose coordinates lie within the box is gathered. The result is a
// superset of the points within the box's half-width of the query point; callers apply
// their own exact comparison to each.
//
// The grid allocates from the host (GeAlloc); a build that cannot get memory says so, and
// the caller then looks at every point instead.
#pragma once

#include "plugin/hostapi/MathTypes.h"

#include <cstddef>
#include <cstdint>

/// What one thread's queries of a grid keep: the last result, for the terms that look at the
/// same place one after another, and the buffers a query fills.
struct CellGridQueries {
    int32_t* found = nullptr; ///< the last query's result
    uint64_t* bits = nullptr; ///< a bit per point, for sorting a result
    unsigned long found_version = ~0ul;
    LVector found_centre;
    double found_reach = 0.0;
    int32_t found_count = 0;
    bool found_sorted = false;
    double widest_reach = 0.0;
    /// The lanes' records lie one after another: this keeps each one's fields off the cache
    /// lines of the next, which another thread writes at the same time.
    unsigned char apart[64] = {};
    /// Forgets the last result.
    void Forget() {
        found_version = ~0ul;
        widest_reach = 0.0;
    }
};

class CellGrid {
  public:
    CellGrid() = default;
    ~CellGrid();
    CellGrid(const CellGrid&) = delete;
    CellGrid& operator=(const CellGrid&) = delete;

    /// Lays the grid over the `count` points and files each one. The grid keeps its memory
    /// from one build to the next. False (the grid unusable) when memory is short.
    bool Build(const LVector* points, int32_t count);
    /// Makes this grid the same as `other`, as if built over the same points: a copy costs
    /// less than a build. False (the grid unusable) when memory is short.
    bool CopyFrom(const CellGrid& other);
    /// Takes the memory any build or copy over up to `points` points needs, so that one made
    /// while the memory is held (HoldMemory) succeeds; false when memory is short.
    bool ReserveFor(int32_t points);
    /// While `hold` is set, the grid takes no memory: a build or copy that would need more
    /// than the grid has fails instead. For a build on a thread that may not allocate.
    void HoldMemory(bool hold) { hold_memory_ = hold; }
    /// Files point `k` again after it moved to `p`.
    void Refile(int32_t k, const LVector& p);
    /// Whether no point was filed again since the build: the grid is then the one a build
    /// over the points as they stand now would give.
    bool AsBuilt() const { return as_built_; }

    /// The points of the cells touched by the box of half-width `reach` around `centre`, and
    /// the strays, in ascending order; valid until the next call on the grid. `covered`
    /// receives the half-width that was searched, at least `reach`: every point not returned
    /// lies further than that from `centre` along some axis (up to rounding of the centre's
    /// coordinates).
    const int32_t* Around(const LVector& centre, double reach, int32_t& count, double& covered);
    /// The same points as Around, in no particular order: for callers that keep few of them
    /// and sort those (SortPoints).
    const int32_t* Gather(const LVector& centre, double reach, int32_t& count, double& covered);
    /// The points Gather would return whose squared distance from `centre` among `points`
    /// (the points the grid was built over, as they stand now) is not above `beyond`, in no
    /// particular order, into `out`; returns how many. A distance that is not a number is
    /// kept. `covered` as for Around.
    int32_t GatherWithin(const LVector& centre, double reach, const LVector* points, double beyond,
                         int32_t* out, double& covered);
    /// Sorts `count` distinct point numbers of this grid into ascending order.
    void SortPoints(int32_t* list, int32_t count);

    /// Gives the grid `count` lanes (WorkerLane.h) whose buffers it places in `block`, which
    /// holds LaneBytes(points) bytes per lane for at least the points it was built over; null
    /// takes them away. The block stays the caller's.
    void UseLanes(void* block, int32_t count);
    /// The bytes one lane's buffers take for a grid of `points` points.
    static size_t LaneBytes(int32_t points);

    /// Number of points the grid was built over.
    int32_t GetCount() const { return count_; }
    /// Edge length of a cell.
    double GetCellSize() const { return size_; }

    /// Visits the points in the cells at Chebyshev distance `ring` (in cells) from the cell
    /// of `centre`, calling visit(k) for each; strays are not visited. Returns false once no
    /// cell is left beyond `ring`.
    template <typename Visit>
    bool VisitRing(const LVector& centre, int32_t ring, Visit visit) const;
    /// A lower bound on the distance from `centre` to any point not visited by the rings 0
    /// to `ring` around its cell, strays aside.
    double RingClearance(const LVector& centre, int32_t ring) const;

  private:
    /// Calls run(from, to) for each run of order_ (entries of -1 included) and one(k) for each
    /// point away from home that a search around `centre` for `reach` must look at, and
    /// returns the radius covered; with `everything` set, every point must be taken instead
    /// and nothing was called.
    template <typename Run, typename One>
    double Collect(const LVector& centre, double reach, bool& everything, Run run, One one);
    int32_t CellCoordinate(double x, int axis) const;
    int32_t CellOf(const LVector& p) const;
    int32_t CellAt(int32_t x, int32_t y, int32_t z) const {
        return (x * dims_[1] + y) * dims_[2] + z;
    }
    /// How far `p` stands outside cell `cell`, with margins for rounding; infinite when `p`
    /// is not finite.
    double Excursion(const LVector& p, int32_t cell) const;
    void LinkAway(int32_t k, int32_t cell);
    void UnlinkAway(int32_t k);
    bool Reserve(int32_t points, int32_t cells);
    void Empty();
    void Release();
    template <typename Visit> void VisitCell(int32_t cell, Visit& visit) const;

    LVector origin_;              ///< low corner of the grid
    double size_ = 1.0;           ///< cell edge length
    double inverse_ = 1.0;        ///< 1 / size_
    int32_t dims_[3] = {1, 1, 1}; ///< cells along x, y, z
    int32_t cells_ = 1;           ///< cells of the grid; the strays' list comes after them
    int32_t count_ = 0;           ///< points built over
    bool as_built_ = false;       ///< no Refile since the build
    bool hold_memory_ = false;    ///< take no memory (HoldMemory)

    // Home cells: the points of cell c are order_[start_[c]] to order_[start_[c + 1] - 1],
    // with -1 where a point has left.
    int32_t* start_ = nullptr; ///< cells_ + 2 entries
    int32_t* order_ = nullptr; ///< the points by home cell
    int32_t* slot_ = nullptr;  ///< each point's place in order_
    int32_t* home_ = nullptr;  ///< each point's home cell
    double drift_ = 0.0;       ///< how far outside its home cell a point at home may stand

    // Points away from home, listed by the cell they stand in, in ascending order.
    int32_t* away_head_ = nullptr; ///< cells_ + 1 entries, -1 when empty
    int32_t* away_next_ = nullptr; ///< next point in the same list, -1 at the end
    int32_t* away_cell_ = nullptr; ///< each point's list, or -1 while it is at home
    int32_t away_count_ = 0;

    int32_t point_capacity_ = 0;
    int32_t cell_capacity_ = 0;

    // The last query, kept while no point changes its place in the grid: terms that look at
    // the same place one after another share one search. The reach searched grows to the
    // largest asked for lately, so that terms with different radii share it too.
    unsigned long version_ = 0;
    CellGridQueries own_;              ///< the queries of a thread without a lane
    CellGridQueries* lanes_ = nullptr; ///< one per lane, at the head of the caller's block
    int32_t lane_count_ = 0;
    /// The calling thread's query state.
    CellGridQueries& Queries();
};

template <typename Visit> void CellGrid::VisitCell(int32_t cell, Visit& visit) const {
    for (int32_t i = start_[cell]; i < start_[cell + 1]; ++i) {
        if (order_[i] >= 0) visit(order_[i]);
    }
    if (away_count_ > 0) {
        for (int32_t k = away_head_[cell]; k >= 0; k = away_next_[k])
            visit(k);
    }
}

template <typename Visit>
bool CellGrid::VisitRing(const LVector& centre, int32_t ring, Visit visit) const {
    const int32_t c[3] = {CellCoordinate(centre.x, 0), CellCoordinate(centre.y, 1),
                          CellCoordinate(centre.z, 2)};
    int32_t lo[3], hi[3];
    bool beyond = false;
    for (int a = 0; a < 3; ++a) {
        lo[a] = c[a] - ring;
        hi[a] = c[a] + ring;
        if (lo[a] > 0 || hi[a] < dims_[a] - 1) beyond = true;
        if (lo[a] < 0) lo[a] = 0;
        if (hi[a] > dims_[a] - 1) hi[a] = dims_[a] - 1;
    }
    for (int32_t x = lo[0]; x <= hi[0]; ++x) {
        const bool x_edge = x == c[0] - ring || x == c[0] + ring;
        for (int32_t y = lo[1]; y <= hi[1]; ++y) {
            const bool edge = x_edge || y == c[1] - ring || y == c[1] + ring;
            // Inside the ring's shell only its two z faces belong to it.
            const int32_t step = edge || ring == 0 ? 1 : 2 * ring;
            for (int32_t z = edge ? lo[2] : c[2] - ring; z <= hi[2]; z += step) {
                if (z >= lo[2]) VisitCell(CellAt(x, y, z), visit);
            }
        }
    }
    return beyond;
}
