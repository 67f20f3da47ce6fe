// Jobs: the plug-in's parallel work on the host's threads (host/jobs/JobPool.h).
#include "host/services/Services.h"

#include "host/Host.h"
#include "host/jobs/JobPool.h"

namespace vantri {

namespace {

int32_t thread_count() {
    Host* host = calling_host();
    return host != nullptr ? host->threads() : 1;
}

void parallel_for(int32_t count, int32_t grain, VtJobRange run, void* context) {
    if (run == nullptr || count <= 0) return;
    Host* host = calling_host();
    if (host == nullptr) {
        run(context, 0, count, 0);
        return;
    }
    host->jobs().run(count, grain, run, context);
}

const VtJobTable kTable = {
    .size = sizeof(VtJobTable),
    .thread_count = thread_count,
    .parallel_for = parallel_for,
};

} // namespace

const VtJobTable* job_table() {
    return &kTable;
}

} // namespace vantri
