#include "plugin/object/CrowdNeighbours.h"

#include "plugin/geometry/VectorMath.h"
#include "plugin/geometry/WorkerLane.h"
#include "plugin/hostapi/HostJobs.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <cstring>
#include <new>

namespace {

NeighbourSearch g_search = NeighbourSearch::Grid;

bool Finite(const LVector& v) {
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

// How many records ahead a walk over a group's records asks for their lines.
constexpr int32_t kRecordsAhead = 16;

// Whether two places are the same bit for bit (a NaN and -0 included).
bool SamePlace(const LVector& a, const LVector& b) {
    const auto bits = [](double x) {
        uint64_t u;
        std::memcpy(&u, &x, sizeof u);
        return u;
    };
    return ((bits(a.x) ^ bits(b.x)) | (bits(a.y) ^ bits(b.y)) | (bits(a.z) ^ bits(b.z))) == 0;
}

// Whether a direction has a component other than 0 (a NaN counts as one).
bool Headed(const LVector& d) {
    return d.x != 0.0 || d.y != 0.0 || d.z != 0.0;
}

// The copy of a group's records on the host's threads: in shares of at least this many
// records, at most kMostCopyShares of them.
constexpr int32_t kFewestCopied = 4096;
constexpr int32_t kMostCopyShares = 32;

// The copy of a group's records into the places and directions of its neighbour data, in
// shares of consecutive records; each share finds on its own what the data keeps of them all.
struct RecordCopy {
    struct Found {
        int32_t headed = 0;      ///< directions other than (0, 0, 0)
        bool same_places = true; ///< every global place is the local place, bit for bit
        bool together = true;    ///< every global place is `together_at`
    };
    const Agent_ID_Data* records;
    int32_t count;
    int32_t share; ///< records per share
    LVector* local;
    LVector* global;
    LVector* direction;
    LVector together_at;
    Found found[kMostCopyShares];

    // The records lie far apart, each on lines of its own: asking for the lines of one some
    // records ahead lets the memory work while this one is copied.
    void Copy(int32_t s) {
        const int32_t first = s * share;
        const int32_t end = count - first > share ? first + share : count;
        Found f;
        // Kept in locals: the stores through the copies could otherwise be this copy's fields.
        LVector* to_local = local;
        LVector* to_global = global;
        LVector* to_direction = direction;
        for (int32_t k = first; k < end; ++k) {
            if (k + kRecordsAhead < end) {
                __builtin_prefetch(&records[k + kRecordsAhead].mg.off);
                __builtin_prefetch(&records[k + kRecordsAhead].global_mg.off);
                __builtin_prefetch(&records[k + kRecordsAhead].direction);
            }
            const Agent_ID_Data& record = records[k];
            to_local[k] = record.mg.off;
            to_global[k] = record.global_mg.off;
            to_direction[k] = record.direction;
            f.same_places = f.same_places && SamePlace(record.mg.off, record.global_mg.off);
            f.headed += Headed(record.direction) ? 1 : 0;
            f.together = f.together && record.global_mg.off == together_at;
        }
        found[s] = f;
    }
};

} // namespace

NeighbourSearch CurrentNeighbourSearch() {
    return g_search;
}

bool SetNeighbourSearch(int32_t value) {
    if (value != static_cast<int32_t>(NeighbourSearch::Grid) &&
        value != static_cast<int32_t>(NeighbourSearch::AllPairs)) {
        return false;
    }
    g_search = static_cast<NeighbourSearch>(value);
    return true;
}

CrowdNeighbours::~CrowdNeighbours() {
    GeFreeBlock(local);
    GeFreeBlock(lanes);
    global = nullptr;
    direction = nullptr;
}

NearList& CrowdNeighbours::Near() {
    const int32_t lane = CurrentLane();
    return lane >= 0 && lane < lane_count ? lanes[lane] : own_near;
}

const NearList& CrowdNeighbours::Near() const {
    const int32_t lane = CurrentLane();
    return lane >= 0 && lane < lane_count ? lanes[lane] : own_near;
}

double CrowdNeighbours::NearReach(double distance, bool at_local) {
    double& widest = Near().widest[at_local ? 1 : 0];
    widest = widest > 8.0 * distance ? distance : std::fmax(widest, distance);
    return widest;
}

bool CrowdNeighbours::HasNear(const LVector& centre, double reach, bool at_local) const {
    const NearList& near = Near();
    return near.valid && near.moves == Moves(at_local) && near.local == at_local &&
           reach <= near.reach && centre == near.centre;
}

// The squared distances are those the terms compute (p - q and q - p have the same square), and
// the bound on them keeps every agent whose rounded distance could be within the reach; a
// distance that is not a number is kept, since the terms decide what it counts for.
//
// The grid sifts the candidates as it finds them, and only the few kept are sorted and get
// their distances.
void CrowdNeighbours::KeepNear(const LVector& centre, double reach, bool at_local, CellGrid& grid,
                               double grid_reach, int32_t self) {
    NearList& near = Near();
    const LVector* points = at_local ? local : global;
    const double beyond = reach * reach * (1.0 + 1e-12);
    int32_t listed = 0;
    const int32_t* made = nullptr;
    if (ahead != nullptr) {
        made = at_local ? ahead->List(self, centre, reach, listed)
                        : ahead->GlobalList(self, centre, reach, listed);
    }
    int32_t n = 0;
    if (made != nullptr) {
        // The same test as the grid's, on every agent that may be within the reach, in order;
        // the squares kept become the distances.
        for (int32_t i = 0; i < listed; ++i) {
            const int32_t k = made[i];
            const double squared = (centre - points[k]).GetSquaredLength();
            near.index[n] = k;
            near.dist[n] = squared;
            n += squared > beyond ? 0 : 1;
        }
    } else {
        double covered = 0.0;
        n = grid.GatherWithin(centre, grid_reach, points, beyond, near.index, covered);
        grid.SortPoints(near.index, n);
        for (int32_t i = 0; i < n; ++i)
            near.dist[i] = (centre - points[near.index[i]]).GetSquaredLength();
    }
    SquareRoots(near.dist, n);
    near.count = n;
    near.valid = true;
    near.local = at_local;
    near.centre = centre;
    near.reach = reach;
    near.moves = Moves(at_local);
}

NeighbourIndex::~NeighbourIndex() {
    Free();
}

void NeighbourIndex::Free() {
    for (int32_t i = 0; i < slot_count_; ++i)
        delete slots_[i];
    GeFreeBlock(slots_);
    slot_count_ = 0;
}

void NeighbourIndex::BeginFrame() {
    for (int32_t i = 0; i < slot_count_; ++i) {
        if (CrowdNeighbours* data = slots_[i]) {
            data->ready = data->failed = false;
            data->local_ready = data->local_failed = false;
            data->global_ready = data->global_failed = false;
        }
    }
}

bool NeighbourIndex::ReserveSlots(int32_t count) {
    if (count <= slot_count_) return true;
    // An array of pointers, so the size of one pointer is meant.
    CrowdNeighbours** slots = static_cast<CrowdNeighbours**>(
        GeAlloc(static_cast<size_t>(count) *
                sizeof(CrowdNeighbours*))); // NOLINT(bugprone-sizeof-expression)
    if (slots == nullptr) return false;
    for (int32_t i = 0; i < slot_count_; ++i)
        slots[i] = slots_[i];
    GeFreeBlock(slots_);
    slots_ = slots;
    slot_count_ = count;
    return true;
}

CrowdNeighbours* NeighbourIndex::Of(int32_t slot, const AgentArray& agents) {
    if (CurrentNeighbourSearch() != NeighbourSearch::Grid || slot < 0) return nullptr;
    if (!ReserveSlots(slot + 1)) return nullptr;
    CrowdNeighbours*& data = slots_[slot];
    if (data == nullptr) {
        data = new (std::nothrow) CrowdNeighbours;
        if (data == nullptr) return nullptr;
    }
    const int32_t count = agents.GetCount();
    if (data->failed) return nullptr;
    if (data->ready && data->count == count) return data;

    if (count > data->capacity) {
        // One block: the three copies, then the near list's distances and agents.
        const size_t records = static_cast<size_t>(count) * 3;
        LVector* block = static_cast<LVector*>(
            GeAlloc(records * sizeof(LVector) +
                    static_cast<size_t>(count) * (sizeof(double) + sizeof(int32_t))));
        if (block == nullptr) {
            data->failed = true;
            return nullptr;
        }
        for (size_t i = 0; i < records; ++i)
            ::new (static_cast<void*>(block + i)) LVector();
        GeFreeBlock(data->local);
        data->local = block;
        data->global = block + count;
        data->direction = block + 2 * static_cast<size_t>(count);
        data->own_near.dist = reinterpret_cast<double*>(block + records);
        data->own_near.index = reinterpret_cast<int32_t*>(data->own_near.dist + count);
        data->capacity = count;
    }
    ++data->global_moves;
    ++data->local_moves;
    data->own_near.valid = false;
    data->count = count;
    // Only a finite place: agents at one infinite place are NaN apart, which counts.
    RecordCopy copy;
    copy.records = agents.GetArray();
    copy.count = count;
    copy.local = data->local;
    copy.global = data->global;
    copy.direction = data->direction;
    copy.together_at = count > 0 ? copy.records[0].global_mg.off : LVector();
    // On the host's threads where the group is large enough to give each a share worth it.
    int32_t shares = 1;
    if (count >= 2 * kFewestCopied && HostJobs::ThreadCount() > 1)
        shares = std::min(kMostCopyShares, count / kFewestCopied);
    copy.share = (count + shares - 1) / shares;
    shares = count > 0 ? (count + copy.share - 1) / copy.share : 0;
    if (shares > 1) {
        // The shares read the records, write the copies and call no host.
        auto share = [&copy](int32_t first, int32_t end) {
            for (int32_t s = first; s < end; ++s)
                copy.Copy(s);
        };
        HostJobs::ParallelFor(shares, 1, share);
    } else if (shares == 1) {
        copy.Copy(0);
    }
    bool together = count > 0 && Finite(copy.together_at);
    bool same_places = true;
    int32_t headed = 0;
    for (int32_t s = 0; s < shares; ++s) {
        together = together && copy.found[s].together;
        same_places = same_places && copy.found[s].same_places;
        headed += copy.found[s].headed;
    }
    const LVector together_at = copy.together_at;
    data->headed = headed;
    data->together = together;
    data->together_at = together_at;
    data->same_places = same_places;
    data->ready = true;
    data->local_ready = data->local_failed = false;
    data->global_ready = data->global_failed = false;
    return data;
}

// A copy of `twin` where that is a grid over the same places as they stand, which costs less
// than a build; else a build. The grid is then ready, or failed when memory was short.
bool NeighbourIndex::MakeGrid(CrowdNeighbours& data, bool local, const CellGrid* twin) {
    CellGrid& grid = local ? data.local_grid : data.global_grid;
    const bool made = twin != nullptr && twin->AsBuilt() && twin->GetCount() == data.count
                          ? grid.CopyFrom(*twin)
                          : grid.Build(local ? data.local : data.global, data.count);
    (local ? data.local_ready : data.global_ready) = made;
    (local ? data.local_failed : data.global_failed) = !made;
    return made;
}

CellGrid* NeighbourIndex::Grid(CrowdNeighbours& data, bool local) {
    CellGrid& grid = local ? data.local_grid : data.global_grid;
    if (local ? data.local_ready : data.global_ready) return &grid;
    if (local ? data.local_failed : data.global_failed) return nullptr;
    // Where the two copies are the same places, a grid over the one is a grid over the other.
    const CellGrid* twin = nullptr;
    if (data.same_places) {
        if (local && data.global_ready) twin = &data.global_grid;
        if (!local && data.local_ready) twin = &data.local_grid;
    }
    return MakeGrid(data, local, twin) ? &grid : nullptr;
}

void NeighbourIndex::Moved(int32_t slot, int32_t k, const Agent_ID_Data& agent) {
    if (slot < 0 || slot >= slot_count_) return;
    CrowdNeighbours* data = slots_[slot];
    if (data == nullptr || !data->ready || k < 0 || k >= data->count) return;
    ++data->global_moves;
    ++data->local_moves;
    data->local[k] = agent.mg.off;
    data->global[k] = agent.global_mg.off;
    data->same_places = data->same_places && SamePlace(agent.mg.off, agent.global_mg.off);
    data->headed += (Headed(agent.direction) ? 1 : 0) - (Headed(data->direction[k]) ? 1 : 0);
    data->direction[k] = agent.direction;
    data->together = data->together && agent.global_mg.off == data->together_at;
    if (data->local_ready) data->local_grid.Refile(k, agent.mg.off);
    if (data->global_ready) data->global_grid.Refile(k, agent.global_mg.off);
}

void NeighbourIndex::MovedLocally(int32_t slot, int32_t k, const Agent_ID_Data& agent) {
    if (slot < 0 || slot >= slot_count_) return;
    CrowdNeighbours* data = slots_[slot];
    if (data == nullptr || !data->ready || k < 0 || k >= data->count) return;
    assert(std::memcmp(&data->global[k], &agent.global_mg.off, sizeof(LVector)) == 0 &&
           std::memcmp(&data->direction[k], &agent.direction, sizeof(LVector)) == 0);
    ++data->local_moves;
    data->local[k] = agent.mg.off;
    if (data->same_places && !SamePlace(agent.mg.off, data->global[k])) data->same_places = false;
    if (data->local_ready) data->local_grid.Refile(k, agent.mg.off);
}

void NeighbourIndex::KeepGuesses(int32_t slot, double reach, double move) {
    if (slot < 0 || slot >= slot_count_ || slots_[slot] == nullptr) return;
    slots_[slot]->guessed_reach = reach;
    slots_[slot]->guessed_move = move;
}

bool NeighbourIndex::Guesses(int32_t slot, double& reach, double& move) const {
    if (slot < 0 || slot >= slot_count_ || slots_[slot] == nullptr) return false;
    reach = slots_[slot]->guessed_reach;
    move = slots_[slot]->guessed_move;
    return reach >= 0.0 && move >= 0.0 && std::isfinite(reach) && std::isfinite(move);
}

const LVector* NeighbourIndex::LocalPlaces(int32_t slot) const {
    if (slot < 0 || slot >= slot_count_ || slots_[slot] == nullptr || !slots_[slot]->ready)
        return nullptr;
    return slots_[slot]->local;
}

const CellGrid* NeighbourIndex::LocalGrid(int32_t slot) const {
    if (slot < 0 || slot >= slot_count_ || slots_[slot] == nullptr || !slots_[slot]->ready ||
        !slots_[slot]->local_ready) {
        return nullptr;
    }
    return &slots_[slot]->local_grid;
}

bool NeighbourIndex::SamePlaces(int32_t slot) const {
    return slot >= 0 && slot < slot_count_ && slots_[slot] != nullptr && slots_[slot]->ready &&
           slots_[slot]->same_places;
}

void NeighbourIndex::UseNearAhead(int32_t slot, const NearAhead* ahead) {
    if (slot >= 0 && slot < slot_count_ && slots_[slot] != nullptr) slots_[slot]->ahead = ahead;
}

// One block per group for the lanes: their near lists, each list's buffers, then the buffers
// of both grids' lanes. The grids get their lanes after they are built, since a build takes
// them away.
bool NeighbourIndex::PrepareLanes(int32_t slot, const AgentArray& agents, int32_t lanes) {
    CrowdNeighbours* data = Of(slot, agents);
    if (data == nullptr || lanes < 1) return false;
    const int32_t count = data->count;
    if (!data->local_grid.ReserveFor(count) || !data->global_grid.ReserveFor(count)) return false;
    const size_t list_bytes = static_cast<size_t>(count) * (sizeof(double) + sizeof(int32_t));
    const size_t head = (sizeof(NearList) + 7) / 8 * 8;
    const size_t lane_bytes = head + (list_bytes + 7) / 8 * 8;
    const size_t grid_bytes = CellGrid::LaneBytes(count);
    if (data->lanes == nullptr || data->lane_count != lanes || data->lane_capacity < count) {
        data->local_grid.UseLanes(nullptr, 0);
        data->global_grid.UseLanes(nullptr, 0);
        GeFreeBlock(data->lanes);
        data->lanes = nullptr;
        data->grid_lanes = nullptr;
        data->lane_count = 0;
        data->lane_capacity = 0;
        const size_t lane_count = static_cast<size_t>(lanes);
        void* block = GeAlloc(lane_count * (lane_bytes + 2 * grid_bytes));
        if (block == nullptr) return false;
        data->lanes = static_cast<NearList*>(block);
        data->lane_count = lanes;
        data->lane_capacity = count;
    }
    auto* base = reinterpret_cast<unsigned char*>(data->lanes);
    const size_t lane_count = static_cast<size_t>(lanes);
    for (size_t i = 0; i < lane_count; ++i) {
        unsigned char* buffers = base + lane_count * head + i * (lane_bytes - head);
        NearList* near = ::new (static_cast<void*>(data->lanes + i)) NearList;
        near->dist = reinterpret_cast<double*>(buffers);
        near->index = reinterpret_cast<int32_t*>(near->dist + count);
    }
    data->grid_lanes = base + lane_count * lane_bytes;
    return true;
}

// A grid built earlier in the frame (another group looked at this one) is kept as it is.
bool NeighbourIndex::BuildForLanes(int32_t slot, bool local, const CellGrid* twin) {
    if (slot < 0 || slot >= slot_count_ || slots_[slot] == nullptr) return false;
    CrowdNeighbours& data = *slots_[slot];
    if (!data.ready || data.grid_lanes == nullptr) return false;
    const bool& ready = local ? data.local_ready : data.global_ready;
    const bool& failed = local ? data.local_failed : data.global_failed;
    CellGrid& grid = local ? data.local_grid : data.global_grid;
    if (!ready && !failed) {
        grid.HoldMemory(true);
        MakeGrid(data, local, twin);
        grid.HoldMemory(false);
    }
    if (!ready) return false;
    const size_t grid_bytes = CellGrid::LaneBytes(data.lane_capacity);
    grid.UseLanes(data.grid_lanes + (local ? 0 : static_cast<size_t>(data.lane_count) * grid_bytes),
                  data.lane_count);
    return true;
}
