#include "plugin/hostapi/HostMemory.h"

#include "plugin/hostapi/host_binding.h"

void* GeAlloc(size_t size) {
    HostApi* host = vt::Host();
    if (host == nullptr) return nullptr;
    return host->system->alloc(size);
}

void GeFree(void*& block) {
    if (block == nullptr) return;
    HostApi* host = vt::Host();
    if (host != nullptr) host->system->free(block);
    block = nullptr;
}
