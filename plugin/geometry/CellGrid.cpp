#include "plugin/geometry/CellGrid.h"

#include "plugin/geometry/WorkerLane.h"
#include "plugin/hostapi/HostMemory.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <cstring>
#include <new>

namespace {

// The bounds come from a sample of at most this many points, which is plenty to place the
// bulk of a crowd.
constexpr int32_t kSamples = 1024;
// Points outside this share of the sample on either side of an axis do not widen the grid:
// a few stragglers far away would otherwise make every cell large. They live in the border
// cells.
constexpr double kStragglers = 0.01;
// The grid aims at this many points per cell: cells about as wide as the gaps between the
// points, so that a query's box holds few points beyond its reach.
constexpr double kPointsPerCell = 0.5;
// Extents are capped so that their products stay finite.
constexpr double kLargestExtent = 1e300;
// A query shares the search of one that reached up to this many times further.
constexpr double kWidestShare = 8.0;
// A point that moves further than this share of a cell outside its home cell leaves home.
constexpr double kMostDrift = 0.25;

bool Finite(const LVector& p) {
    return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z);
}

double Coordinate(const LVector& p, int axis) {
    return axis == 0 ? p.x : (axis == 1 ? p.y : p.z);
}

// Number of cells of edge `size` that cover the extents.
double CellsFor(const double extent[3], double size) {
    double cells = 1.0;
    for (int a = 0; a < 3; ++a)
        cells *= std::max(1.0, std::ceil(extent[a] / size));
    return cells;
}

// Insertion sort for lists that are almost in order, as a grid's cells give them; a list
// far from order goes to the general sort.
void SortAscending(int32_t* list, int32_t count) {
    int32_t descents = 0;
    for (int32_t i = 1; i < count; ++i)
        descents += list[i] < list[i - 1] ? 1 : 0;
    if (descents == 0) return;
    if (descents > 16) {
        std::sort(list, list + count);
        return;
    }
    for (int32_t i = 1; i < count; ++i) {
        const int32_t value = list[i];
        int32_t j = i;
        while (j > 0 && list[j - 1] > value) {
            list[j] = list[j - 1];
            --j;
        }
        list[j] = value;
    }
}

} // namespace

CellGrid::~CellGrid() {
    Release();
}

void CellGrid::Release() {
    GeFreeBlock(order_);
    GeFreeBlock(start_);
    slot_ = home_ = away_next_ = away_cell_ = own_.found = away_head_ = nullptr;
    own_.bits = nullptr;
    point_capacity_ = cell_capacity_ = 0;
    lanes_ = nullptr;
    lane_count_ = 0;
}

CellGridQueries& CellGrid::Queries() {
    const int32_t lane = CurrentLane();
    return lane >= 0 && lane < lane_count_ ? lanes_[lane] : own_;
}

// Each lane: its record, then its result list (one spare entry) and its bit set, as in the
// grid's own block.
size_t CellGrid::LaneBytes(int32_t points) {
    const size_t n = static_cast<size_t>(points < 0 ? 0 : points);
    const size_t head = (sizeof(CellGridQueries) + 7) / 8 * 8;
    return head + ((n + 2) * sizeof(int32_t) + 7) / 8 * 8 + (n / 64 + 2) * sizeof(uint64_t);
}

void CellGrid::UseLanes(void* block, int32_t count) {
    lanes_ = nullptr;
    lane_count_ = 0;
    if (block == nullptr || count <= 0) return;
    const size_t n = static_cast<size_t>(count_);
    const size_t head = (sizeof(CellGridQueries) + 7) / 8 * 8;
    const size_t found_bytes = ((n + 2) * sizeof(int32_t) + 7) / 8 * 8;
    const size_t bytes = LaneBytes(count_);
    // The records first, then each lane's buffers.
    auto* base = static_cast<unsigned char*>(block);
    lanes_ = reinterpret_cast<CellGridQueries*>(base);
    for (int32_t i = 0; i < count; ++i) {
        unsigned char* buffers = base + static_cast<size_t>(count) * head + i * (bytes - head);
        CellGridQueries* lane = ::new (static_cast<void*>(lanes_ + i)) CellGridQueries;
        lane->found = reinterpret_cast<int32_t*>(buffers);
        lane->bits = reinterpret_cast<uint64_t*>(buffers + found_bytes);
    }
    lane_count_ = count;
}

