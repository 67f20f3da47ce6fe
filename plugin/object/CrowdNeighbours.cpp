#include "plugin/object/CrowdNeighbours.h"

#include "plugin/geometry/VectorMath.h"

#include <cmath>
#include <new>

namespace {

NeighbourSearch g_search = NeighbourSearch::Grid;

bool Finite(const LVector& v) {
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

// Whether a direction has a component other than 0 (a NaN counts as one).
bool Headed(const LVector& d) {
    return d.x != 0.0 || d.y != 0.0 || d.z != 0.0;
}

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
    global = nullptr;
    direction = nullptr;
    near_dist = nullptr;
    near_index = nullptr;
}

double CrowdNeighbours::NearReach(double distance, bool at_local) {
    double& widest = near_widest[at_local ? 1 : 0];
    widest = widest > 8.0 * distance ? distance : std::fmax(widest, distance);
    return widest;
}

bool CrowdNeighbours::HasNear(const LVector& centre, double reach, bool at_local) const {
    return near_valid && near_moves == moves && near_local == at_local && reach <= near_reach &&
           centre == near_centre;
}

// The squared distances are those the terms compute (p - q and q - p have the same square), and
// the bound on them keeps every agent whose rounded distance could be within the reach; a
// distance that is not a number is kept, since the terms decide what it counts for.
//
// The grid sifts the candidates as it finds them, and only the few kept are sorted and get
// their distances.
void CrowdNeighbours::KeepNear(const LVector& centre, double reach, bool at_local, CellGrid& grid,
                               double grid_reach) {
    const LVector* points = at_local ? local : global;
    const double beyond = reach * reach * (1.0 + 1e-12);
    double covered = 0.0;
    const int32_t n = grid.GatherWithin(centre, grid_reach, points, beyond, near_index, covered);
    grid.SortPoints(near_index, n);
    for (int32_t i = 0; i < n; ++i)
        near_dist[i] = std::sqrt((centre - points[near_index[i]]).GetSquaredLength());
    near_count = n;
    near_valid = true;
    near_local = at_local;
    near_centre = centre;
    near_reach = reach;
    near_moves = moves;
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

CrowdNeighbours* NeighbourIndex::Of(int32_t slot, const AgentArray& agents) {
    if (CurrentNeighbourSearch() != NeighbourSearch::Grid || slot < 0) return nullptr;
    if (slot >= slot_count_) {
        const int32_t count = slot + 1;
        // An array of pointers, so the size of one pointer is meant.
        CrowdNeighbours** slots = static_cast<CrowdNeighbours**>(
            GeAlloc(static_cast<size_t>(count) *
                    sizeof(CrowdNeighbours*))); // NOLINT(bugprone-sizeof-expression)
        if (slots == nullptr) return nullptr;
        for (int32_t i = 0; i < slot_count_; ++i)
            slots[i] = slots_[i];
        GeFreeBlock(slots_);
        slots_ = slots;
        slot_count_ = count;
    }
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
        data->near_dist = reinterpret_cast<double*>(block + records);
        data->near_index = reinterpret_cast<int32_t*>(data->near_dist + count);
        data->capacity = count;
    }
    ++data->moves;
    data->near_valid = false;
    data->count = count;
    data->headed = 0;
    const Agent_ID_Data* records = agents.GetArray();
    // Only a finite place: agents at one infinite place are NaN apart, which counts.
    data->together = count > 0 && Finite(records[0].global_mg.off);
    if (count > 0) data->together_at = records[0].global_mg.off;
    for (int32_t k = 0; k < count; ++k) {
        data->local[k] = records[k].mg.off;
        data->global[k] = records[k].global_mg.off;
        data->direction[k] = records[k].direction;
        data->headed += Headed(records[k].direction) ? 1 : 0;
        data->together = data->together && records[k].global_mg.off == data->together_at;
    }
    data->ready = true;
    data->local_ready = data->local_failed = false;
    data->global_ready = data->global_failed = false;
    return data;
}

CellGrid* NeighbourIndex::Grid(CrowdNeighbours& data, bool local) {
    bool& ready = local ? data.local_ready : data.global_ready;
    bool& failed = local ? data.local_failed : data.global_failed;
    CellGrid& grid = local ? data.local_grid : data.global_grid;
    if (ready) return &grid;
    if (failed) return nullptr;
    if (!grid.Build(local ? data.local : data.global, data.count)) {
        failed = true;
        return nullptr;
    }
    ready = true;
    return &grid;
}

void NeighbourIndex::Moved(int32_t slot, int32_t k, const Agent_ID_Data& agent) {
    if (slot < 0 || slot >= slot_count_) return;
    CrowdNeighbours* data = slots_[slot];
    if (data == nullptr || !data->ready || k < 0 || k >= data->count) return;
    ++data->moves;
    data->local[k] = agent.mg.off;
    data->global[k] = agent.global_mg.off;
    data->headed += (Headed(agent.direction) ? 1 : 0) - (Headed(data->direction[k]) ? 1 : 0);
    data->direction[k] = agent.direction;
    data->together = data->together && agent.global_mg.off == data->together_at;
    if (data->local_ready) data->local_grid.Refile(k, agent.mg.off);
    if (data->global_ready) data->global_grid.Refile(k, agent.global_mg.off);
}
