#include "plugin/hostapi/HostJobs.h"

#include "plugin/hostapi/host_binding.h"

#include <cstddef>

int32_t HostJobs::ThreadCount() {
    const VtJobTable* table = vt::JobTable();
    if (table == nullptr || table->thread_count == nullptr) return 1;
    const int32_t threads = table->thread_count();
    return threads < 1 ? 1 : threads;
}

void HostJobs::ParallelFor(int32_t count, int32_t grain, VtJobRange run, void* context) {
    if (count <= 0 || run == nullptr) return;
    const VtJobTable* table = vt::JobTable();
    if (table == nullptr || table->parallel_for == nullptr) {
        run(context, 0, count, 0);
        return;
    }
    table->parallel_for(count, grain, run, context);
}

bool HostJobs::SharesMoveObjects() {
    const VtJobTable* table = vt::JobTable();
    if (table == nullptr ||
        table->size <
            offsetof(VtJobTable, shares_move_objects) + sizeof(table->shares_move_objects) ||
        table->shares_move_objects == nullptr) {
        return false;
    }
    return table->shares_move_objects() == 1;
}