// Two blocks: one of six lists by point (the result list has one spare entry) and a bit set,
// one of two lists by cell.
bool CellGrid::ReserveFor(int32_t points) {
    return Reserve(points, std::max(1, static_cast<int32_t>(points / kPointsPerCell)));
}

bool CellGrid::Reserve(int32_t points, int32_t cells) {
    if (hold_memory_ && (points > point_capacity_ || cells > cell_capacity_)) return false;
    if (points > point_capacity_) {
        const size_t n = static_cast<size_t>(points);
        // The bit set that sorts a query's result: one bit per point, in whole words.
        const size_t words = n / 64 + 2;
        int32_t* block = static_cast<int32_t*>(
            GeAlloc((6 * n + 2) * sizeof(int32_t) + words * sizeof(uint64_t)));
        if (block == nullptr) return false;
        GeFreeBlock(order_);
        order_ = block;
        slot_ = block + n;
        home_ = block + 2 * n;
        away_next_ = block + 3 * n;
        away_cell_ = block + 4 * n;
        own_.found = block + 5 * n;
        // After six lists and the result's spare entry, on an even index: 8-byte aligned.
        own_.bits = reinterpret_cast<uint64_t*>(block + 6 * n + 2);
        point_capacity_ = points;
    }
    if (cells > cell_capacity_) {
        const size_t n = static_cast<size_t>(cells);
        int32_t* block = static_cast<int32_t*>(GeAlloc((2 * n + 3) * sizeof(int32_t)));
        if (block == nullptr) return false;
        GeFreeBlock(start_);
        start_ = block;
        away_head_ = block + n + 2;
        cell_capacity_ = cells;
    }
    return true;
}

// No points, no lanes and no query kept: what a build or a copy starts from.
void CellGrid::Empty() {
    count_ = 0;
    as_built_ = false;
    own_.Forget();
    lanes_ = nullptr;
    lane_count_ = 0;
    drift_ = 0.0;
    away_count_ = 0;
    ++version_;
}

// The grid covers the bulk of the points: on each axis, the range between the lowest and
// highest percent of a sample. Its cells are cubes whose size gives about two cells per point
// over that box, so the number of cells stays within twice the number of points; an axis along
// which the points do not spread (a crowd on the ground) gets one layer of cells.
bool CellGrid::Build(const LVector* points, int32_t count) {
    Empty();
    if (count < 1) return true;

    int32_t finite = 0;
    for (int32_t k = 0; k < count; ++k)
        finite += Finite(points[k]) ? 1 : 0;

    double lo[3] = {0.0, 0.0, 0.0};
    double extent[3] = {0.0, 0.0, 0.0};
    if (finite > 0) {
        const int32_t stride = finite > kSamples ? finite / kSamples : 1;
        double sample[kSamples];
        for (int a = 0; a < 3; ++a) {
            int32_t n = 0;
            int32_t seen = 0;
            for (int32_t k = 0; k < count && n < kSamples; ++k) {
                if (!Finite(points[k])) continue;
                if (seen++ % stride == 0) sample[n++] = Coordinate(points[k], a);
            }
            // At least one point is finite, so the sample holds at least one coordinate.
            assert(n > 0);
            if (n == 0) continue;
            const int32_t skip = static_cast<int32_t>(n * kStragglers);
            std::nth_element(sample, sample + skip, sample + n);
            const double low = sample[skip];
            std::nth_element(sample, sample + (n - 1 - skip), sample + n);
            const double high = sample[n - 1 - skip];
            lo[a] = low;
            extent[a] = std::min(high - low, kLargestExtent);
            if (!(extent[a] >= 0.0)) extent[a] = kLargestExtent;
        }
    }

    const double wanted = std::max(1.0, std::floor(finite / kPointsPerCell));
    const double widest = std::max(extent[0], std::max(extent[1], extent[2]));
    double size = 1.0;
    if (widest > 0.0) {
        // The smallest size whose cells number no more than wanted, found by bisection
        // between a size that surely gives too many and one that gives a single cell.
        double fine = widest / (wanted + 1.0);
        double coarse = widest;
        for (int i = 0; i < 64 && coarse - fine > coarse * 1e-6; ++i) {
            const double middle = 0.5 * (fine + coarse);
            if (CellsFor(extent, middle) <= wanted) {
                coarse = middle;
            } else {
                fine = middle;
            }
        }
        size = coarse;
    }
    int32_t cells = 1;
    for (int a = 0; a < 3; ++a) {
        const double along = std::max(1.0, std::ceil(extent[a] / size));
        dims_[a] = static_cast<int32_t>(along);
        cells *= dims_[a];
    }
    // Room for the most cells any build over this many points can ask for, so that later
    // frames reuse the memory of the first.
    if (!Reserve(count, std::max(cells, static_cast<int32_t>(count / kPointsPerCell))))
        return false;

    origin_ = LVector(lo[0], lo[1], lo[2]);
    size_ = size;
    inverse_ = 1.0 / size;
    cells_ = cells;
    count_ = count;

    // List the points cell by cell (the strays' list last), each cell in ascending order.
    std::memset(start_, 0, static_cast<size_t>(cells + 2) * sizeof(int32_t));
    for (int32_t k = 0; k < count; ++k) {
        home_[k] = CellOf(points[k]);
        ++start_[home_[k] + 1];
    }
    for (int32_t c = 0; c <= cells; ++c)
        start_[c + 1] += start_[c];
    int32_t* fill = away_head_;
    std::memcpy(fill, start_, static_cast<size_t>(cells + 1) * sizeof(int32_t));
    for (int32_t k = 0; k < count; ++k) {
        const int32_t slot = fill[home_[k]]++;
        order_[slot] = k;
        slot_[k] = slot;
        away_next_[k] = -1;
        away_cell_[k] = -1;
    }
    for (int32_t c = 0; c <= cells; ++c)
        away_head_[c] = -1;
    as_built_ = true;
    return true;
}

