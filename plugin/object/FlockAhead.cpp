#include "plugin/object/FlockAhead.h"

#include "plugin/hostapi/HostMemory.h"

#include <new>

namespace {

constexpr uint8_t kFree = 0;
constexpr uint8_t kTaken = 1;
constexpr uint8_t kDone = 2;

} // namespace

FlockAhead::~FlockAhead() {
    Free();
}

void FlockAhead::Free() {
    End();
    GeFree(block_);
    state_ = nullptr;
    align_ = cohesion_ = nullptr;
    pitches_ = nullptr;
    slot_capacity_ = 0;
    agent_capacity_ = 0;
}

// One block: both kinds of terms for every behaviour, the pitches, then the chunks' states.
bool FlockAhead::Begin(const Crowd_Data* crowd, int32_t agents, const Terms* terms, int32_t count,
                       bool pitches) {
    End();
    if (crowd == nullptr || agents <= 0 || count < 0 || count > kMostBehaviours) return false;
    const int32_t chunks = (agents + kChunk - 1) / kChunk;
    const size_t slots = static_cast<size_t>(count) * static_cast<size_t>(agents);
    if (slots > slot_capacity_ || agents > agent_capacity_) {
        Free();
        const auto n = static_cast<size_t>(agents);
        void* block =
            GeAlloc(2 * slots * sizeof(LVector) + n * sizeof(double) + static_cast<size_t>(chunks));
        if (block == nullptr) return false;
        block_ = block;
        auto* vector = static_cast<LVector*>(block);
        for (size_t i = 0; i < 2 * slots; ++i)
            ::new (static_cast<void*>(vector + i)) LVector();
        align_ = vector;
        cohesion_ = vector + slots;
        pitches_ = reinterpret_cast<double*>(vector + 2 * slots);
        for (size_t i = 0; i < n; ++i)
            pitches_[i] = 0.0;
        auto* bytes = reinterpret_cast<unsigned char*>(pitches_ + n);
        state_ = reinterpret_cast<std::atomic<uint8_t>*>(bytes);
        for (int32_t c = 0; c < chunks; ++c)
            ::new (static_cast<void*>(bytes + c)) std::atomic<uint8_t>(kFree);
        slot_capacity_ = slots;
        agent_capacity_ = agents;
    }
    for (int32_t c = 0; c < chunks; ++c)
        state_[c].store(kFree, std::memory_order_relaxed);
    for (int32_t b = 0; b < count; ++b)
        terms_[b] = terms[b];
    count_ = count;
    keeps_pitches_ = pitches;
    chunks_ = chunks;
    agents_ = agents;
    next_.store(0, std::memory_order_relaxed);
    crowd_ = crowd;
    return true;
}

void FlockAhead::End() {
    crowd_ = nullptr;
    count_ = 0;
    keeps_pitches_ = false;
    chunks_ = 0;
}

bool FlockAhead::Claim(int32_t c) {
    uint8_t expected = kFree;
    return state_[c].compare_exchange_strong(expected, kTaken, std::memory_order_acq_rel);
}

void FlockAhead::MoveAhead(int32_t c) {
    int32_t seen = next_.load(std::memory_order_relaxed);
    while (seen < c && !next_.compare_exchange_weak(seen, c, std::memory_order_relaxed)) {
    }
}

int32_t FlockAhead::ClaimNext() {
    for (;;) {
        const int32_t c = next_.fetch_add(1, std::memory_order_relaxed);
        if (c >= chunks_) return -1;
        if (Claim(c)) return c;
    }
}

void FlockAhead::Done(int32_t c) {
    state_[c].store(kDone, std::memory_order_release);
}

bool FlockAhead::IsDone(int32_t c) const {
    return state_[c].load(std::memory_order_acquire) == kDone;
}

int32_t FlockAhead::Find(const Crowd_Data* crowd, const BaseContainer* behaviour) const {
    if (crowd == nullptr || crowd != crowd_) return -1;
    for (int32_t b = 0; b < count_; ++b) {
        if (terms_[b].behaviour == behaviour) return b;
    }
    return -1;
}

const LVector* FlockAhead::KeptAlign(const Crowd_Data* crowd, const BaseContainer* behaviour,
                                     int32_t k) const {
    const int32_t b = Find(crowd, behaviour);
    if (b < 0 || !(terms_[b].align_radius > 0.0)) return nullptr;
    return &align_[static_cast<size_t>(b) * agents_ + k];
}

const LVector* FlockAhead::KeptCohesion(const Crowd_Data* crowd, const BaseContainer* behaviour,
                                        int32_t k) const {
    const int32_t b = Find(crowd, behaviour);
    if (b < 0 || !(terms_[b].cohesion_middle > 0.0)) return nullptr;
    return &cohesion_[static_cast<size_t>(b) * agents_ + k];
}
