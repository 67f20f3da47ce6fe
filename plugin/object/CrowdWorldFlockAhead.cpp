// Updating a crowd group in array order while the host's other threads work ahead of the
// update: they fill in the agents' alignment and cohesion (FlockAhead.h) and the lists of
// agents near them for separation and avoidance (NearAhead.h).
//
// The update in array order stays on the calling thread: it asks the host for the terrain,
// splines and obstacles, draws the wait times and takes memory, as it does on one thread. The
// other threads read only the group's global places, directions and their grid, which the
// update leaves alone meanwhile (NeighbourIndex::MovedLocally), and the places at the start
// with a grid of their own, each through its own lane's buffers; they take no memory. Their
// one host call reads the rotations of the agents' instances, which the world does not
// change, where the host lets a job's shares read objects of their own; else the update asks
// for them. The grids they search are built in the job, in memory taken before it, by the
// first thread there, while the calling thread builds the grid of the places the update
// changes. Whichever thread the host gives a share, the calling thread runs the update once,
// and every thread fills chunks until none is left; when the host gives the calling thread no
// share at all, the update runs after the job, with every chunk filled.
#include "plugin/object/CrowdWorld.h"

#include "plugin/geometry/WorkerLane.h"
#include "plugin/object/AvoidanceEllipse.h"
#include "plugin/hostapi/HostJobs.h"
#include "plugin/register.h"

#include <atomic>
#include <cmath>
#include <exception>
#include <sched.h>

namespace {

// A group of one chunk is updated on one thread: no chunk could be worked out ahead.
constexpr int32_t kFewestAhead = FlockAhead::kChunk + 1;

// How far ahead of the calling thread the others go on when it has caught up with them.
constexpr int32_t kLeadChunks = 4;

// One step of waiting for another thread: a pause at first, then giving up the core.
void Relax(int spins) {
    if (spins < 4096) {
#if defined(__x86_64__) || defined(__i386__)
        __builtin_ia32_pause();
#endif
    } else {
        sched_yield();
    }
}

// Set on the thread that starts the job, for as long as it runs.
__attribute__((tls_model("initial-exec"))) thread_local bool t_starts_job = false;

// What the threads build before any term is worked out: the grid of the near lists and the
// global grid. Whoever comes first builds them, meanwhile the calling thread builds the grid
// of the places in the generator's space, which only the update searches.
enum class Grids : int32_t { Wanted, Building, Built };

} // namespace

struct Crowdworld::FlockJob {
    Crowdworld* world;
    BaseObject* op;
    Crowd_Data* crowd;
    InExcludeData* list;
    const SteeringItem* resolved;
    int32_t count;
    AtomArray* visited;
    int32_t slot;
    bool updated = false;     ///< the update in array order has run (read by the caller only)
    std::exception_ptr error; ///< what the update threw, to be thrown again after the job
    std::atomic<Grids> grids{Grids::Wanted};
};

LVector Crowdworld::AlignTerm(const BaseContainer* behaviour, const double& radius,
                              Crowd_Data* crowd, Agent_ID_Data* agent, int32_t k) {
    if (const LVector* kept = flock_ahead.KeptAlign(crowd, behaviour, k)) return *kept;
    return Calc_Align(radius, crowd, agent);
}

LVector Crowdworld::CohesionTerm(const BaseContainer* behaviour, const BehaviourSettings& s,
                                 Crowd_Data* crowd, Agent_ID_Data* agent, int32_t k) {
    if (const LVector* kept = flock_ahead.KeptCohesion(crowd, behaviour, k)) return *kept;
    return Calc_Cohesion(s.cohesion_inner, s.cohesion_middle, s.cohesion_outer, crowd, agent);
}