bool CellGrid::CopyFrom(const CellGrid& other) {
    Empty();
    if (other.count_ < 1) return true;
    const int32_t count = other.count_;
    if (!Reserve(count, std::max(other.cells_, static_cast<int32_t>(count / kPointsPerCell))))
        return false;
    origin_ = other.origin_;
    size_ = other.size_;
    inverse_ = other.inverse_;
    for (int a = 0; a < 3; ++a)
        dims_[a] = other.dims_[a];
    cells_ = other.cells_;
    count_ = count;
    drift_ = other.drift_;
    away_count_ = other.away_count_;
    as_built_ = other.as_built_;
    const size_t points = static_cast<size_t>(count) * sizeof(int32_t);
    std::memcpy(start_, other.start_, static_cast<size_t>(cells_ + 2) * sizeof(int32_t));
    std::memcpy(order_, other.order_, points);
    std::memcpy(slot_, other.slot_, points);
    std::memcpy(home_, other.home_, points);
    std::memcpy(away_next_, other.away_next_, points);
    std::memcpy(away_cell_, other.away_cell_, points);
    std::memcpy(away_head_, other.away_head_, static_cast<size_t>(cells_ + 1) * sizeof(int32_t));
    return true;
}

int32_t CellGrid::CellCoordinate(double x, int axis) const {
    const double u = (x - Coordinate(origin_, axis)) * inverse_;
    if (!(u >= 0.0)) return 0;
    if (u >= static_cast<double>(dims_[axis])) return dims_[axis] - 1;
    return static_cast<int32_t>(u);
}

int32_t CellGrid::CellOf(const LVector& p) const {
    if (!Finite(p)) return cells_;
    return CellAt(CellCoordinate(p.x, 0), CellCoordinate(p.y, 1), CellCoordinate(p.z, 2));
}

// The cell's box, shrunk by a margin that keeps the cell coordinate of every point inside it
// from rounding into a neighbouring cell, and open towards the outside at the grid's border,
// where the cells take in everything beyond.
double CellGrid::Excursion(const LVector& p, int32_t cell) const {
    if (!Finite(p)) return HUGE_VAL;
    const int32_t index[3] = {cell / (dims_[1] * dims_[2]), (cell / dims_[2]) % dims_[1],
                              cell % dims_[2]};
    double excursion = 0.0;
    for (int a = 0; a < 3; ++a) {
        const double o = Coordinate(origin_, a);
        const double margin = 1e-9 * (std::fabs(o) + size_ * (dims_[a] + 1));
        const double x = Coordinate(p, a);
        if (index[a] > 0) excursion = std::max(excursion, o + index[a] * size_ + margin - x);
        if (index[a] < dims_[a] - 1)
            excursion = std::max(excursion, x - (o + (index[a] + 1) * size_ - margin));
    }
    return excursion;
}

