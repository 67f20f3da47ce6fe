#include "plugin/object/FrameSchedule.h"

#include "plugin/hostapi/HostMemory.h"

#include <new>

namespace {

VtScheduleCounts g_counts{};

// A block's share for `count` items of `T`, rounded up to 8 bytes.
template <typename T> size_t Share(size_t count) {
    return (count * sizeof(T) + 7) / 8 * 8;
}

} // namespace

VtScheduleCounts& ScheduleCounts() {
    return g_counts;
}

FrameSchedule::~FrameSchedule() {
    Free();
}

void FrameSchedule::Free() {
    GeFreeBlock(undo);
    undo = nullptr;
    links = link_count = wave = order = wave_start = nullptr;
    around = ahead = move = nullptr;
    draws = nullptr;
    capacity = 0;
}

// One block: the undo records first (8-byte aligned), then the lists.
bool FrameSchedule::Reserve(int32_t agents) {
    if (agents <= capacity) return true;
    Free();
    const size_t n = static_cast<size_t>(agents);
    const size_t bytes = Share<AgentUndo>(n) + 3 * Share<double>(n) +
                         Share<int32_t>(n * kMostLinks) + 4 * Share<int32_t>(n + 1) +
                         Share<uint8_t>(n);
    auto* block = static_cast<unsigned char*>(GeAlloc(bytes));
    if (block == nullptr) return false;
    undo = reinterpret_cast<AgentUndo*>(block);
    for (size_t i = 0; i < n; ++i)
        ::new (static_cast<void*>(undo + i)) AgentUndo();
    unsigned char* at = block + Share<AgentUndo>(n);
    around = reinterpret_cast<double*>(at);
    at += Share<double>(n);
    ahead = reinterpret_cast<double*>(at);
    at += Share<double>(n);
    move = reinterpret_cast<double*>(at);
    at += Share<double>(n);
    links = reinterpret_cast<int32_t*>(at);
    at += Share<int32_t>(n * kMostLinks);
    link_count = reinterpret_cast<int32_t*>(at);
    at += Share<int32_t>(n + 1);
    wave = reinterpret_cast<int32_t*>(at);
    at += Share<int32_t>(n + 1);
    order = reinterpret_cast<int32_t*>(at);
    at += Share<int32_t>(n + 1);
    wave_start = reinterpret_cast<int32_t*>(at);
    at += Share<int32_t>(n + 1);
    draws = at;
    capacity = agents;
    return true;
}
