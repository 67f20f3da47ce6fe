#include "plugin/object/NearAhead.h"

#include "plugin/geometry/WorkerLane.h"
#include "plugin/hostapi/HostMemory.h"

#include <cmath>
#include <cstring>
#include <new>

namespace {

bool Finite(const LVector& v) {
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

} // namespace

NearAhead::~NearAhead() {
    Free();
}

void NearAhead::Free() {
    End();
    grid_.UseLanes(nullptr, 0);
    GeFree(grid_lanes_);
    GeFree(block_);
    places_ = nullptr;
    lists_ = listed_n_ = scratch_ = nullptr;
    capacity_ = 0;
    lanes_ = 0;
}

void NearAhead::End() {
    active_ = false;
    grid_built_ = false;
    globals_same_ = false;
    usable_ = false;
    current_ = -1;
}

// One block: the places, the lists, their lengths and the lanes' scratch lists; the grid's
// lanes in a second.
bool NearAhead::Reserve(int32_t count, int32_t lanes) {
    if (count <= capacity_ && lanes <= lanes_) return true;
    Free();
    const size_t n = static_cast<size_t>(count);
    const size_t lists = n * kMostListed + n + (static_cast<size_t>(lanes) + 1) * n;
    void* block = GeAlloc(n * sizeof(LVector) + lists * sizeof(int32_t));
    if (block == nullptr) return false;
    void* grid_lanes = GeAlloc(static_cast<size_t>(lanes) * CellGrid::LaneBytes(count));
    if (grid_lanes == nullptr) {
        GeFree(block);
        return false;
    }
    block_ = block;
    grid_lanes_ = grid_lanes;
    places_ = static_cast<LVector*>(block);
    for (size_t i = 0; i < n; ++i)
        ::new (static_cast<void*>(places_ + i)) LVector();
    lists_ = reinterpret_cast<int32_t*>(places_ + n);
    listed_n_ = lists_ + n * kMostListed;
    scratch_ = listed_n_ + n;
    capacity_ = count;
    lanes_ = lanes;
    return true;
}

bool NearAhead::Begin(const LVector* places, int32_t count, double reach, double move,
                      int32_t lanes) {
    End();
    if (places == nullptr || count < 1 || lanes < 1 || !(reach >= 0.0) || !std::isfinite(reach) ||
        !(move >= 0.0) || !std::isfinite(move) || !Reserve(count, lanes)) {
        return false;
    }
    double farthest = 0.0;
    for (int32_t k = 0; k < count; ++k) {
        const LVector& p = places[k];
        places_[k] = p;
        if (Finite(p)) {
            farthest = std::fmax(
                farthest, std::fmax(std::fabs(p.x), std::fmax(std::fabs(p.y), std::fabs(p.z))));
        }
    }
    if (!grid_.ReserveFor(count)) return false;
    // The margins cover the rounding of the distances here, in the check of the moves and in
    // the near lists.
    listed_ = (reach + move) * (1.0 + 1e-6) + 1e-9 * farthest + 1e-9;
    if (!std::isfinite(listed_)) return false;
    reach_ = reach;
    move_ = move;
    count_ = count;
    lanes_in_use_ = lanes;
    current_ = -1;
    usable_ = true;
    active_ = true;
    return true;
}

bool NearAhead::BuildGrid() {
    if (!active_) return false;
    grid_.HoldMemory(true);
    grid_built_ = grid_.Build(places_, count_);
    grid_.HoldMemory(false);
    if (!grid_built_) {
        End();
        return false;
    }
    grid_.UseLanes(grid_lanes_, lanes_in_use_);
    return true;
}

void NearAhead::Fill(int32_t first, int32_t end) {
    const int32_t lane = CurrentLane();
    const bool own_scratch = grid_built_ && lane >= -1 && lane < lanes_;
    int32_t* scratch = scratch_ + static_cast<size_t>(lane + 1) * capacity_;
    const double beyond = listed_ * listed_;
    for (int32_t k = first; k < end; ++k) {
        listed_n_[k] = -1;
        // An agent without a finite place has no near list: its terms scan.
        if (!own_scratch || !Finite(places_[k])) continue;
        double covered = 0.0;
        const int32_t n =
            grid_.GatherWithin(places_[k], listed_, places_, beyond, scratch, covered);
        if (n > kMostListed) continue;
        grid_.SortPoints(scratch, n);
        int32_t* list = lists_ + static_cast<size_t>(k) * kMostListed;
        for (int32_t i = 0; i < n; ++i)
            list[i] = scratch[i];
        listed_n_[k] = n;
    }
}

const int32_t* NearAhead::GlobalList(int32_t self, const LVector& centre, double reach,
                                     int32_t& count) const {
    if (!active_ || !globals_same_ || self < 0 || self >= count_ || !(reach <= reach_) ||
        !(centre == places_[self]) || listed_n_[self] < 0) {
        return nullptr;
    }
    count = listed_n_[self];
    return lists_ + static_cast<size_t>(self) * kMostListed;
}

void NearAhead::Moved(int32_t k, const LVector& place) {
    if (!usable_ || k < 0 || k >= count_) return;
    const double squared = (place - places_[k]).GetSquaredLength();
    if (!(squared <= move_ * move_)) usable_ = false;
}

const int32_t* NearAhead::List(int32_t self, const LVector& centre, double reach,
                               int32_t& count) const {
    if (!active_ || !usable_ || self != current_ || self < 0 || self >= count_ ||
        !(reach <= reach_) || !(centre == places_[self]) || listed_n_[self] < 0) {
        return nullptr;
    }
    count = listed_n_[self];
    return lists_ + static_cast<size_t>(self) * kMostListed;
}