void CellGrid::LinkAway(int32_t k, int32_t cell) {
    away_cell_[k] = cell;
    if (away_head_[cell] < 0 || away_head_[cell] > k) {
        away_next_[k] = away_head_[cell];
        away_head_[cell] = k;
        return;
    }
    int32_t before = away_head_[cell];
    while (away_next_[before] >= 0 && away_next_[before] < k)
        before = away_next_[before];
    away_next_[k] = away_next_[before];
    away_next_[before] = k;
}

void CellGrid::UnlinkAway(int32_t k) {
    const int32_t cell = away_cell_[k];
    if (away_head_[cell] == k) {
        away_head_[cell] = away_next_[k];
    } else {
        int32_t before = away_head_[cell];
        while (away_next_[before] != k)
            before = away_next_[before];
        away_next_[before] = away_next_[k];
    }
    away_next_[k] = -1;
}

void CellGrid::Refile(int32_t k, const LVector& p) {
    if (k < 0 || k >= count_) return;
    as_built_ = false;
    if (away_cell_[k] >= 0) {
        const int32_t cell = CellOf(p);
        if (cell == away_cell_[k]) return;
        UnlinkAway(k);
        LinkAway(k, cell);
        ++version_;
        return;
    }
    const int32_t home = home_[k];
    if (home == cells_ && !Finite(p)) return;
    const double excursion = home == cells_ ? HUGE_VAL : Excursion(p, home);
    if (excursion <= drift_) return;
    ++version_;
    if (excursion <= kMostDrift * size_) {
        drift_ = excursion;
        return;
    }
    order_[slot_[k]] = -1;
    LinkAway(k, CellOf(p));
    ++away_count_;
}

const int32_t* CellGrid::Around(const LVector& centre, double reach, int32_t& count,
                                double& covered) {
    int32_t* found = const_cast<int32_t*>(Gather(centre, reach, count, covered));
    CellGridQueries& q = Queries();
    if (!q.found_sorted) {
        SortPoints(found, count);
        q.found_sorted = true;
    }
    return found;
}

// The search widens to the widest reach asked for lately, so that terms with different radii
// share it; a reach far below that (after one far-reaching query, from a group seen through a
// shrinking transform, say) starts afresh instead of paying for it.
template <typename Run, typename One>
double CellGrid::Collect(const LVector& centre, double reach, bool& everything, Run run, One one) {
    double& widest = Queries().widest_reach;
    widest = widest > kWidestShare * reach ? reach : std::max(widest, reach);
    const double wide = widest;
    // Points at home may stand up to the drift outside their home cells.
    const double home_wide = wide + drift_ * (1.0 + 1e-9) + 1e-9 * size_;
    int32_t lo[3], hi[3], away_lo[3], away_hi[3];
    // A centre without a place (not finite) or an unbounded reach takes every point.
    everything = !(Finite(centre) && std::isfinite(home_wide));
    for (int a = 0; a < 3 && !everything; ++a) {
        const double x = Coordinate(centre, a);
        lo[a] = CellCoordinate(x - home_wide, a);
        hi[a] = CellCoordinate(x + home_wide, a);
        away_lo[a] = CellCoordinate(x - wide, a);
        away_hi[a] = CellCoordinate(x + wide, a);
    }
    if (!everything) {
        everything = true;
        for (int a = 0; a < 3; ++a)
            everything = everything && lo[a] == 0 && hi[a] == dims_[a] - 1;
    }
    // Every point is taken: nothing lies outside, however far.
    if (everything) return HUGE_VAL;
    // A row of cells along z is one run of the list; points that left are marked -1.
    for (int32_t x = lo[0]; x <= hi[0]; ++x) {
        for (int32_t y = lo[1]; y <= hi[1]; ++y)
            run(start_[CellAt(x, y, lo[2])], start_[CellAt(x, y, hi[2]) + 1]);
    }
    run(start_[cells_], start_[cells_ + 1]);
    if (away_count_ > 0) {
        for (int32_t x = away_lo[0]; x <= away_hi[0]; ++x) {
            for (int32_t y = away_lo[1]; y <= away_hi[1]; ++y) {
                for (int32_t z = away_lo[2]; z <= away_hi[2]; ++z) {
                    for (int32_t k = away_head_[CellAt(x, y, z)]; k >= 0; k = away_next_[k])
                        one(k);
                }
            }
        }
        for (int32_t k = away_head_[cells_]; k >= 0; k = away_next_[k])
            one(k);
    }
    return wide;
}