bool Crowdworld::UpdateWithFlockAhead(BaseObject* op, Crowd_Data* crowd, InExcludeData* list,
                                      const SteeringItem* resolved, int32_t count,
                                      AtomArray* visited) {
    AgentArray& agents = *crowd->agents;
    const int32_t n = agents.GetCount();
    if (resolved == nullptr || n < kFewestAhead ||
        CurrentNeighbourSearch() != NeighbourSearch::Grid) {
        return false;
    }
    // The own group's alignment and cohesion of the behaviours the list names directly, and
    // how far their separation and avoidance look (for the near lists).
    FlockAhead::Terms terms[FlockAhead::kMostBehaviours];
    int32_t kept = 0;
    double separation = 0.0;
    bool avoids = false;
    for (int32_t i = 0; i < count; ++i) {
        if (resolved[i].container == nullptr || resolved[i].type != CrowdType::Behaviour) continue;
        const BehaviourSettings& s = behaviour_settings.Read(resolved[i].container);
        if (s.separation) separation = std::fmax(separation, s.separation_radius);
        avoids = avoids || s.avoidance;
        if (kept == FlockAhead::kMostBehaviours) continue;
        FlockAhead::Terms t;
        t.behaviour = resolved[i].container;
        if (s.align && s.align_radius > 0.0) t.align_radius = s.align_radius;
        if (s.cohesion && s.cohesion_middle > 0.0) {
            t.cohesion_inner = s.cohesion_inner;
            t.cohesion_middle = s.cohesion_middle;
            t.cohesion_outer = s.cohesion_outer;
        }
        bool listed = false;
        for (int32_t b = 0; b < kept; ++b)
            listed = listed || terms[b].behaviour == t.behaviour;
        if (!listed && (t.align_radius > 0.0 || t.cohesion_middle > 0.0)) terms[kept++] = t;
    }
    const int32_t threads = HostJobs::ThreadCount();
    const int32_t slot = static_cast<int32_t>(crowd - crowds.GetArray());
    // The update takes its instance's pitch from the host where it keeps no pitch of its own.
    const bool pitches = ground_switch == 0 && !terrain.Linked() && HostJobs::SharesMoveObjects();
    // Every group's slot exists before the threads start, so that the update may look at
    // other groups meanwhile without moving the slots the threads read.
    if (!neighbours.ReserveSlots(crowds.GetCount()) ||
        !neighbours.PrepareLanes(slot, agents, threads) ||
        !flock_ahead.Begin(crowd, n, terms, kept, pitches)) {
        return false;
    }
    StartNearAhead(crowd, separation, avoids, threads);
    if (kept == 0 && !near_ahead.Active()) {
        flock_ahead.End();
        return false;
    }

    FlockJob job{this,    op,   crowd, list,    resolved,       count,
                 visited, slot, false, nullptr, {Grids::Wanted}};
    t_starts_job = true;
    HostJobs::ParallelFor(threads, 1, RunFlockShare, &job);
    t_starts_job = false;
    if (!job.updated && job.error == nullptr) {
        job.updated = true;
        neighbours.BuildForLanes(slot, true, nullptr);
        BuildGridsAhead(job);
        try {
            UpdateInOrder(op, crowd, list, resolved, count, visited, true);
        } catch (...) {
            job.error = std::current_exception();
        }
    }
    if (near_ahead.Active()) {
        if (!near_ahead.Usable()) ++ScheduleCounts().lists_dropped;
        neighbours.KeepGuesses(slot, next_guess.reach, next_guess.move);
        neighbours.UseNearAhead(slot, nullptr);
    }
    near_ahead.End();
    flock_ahead.End();
    if (job.error != nullptr) std::rethrow_exception(job.error);
    return true;
}

// The near lists of separation and avoidance are made ahead too, as wide as the widest of the
// list's separations and its agents' avoidance ellipses (an agent whose ellipse has no bound
// scans instead), for moves up to twice the guess. The ellipses and the guess come from the
// end of the group's last update where there was one: a pass over the records, which are
// large, costs more than the lists save. Without their memory the update searches its grid.
void Crowdworld::StartNearAhead(Crowd_Data* crowd, double separation, bool avoids,
                                int32_t threads) {
    const AgentArray& agents = *crowd->agents;
    const int32_t n = agents.GetCount();
    const int32_t slot = static_cast<int32_t>(crowd - crowds.GetArray());
    next_guess = AheadGuess{};
    next_guess.avoids = avoids;
    if (!(separation > 0.0) && !avoids) return;
    double ellipse = 0.0, move = 0.0;
    if (!neighbours.Guesses(slot, ellipse, move)) {
        AheadGuess guess = next_guess;
        for (int32_t k = 0; k < n; ++k)
            Guess(guess, agents[k], crowd->side_radius);
        ellipse = guess.reach;
        move = guess.move;
    }
    if (near_ahead.Begin(neighbours.LocalPlaces(slot), n, std::fmax(separation, ellipse),
                         2.0 * move, threads)) {
        if (neighbours.SamePlaces(slot)) near_ahead.SetGlobalsSame();
        neighbours.UseNearAhead(slot, &near_ahead);
    }
}

void Crowdworld::Guess(AheadGuess& guess, const Agent_ID_Data& agent, double side) const {
    if (guess.avoids) guess.reach = std::fmax(guess.reach, EllipseBound(side, agent.look_ahead));
    guess.move = std::fmax(guess.move, GuessedMove(agent));
}

