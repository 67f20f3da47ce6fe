// Memory, console and clock.
#include "services/Services.h"

#include "Host.h"
#include "memory/Allocator.h"

namespace vantri {

namespace {

void* alloc(size_t bytes) {
    return allocator().allocate(bytes);
}
void release(void* block) {
    allocator().release(block);
}
void print(const char* line) {
    Host::current().print(line != nullptr ? line : "");
}
void date_time_now(VtDateTime* out) {
    if (out != nullptr) *out = Host::current().now();
}

const VtSystemTable kTable = {
    .size = sizeof(VtSystemTable),
    .alloc = alloc,
    .free = release,
    .print = print,
    .date_time_now = date_time_now,
};

} // namespace

const VtSystemTable* system_table() {
    return &kTable;
}

void host_crash_handler(char* crash_info) {
    if (Host* host = Host::current_or_null())
        host->report_crash(crash_info != nullptr ? crash_info : "");
}

} // namespace vantri
