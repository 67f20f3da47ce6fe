// Binds the plug-in's API layer to the host allocator alone, for unit tests of the
// plug-in's pure code (arrays, helpers) that need memory but no other host service.
#pragma once

#include "plugin/hostapi/host_binding.h"
#include "host/memory/Allocator.h"

#include <cstring>

namespace vantri_test {

class AllocatorBinding {
  public:
    AllocatorBinding() {
        std::memset(&system_, 0, sizeof system_);
        system_.size = sizeof system_;
        system_.alloc = [](size_t bytes) { return vantri::allocator().allocate(bytes); };
        system_.free = [](void* block) { vantri::allocator().release(block); };
        system_.print = [](const char*) {};
        system_.date_time_now = [](VtDateTime* out) { *out = VtDateTime{2000, 1, 1, 0, 0, 0}; };
        std::memset(&api_, 0, sizeof api_);
        api_.version = VT_API_VERSION;
        api_.system = &system_;
        previous_ = vt::g_host;
        vt::g_host = &api_;
        vantri::allocator().fail_nth(0);
    }
    ~AllocatorBinding() {
        vantri::allocator().fail_nth(0);
        vt::g_host = previous_;
    }
    AllocatorBinding(const AllocatorBinding&) = delete;
    AllocatorBinding& operator=(const AllocatorBinding&) = delete;

  private:
    VtSystemTable system_;
    HostApi api_;
    HostApi* previous_;
};

} // namespace vantri_test
