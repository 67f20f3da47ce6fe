// The module's global allocation operators: every C++ allocation of the plug-in goes
// through the host's allocator, so the host counts it and can make it fail.
//
// Static initialisers run when the module is loaded, before the host's tables are bound, and
// a block may outlive the binding; so each block records which allocator made it, and is
// always given back to that one. Only this module contains these operators: the unit tests
// that link the plug-in's code keep the ordinary ones.
#include "plugin/hostapi/host_binding.h"

#include <cstdlib>
#include <new>

namespace {

constexpr unsigned kFromHost = 0x54534f48u; // "HOST"
constexpr unsigned kFromLibc = 0x4342494cu; // "LIBC"

struct alignas(16) BlockTag {
    unsigned origin;
};

void* AllocateBlock(std::size_t size) noexcept {
    const std::size_t total = size + sizeof(BlockTag);
    if (total < size) return nullptr;
    HostApi* host = vt::Host();
    BlockTag* tag = nullptr;
    if (host != nullptr) {
        tag = static_cast<BlockTag*>(host->system->alloc(total));
        if (tag == nullptr) return nullptr;
        tag->origin = kFromHost;
    } else {
        tag = static_cast<BlockTag*>(std::calloc(1, total));
        if (tag == nullptr) return nullptr;
        tag->origin = kFromLibc;
    }
    return tag + 1;
}

void ReleaseBlock(void* block) noexcept {
    if (block == nullptr) return;
    BlockTag* tag = static_cast<BlockTag*>(block) - 1;
    if (tag->origin == kFromHost) {
        HostApi* host = vt::Host();
        if (host != nullptr) host->system->free(tag);
    } else {
        std::free(tag);
    }
}

} // namespace

void* operator new(std::size_t size) {
    void* block = AllocateBlock(size);
    if (block == nullptr) throw std::bad_alloc();
    return block;
}

void* operator new[](std::size_t size) {
    void* block = AllocateBlock(size);
    if (block == nullptr) throw std::bad_alloc();
    return block;
}

void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    return AllocateBlock(size);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    return AllocateBlock(size);
}
void operator delete(void* block) noexcept {
    ReleaseBlock(block);
}
void operator delete[](void* block) noexcept {
    ReleaseBlock(block);
}
void operator delete(void* block, std::size_t) noexcept {
    ReleaseBlock(block);
}
void operator delete[](void* block, std::size_t) noexcept {
    ReleaseBlock(block);
}
void operator delete(void* block, const std::nothrow_t&) noexcept {
    ReleaseBlock(block);
}
void operator delete[](void* block, const std::nothrow_t&) noexcept {
    ReleaseBlock(block);
}