void Crowdworld::RunFlockShare(void* context, int32_t, int32_t, int32_t lane) {
    const LaneScope scope(lane);
    FlockJob& job = *static_cast<FlockJob*>(context);
    Crowdworld& world = *job.world;
    if (t_starts_job && !job.updated) {
        job.updated = true;
        world.neighbours.BuildForLanes(job.slot, true, nullptr);
        world.BuildGridsAhead(job);
        // A host call may throw; the job itself must not.
        try {
            world.UpdateInOrder(job.op, job.crowd, job.list, job.resolved, job.count, job.visited,
                                true);
        } catch (...) {
            job.error = std::current_exception();
        }
    }
    world.BuildGridsAhead(job);
    for (int32_t c = world.flock_ahead.ClaimNext(); c >= 0; c = world.flock_ahead.ClaimNext()) {
        world.FillFlockChunk(job.crowd, c);
        world.flock_ahead.Done(c);
    }
}

// The global grid is a copy of the near lists' where the global places are their places.
void Crowdworld::BuildGridsAhead(FlockJob& job) {
    Grids wanted = Grids::Wanted;
    if (job.grids.compare_exchange_strong(wanted, Grids::Building, std::memory_order_acq_rel)) {
        if (near_ahead.Active()) near_ahead.BuildGrid();
        neighbours.BuildForLanes(job.slot, false,
                                 near_ahead.GlobalsSame() ? near_ahead.Grid() : nullptr);
        job.grids.store(Grids::Built, std::memory_order_release);
        return;
    }
    for (int spins = 0; job.grids.load(std::memory_order_acquire) != Grids::Built; ++spins)
        Relax(spins);
}

// The terms take no memory, and the host's rotation query throws nothing: nothing here throws.
void Crowdworld::FillFlockChunk(Crowd_Data* crowd, int32_t c) {
    AgentArray& agents = *crowd->agents;
    const int32_t first = c * FlockAhead::kChunk;
    const int32_t end = agents.GetCount() - first > FlockAhead::kChunk ? first + FlockAhead::kChunk
                                                                       : agents.GetCount();
    // The terms read the agent's group as the update sets it. Mostly the records say so
    // already, from the last frame: only reading them leaves their lines clean for the
    // calling thread, which writes them at the agent's turn.
    for (int32_t k = first; k < end; ++k) {
        if (agents[k].crowd_index != crowd->index) agents[k].crowd_index = crowd->index;
        if (agents[k].crowd != crowd) agents[k].crowd = crowd;
    }
    if (flock_ahead.KeepsPitches()) {
        for (int32_t k = first; k < end; ++k) {
            if (BaseObject* instance = agents[k].object)
                flock_ahead.Pitch(k) = instance->GetRelRot().y;
        }
    }
    if (near_ahead.Active()) near_ahead.Fill(first, end);
    // Both terms of an agent look around its one global place: one after the other, they
    // share its list of near agents.
    for (int32_t k = first; k < end; ++k) {
        Agent_ID_Data* agent = &agents[k];
        if (agent->object == nullptr) continue;
        for (int32_t b = 0; b < flock_ahead.Behaviours(); ++b) {
            const FlockAhead::Terms& t = flock_ahead.Of(b);
            if (t.align_radius > 0.0)
                flock_ahead.Align(b, k) = Calc_Align(t.align_radius, crowd, agent);
            if (t.cohesion_middle > 0.0) {
                flock_ahead.Cohesion(b, k) = Calc_Cohesion(t.cohesion_inner, t.cohesion_middle,
                                                           t.cohesion_outer, crowd, agent);
            }
        }
    }
}

void Crowdworld::AwaitFlockAhead(Crowd_Data* crowd, int32_t k) {
    const int32_t c = k / FlockAhead::kChunk;
    if (flock_ahead.IsDone(c)) return;
    if (flock_ahead.Claim(c)) {
        FillFlockChunk(crowd, c);
        flock_ahead.Done(c);
        return;
    }
    // Another thread is filling it: this thread has caught up with the others. They move on
    // further ahead, and this one fills the chunks they pass over itself, so that it does a
    // share of their work where theirs takes longer than its own. A chunk takes some tens of
    // microseconds.
    flock_ahead.MoveAhead(c + 1 + kLeadChunks);
    for (int spins = 0; !flock_ahead.IsDone(c); ++spins)
        Relax(spins);
}
