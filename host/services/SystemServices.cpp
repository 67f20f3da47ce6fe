// Memory, console and clock.
#include "host/services/Services.h"

#include "host/Host.h"
#include "host/memory/Allocator.h"

#include <cassert>

namespace vantri {

namespace {

void* alloc(size_t bytes) {
    return allocator().allocate(bytes);
}
void release(void* block) {
    allocator().release(block);
}
void print(const char* line) {
    if (Host* host = calling_host()) host->print(line != nullptr ? line : "");
}
void date_time_now(VtDateTime* out) {
    if (out == nullptr) return;
    Host* host = calling_host();
    *out = host != nullptr ? host->now() : VtDateTime{};
}

const VtSystemTable kTable = {
    .size = sizeof(VtSystemTable),
    .alloc = alloc,
    .free = release,
    .print = print,
    .date_time_now = date_time_now,
};

} // namespace

Host* calling_host() {
    Host* host = Host::current_or_null();
    assert(host != nullptr && "a host service was called while no host exists");
    return host;
}

const VtSystemTable* system_table() {
    return &kTable;
}

void host_crash_handler(char* crash_info) {
    if (Host* host = Host::current_or_null())
        host->report_crash(crash_info != nullptr ? crash_info : "");
}

} // namespace vantri