const int32_t* CellGrid::Gather(const LVector& centre, double reach, int32_t& count,
                                double& covered) {
    CellGridQueries& q = Queries();
    int32_t* const found = q.found;
    if (q.found_version == version_ && reach <= q.found_reach && centre == q.found_centre) {
        count = q.found_count;
        covered = q.found_reach;
        return found;
    }
    int32_t n = 0;
    bool everything = false;
    const double wide = Collect(
        centre, reach, everything,
        [&](int32_t from, int32_t to) {
            for (int32_t i = from; i < to; ++i) {
                const int32_t k = order_[i];
                found[n] = k;
                n += k >= 0 ? 1 : 0;
            }
        },
        [&](int32_t k) { found[n++] = k; });
    if (everything) {
        for (int32_t k = 0; k < count_; ++k)
            found[n++] = k;
    }
    q.found_sorted = everything;
    q.found_version = version_;
    q.found_centre = centre;
    q.found_reach = wide;
    q.found_count = n;
    count = n;
    covered = wide;
    return found;
}

// Which of the points lie within reach is hard to foresee, so they are sifted without
// branches: each is written out and kept or overwritten by the next.
int32_t CellGrid::GatherWithin(const LVector& centre, double reach, const LVector* points,
                               double beyond, int32_t* out, double& covered) {
    int32_t n = 0;
    const auto keep = [&](int32_t k) {
        const double squared = (centre - points[k]).GetSquaredLength();
        out[n] = k;
        n += squared > beyond ? 0 : 1;
    };
    bool everything = false;
    covered = Collect(
        centre, reach, everything,
        [&](int32_t from, int32_t to) {
            for (int32_t i = from; i < to; ++i) {
                const int32_t k = order_[i];
                if (k >= 0) keep(k);
            }
        },
        keep);
    if (everything) {
        for (int32_t k = 0; k < count_; ++k)
            keep(k);
    }
    return n;
}

// The points of a query come cell by cell; their numbers mostly lie close together (a crew
// is laid out row by row), so a bit set over the range they span sorts them in two passes.
// When they spread too wide for that, they are sorted the usual way.
void CellGrid::SortPoints(int32_t* list, int32_t n) {
    if (n < 2) return;
    int32_t low = list[0], high = list[0];
    for (int32_t i = 1; i < n; ++i) {
        low = std::min(low, list[i]);
        high = std::max(high, list[i]);
    }
    const int32_t words = (high - low) / 64 + 1;
    if (words > 4 * n + 16) {
        SortAscending(list, n);
        return;
    }
    uint64_t* const bits = Queries().bits;
    std::memset(bits, 0, static_cast<size_t>(words) * sizeof(uint64_t));
    for (int32_t i = 0; i < n; ++i) {
        const int32_t at = list[i] - low;
        bits[at / 64] |= uint64_t(1) << (at % 64);
    }
    int32_t out = 0;
    for (int32_t w = 0; w < words; ++w) {
        for (uint64_t word = bits[w]; word != 0; word &= word - 1)
            list[out++] = low + w * 64 + __builtin_ctzll(word);
    }
}

// A point at home in a cell more than `ring` cells away from the centre's cell along some
// axis has a computed cell coordinate more than `ring` above (or below) the centre's, so it
// lies at least ring cell sizes away along that axis, less the drift; a point away from home
// is listed by the cell it stands in. The margins cover the rounding of cell coordinates.
double CellGrid::RingClearance(const LVector& centre, int32_t ring) const {
    double offset = 0.0;
    for (int a = 0; a < 3; ++a)
        offset = std::max(offset, std::fabs(Coordinate(centre, a) - Coordinate(origin_, a)));
    return ring * size_ * (1.0 - 1e-9) - 1e-9 * (offset + size_) - drift_ * (1.0 + 1e-9) -
           1e-9 * size_;
}
