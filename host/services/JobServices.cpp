// Jobs: the plug-in's parallel work on the host's threads (host/jobs/JobPool.h).
#include "host/services/Services.h"

#include "host/Host.h"
#include "host/jobs/JobPool.h"
#include "host/scene/Atom.h"

namespace vantri {

namespace {

int32_t thread_count() {
    Host* host = calling_host();
    return host != nullptr ? host->threads() : 1;
}

// A job as its shares run it: the objects they move are stamped with one change, taken when
// the job starts, on whichever thread.
struct StampedJob {
    VtJobRange run;
    void* context;
    uint64_t stamp;
};

void run_stamped(void* context, int32_t begin, int32_t end, int32_t worker) {
    const StampedJob& job = *static_cast<const StampedJob*>(context);
    const JobChanges changes(job.stamp);
    job.run(job.context, begin, end, worker);
}

void parallel_for(int32_t count, int32_t grain, VtJobRange run, void* context) {
    if (run == nullptr || count <= 0) return;
    Host* host = calling_host();
    StampedJob job{run, context, next_change()};
    if (host == nullptr) {
        run_stamped(&job, 0, count, 0);
        return;
    }
    host->jobs().run(count, grain, run_stamped, &job);
}

// Moving an object touches only that object; its change stamp is the job's.
int32_t shares_move_objects() {
    return 1;
}

const VtJobTable kTable = {
    .size = sizeof(VtJobTable),
    .thread_count = thread_count,
    .parallel_for = parallel_for,
    .shares_move_objects = shares_move_objects,
};

} // namespace

const VtJobTable* job_table() {
    return &kTable;
}

} // namespace vantri
