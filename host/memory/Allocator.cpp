#include "host/memory/Allocator.h"

#include <cstdlib>
#include <cstring>

namespace vantri {

namespace {

// Each block carries its size in front, padded to keep the block maximally aligned.
struct alignas(std::max_align_t) BlockHeader {
    size_t bytes;
};

} // namespace

Allocator& allocator() {
    static Allocator instance;
    return instance;
}

void Allocator::fail_nth(uint64_t n) {
    fail_at_ = n == 0 ? 0 : requests_ + n;
}

bool Allocator::decide(size_t bytes) {
    ++requests_;
    bool refuse = fail_at_ != 0 && requests_ == fail_at_;
    if (limit_ != 0 && static_cast<uint64_t>(live_bytes_) + bytes > limit_) refuse = true;
    if (refuse) ++refusals_;
    return !refuse;
}

void* Allocator::allocate(size_t bytes) {
    if (bytes > SIZE_MAX - sizeof(BlockHeader)) {
        ++requests_;
        ++refusals_;
        return nullptr;
    }
    if (!decide(bytes)) return nullptr;
    void* raw = std::calloc(1, sizeof(BlockHeader) + bytes);
    if (raw == nullptr) return nullptr;
    static_cast<BlockHeader*>(raw)->bytes = bytes;
    ++live_;
    live_bytes_ += static_cast<int64_t>(bytes);
    if (live_bytes_ > peak_bytes_) peak_bytes_ = live_bytes_;
    return static_cast<char*>(raw) + sizeof(BlockHeader);
}

void Allocator::release(void* block) {
    if (block == nullptr) return;
    auto* header = reinterpret_cast<BlockHeader*>(static_cast<char*>(block) - sizeof(BlockHeader));
    --live_;
    live_bytes_ -= static_cast<int64_t>(header->bytes);
    std::free(header);
}

bool Allocator::admit(size_t bytes) {
    if (!decide(bytes)) return false;
    ++live_;
    live_bytes_ += static_cast<int64_t>(bytes);
    if (live_bytes_ > peak_bytes_) peak_bytes_ = live_bytes_;
    return true;
}

void Allocator::retire(size_t bytes) {
    --live_;
    live_bytes_ -= static_cast<int64_t>(bytes);
}

} // namespace vantri
