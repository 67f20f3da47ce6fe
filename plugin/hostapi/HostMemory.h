// Memory from the host's allocator.
//
// Every block the plug-in allocates comes from the host, so the host can count blocks and
// make any one allocation fail on purpose. GeAlloc never throws: it returns null when the
// host has no memory (or no host is bound yet).
#pragma once

#include <cstddef>

/// A zero-filled block of `size` bytes from the host, or null.
void* GeAlloc(size_t size);

/// Returns a block from GeAlloc to the host and sets `block` to null; null is ignored.
void GeFree(void*& block);

/// Typed form of GeFree for any pointer variable.
template <typename T> inline void GeFreeBlock(T*& block) {
    void* raw = const_cast<void*>(static_cast<const void*>(block));
    GeFree(raw);
    block = nullptr;
}
