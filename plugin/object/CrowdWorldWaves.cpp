// Updating a crowd group in waves on the host's threads (FrameSchedule.h).
//
// Only the terms that read the agents' places run in waves: alignment, cohesion, separation
// and avoidance of the own group, keeping the direction, and following a target (whose place
// is looked up before the waves). Alignment and cohesion read the global places and
// directions, which the world does not change during a frame; separation and avoidance read
// where the agents stand now, within their radius and the avoidance ellipse, and avoidance
// also finds the nearest agent. A group whose behaviours follow a spline, avoid obstacles,
// stand on a terrain, look at other groups or blend is updated in array order: those parts
// ask the host, share caches or read other groups.
//
// The reach of the schedule: an agent reads no agent further than its separation radius, the
// bound of its ellipse, or the nearest agent, which is no further than its array neighbour
// (the agent before or after it) stands now plus what that one may move. Every agent moves
// at most its own allowance, guessed from its speed and last frame's push before the waves and
// checked after them: when an agent moved further, the group is put back as it was and updated
// again in array order.
//
// The parts of an agent's update that are not its own are deferred: the agents' new places
// reach the neighbour search at the end of each wave (in array order, as the threads wait),
// and the wait times are drawn after the last wave, in array order, from the world's
// generator, as in the update in array order. The instance's rotation that an agent without a
// ground takes is read then too.
#include "plugin/object/CrowdWorld.h"

#include "plugin/geometry/ForwardAxis.h"
#include "plugin/object/AvoidanceEllipse.h"
#include "plugin/geometry/VectorMath.h"
#include "plugin/geometry/WorkerLane.h"
#include "plugin/object/NeighbourSearch.h"
#include "parameter_ids/ocrowdbehav.h"
#include "parameter_ids/ocrowdgenerator.h"
#include "plugin/register.h"

#include <cmath>

namespace {

// A group smaller than this is updated in array order: the threads would mostly wait.
constexpr int32_t kFewestInWaves = 2;
// The nearest-agent search starts from this offset's length (the world sets every agent's
// nearest offset to (10000, 10000, 10000) before avoidance).
const double kNearestLimit = std::sqrt(3.0) * 10000.0 * (1.0 + 1e-9);

bool Finite(const LVector& v) {
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

// One wave's work for the threads.
struct WaveJob {
    Crowdworld* world;
    BaseObject* op;
    Crowd_Data* crowd;
    const SteeringItem* resolved;
    int32_t count;
    const int32_t* order; ///< the wave's agents
};

// Links every agent of a share to the earlier agents it may read or that may read it, from
// the group's grid of generator places (built over the places before the update), and keeps
// what the agent's update may change, for an undo.
struct LinkJob {
    NeighbourIndex* neighbours;
    GeDynamicArray<Crowd_Data>* crowds;
    Crowd_Data* crowd;
    FrameSchedule* schedule;
    double reach;  ///< the most any agent reads, widened by the most any moves and the margin
    double across; ///< the half-width of the avoidance ellipses
    double margin; ///< for the rounding of the places and of the terms' distances
};

// Whether an agent at `offset` from one heading along the unit vector `heading` may stand in
// the part of its avoidance ellipse ahead of it once either has moved by up to `move`: the
// ellipse is `ahead` long and `across` wide (each widened by the margin for rounding), and
// narrows with the distance ahead, so a place `along` ahead lies within `move` of it only if
// it is no further across than the ellipse's half-width `move` nearer, plus `move`.
bool MayStandAhead(const LVector& offset, double square, const LVector& heading, double ahead,
                   double across, double move, double margin) {
    const double along = offset * heading;
    if (along < -move || along > ahead + move) return false;
    const double nearer = std::fmax(0.0, along - move) / ahead;
    const double half_width =
        across * std::sqrt(std::fmax(0.0, 1.0 - nearer * nearer)) + move + margin;
    const double side = square - along * along;
    return side <= half_width * half_width;
}

} // namespace

bool Crowdworld::WaveReach(BaseDocument* doc, Crowd_Data* crowd, const SteeringItem* resolved,
                           int32_t count, double rounding, double& reach) {
    wave_target_count = 0;
    double separation = 0.0;
    bool avoidance = false;
    for (int32_t i = 0; i < count; ++i) {
        if (resolved[i].container == nullptr) continue;
        if (resolved[i].type != CrowdType::Behaviour) return false;
        const BehaviourSettings& s = behaviour_settings.Read(resolved[i].container);
        if (!behaviour_settings.Holds(resolved[i].container)) return false;
        if (s.spline || s.collision || s.align_repel_others || s.repel_others || s.avoid_others)
            return false;
        if (s.follow && wave_target_count < kSteeringKept) {
            WaveTarget& wave = wave_targets[wave_target_count++];
            wave.behaviour = resolved[i].container;
            BaseObject* target = static_cast<BaseObject*>(
                resolved[i].container->GetLink(CROWDBEHAV_FOLLOW_TARGET, doc));
            wave.linked = target != nullptr;
            if (wave.linked) wave.position = target->GetMg().off;
        }
        if (s.separation && s.separation_radius > separation) separation = s.separation_radius;
        avoidance = avoidance || s.avoidance;
    }
    const AgentArray& agents = *crowd->agents;
    const int32_t n = agents.GetCount();
    double widest = separation;
    double move = 0.0;
    for (int32_t k = 0; k < n; ++k) {
        const Agent_ID_Data& agent = agents[k];
        move = std::fmax(move, schedule.move[k] + rounding);
        schedule.around[k] = separation;
        schedule.ahead[k] = -1.0;
        if (!avoidance) continue;
        const double ellipse = EllipseBound(crowd->side_radius, agent.look_ahead);
        if (!std::isfinite(ellipse)) return false;
        // The nearest agent is no further than an array neighbour will stand.
        double nearest = kNearestLimit;
        if (k > 0) {
            nearest = std::fmin(nearest, Len(agents[k - 1].mg.off - agent.mg.off) +
                                             schedule.move[k - 1] + rounding);
        }
        if (k + 1 < n) {
            nearest = std::fmin(nearest, Len(agents[k + 1].mg.off - agent.mg.off) +
                                             schedule.move[k + 1] + rounding);
        }
        double around = std::fmax(separation, nearest);
        // With a unit heading the ellipse reads only ahead and within its half-width across;
        // with any other it reads all around, as far as its bound.
        const double length = agent.direction.GetSquaredLength();
        if (std::fabs(length - 1.0) <= 1e-9) {
            schedule.ahead[k] = std::fabs(agent.look_ahead) * (1.0 + 1e-6);
        } else {
            around = std::fmax(around, ellipse);
        }
        schedule.around[k] = around;
        widest = std::fmax(widest, std::fmax(ellipse, around));
    }
    // The margin covers the rounding of the distances the terms and the links compute.
    reach = (widest + move) * (1.0 + 1e-6) + 1e-9;
    return std::isfinite(reach);
}

void Crowdworld::RunWaveShare(void* context, int32_t begin, int32_t end, int32_t lane) {
    const LaneScope scope(lane);
    const WaveJob& job = *static_cast<const WaveJob*>(context);
    Agent_ID_Data target;
    AgentArray& agents = *job.crowd->agents;
    for (int32_t i = begin; i < end; ++i) {
        const int32_t k = job.order[i];
        Agent_ID_Data* agent = &agents[k];
        agent->crowd_index = job.crowd->index;
        agent->crowd = job.crowd;
        if (agent->object == nullptr) continue;
        job.world->SteerAgent(job.op, job.crowd, k, nullptr, job.resolved, job.count, nullptr,
                              target);
    }
}

namespace {

void LinkShare(void* context, int32_t begin, int32_t end, int32_t lane) {
    const LaneScope scope(lane);
    const LinkJob& job = *static_cast<const LinkJob*>(context);
    const FrameSchedule& schedule = *job.schedule;
    const AgentArray& agents = *job.crowd->agents;
    const int32_t slot = static_cast<int32_t>(job.crowd - job.crowds->GetArray());
    CrowdNeighbours* data = job.neighbours->Of(slot, agents);
    CellGrid* grid = data != nullptr ? job.neighbours->Grid(*data, true) : nullptr;
    const double square = job.reach * job.reach;
    for (int32_t j = begin; j < end; ++j) {
        const Agent_ID_Data& reader = agents[j];
        schedule.undo[j] = AgentUndo{reader.mg.off,      reader.rotation,       reader.steer_vector,
                                     reader.avoid_steer, reader.nearest_offset, reader.speed,
                                     reader.waiting,     reader.wait_frames};
        schedule.draws[j] = 0;
        int32_t* links = schedule.links + static_cast<size_t>(j) * FrameSchedule::kMostLinks;
        int32_t& linked = schedule.link_count[j];
        linked = 0;
        if (grid == nullptr) {
            linked = -1;
            continue;
        }
        const LVector p = reader.mg.off;
        int32_t found = 0;
        double covered = 0.0;
        // The links need no order: the candidates come unsorted, and the later ones are
        // passed over.
        const int32_t* near = grid->Gather(p, job.reach, found, covered);
        for (int32_t i = 0; i < found; ++i) {
            const int32_t k = near[i];
            if (k >= j) continue;
            const LVector offset = agents[k].mg.off - p;
            const double distance = offset.GetSquaredLength();
            if (!(distance <= square)) continue;
            // Each reads the other where it stands or wherever its move may take it.
            const double moves_j = schedule.move[j] + job.margin;
            const double moves_k = schedule.move[k] + job.margin;
            const double around =
                std::fmax(schedule.around[j] + moves_k, schedule.around[k] + moves_j);
            const bool reads = distance <= around * around ||
                               (schedule.ahead[j] > 0.0 &&
                                MayStandAhead(offset, distance, reader.direction, schedule.ahead[j],
                                              job.across, moves_k, job.margin)) ||
                               (schedule.ahead[k] > 0.0 &&
                                MayStandAhead(-offset, distance, agents[k].direction,
                                              schedule.ahead[k], job.across, moves_j, job.margin));
            if (!reads) continue;
            if (linked == FrameSchedule::kMostLinks) {
                linked = -1;
                break;
            }
            links[linked++] = k;
        }
    }
}

} // namespace

bool Crowdworld::UpdateInWaves(BaseObject* op, Crowd_Data* crowd, const SteeringItem* resolved,
                               int32_t count) {
    if (HostJobs::ThreadCount() < 2) return false;
    // A list too long to resolve once per group is read again for every agent, from the host.
    if (resolved == nullptr) return false;
    const bool done = RunWaves(op, crowd, resolved, count);
    wave_target_count = -1;
    return done;
}

bool Crowdworld::RunWaves(BaseObject* op, Crowd_Data* crowd, const SteeringItem* resolved,
                          int32_t count) {
    const int32_t threads = HostJobs::ThreadCount();
    VtScheduleCounts& counts = ScheduleCounts();
    AgentArray& agents = *crowd->agents;
    const int32_t n = agents.GetCount();
    const int32_t slot = static_cast<int32_t>(crowd - crowds.GetArray());

    if (n < kFewestInWaves || CurrentNeighbourSearch() != NeighbourSearch::Grid ||
        !schedule.Reserve(n)) {
        return false;
    }
    // Each agent may move twice its guessed move; `move` is the most of those.
    double move = 0.0;
    double farthest = 0.0; // the largest coordinate, for the rounding of the distances
    bool placed = !(ground_switch == 0 && terrain.Linked());
    for (int32_t k = 0; k < n && placed; ++k) {
        const Agent_ID_Data& agent = agents[k];
        placed = Finite(agent.mg.off) && Finite(agent.global_mg.off);
        farthest = std::fmax(
            farthest, std::fmax(std::fabs(agent.mg.off.x),
                                std::fmax(std::fabs(agent.mg.off.y), std::fabs(agent.mg.off.z))));
        schedule.move[k] = 2.0 * GuessedMove(agent);
        move = std::fmax(move, schedule.move[k]);
    }
    double reach = 0.0;
    if (!placed || !std::isfinite(move) ||
        !WaveReach(op->GetDocument(), crowd, resolved, count, 1e-9 * farthest, reach) ||
        !neighbours.PrepareLanes(slot, agents, threads) ||
        !neighbours.BuildForLanes(slot, true, nullptr) ||
        !neighbours.BuildForLanes(
            slot, false, neighbours.SamePlaces(slot) ? neighbours.LocalGrid(slot) : nullptr)) {
        return false;
    }

    // The links, on the threads; then each agent's wave, after those of its links.
    // The margins of the links cover the rounding of the places and of the terms' distances.
    const double margin = 1e-6 * reach + 1e-9 * farthest + 1e-9;
    const double across = std::fabs(crowd->side_radius) * (1.0 + 1e-6);
    LinkJob links{&neighbours, &crowds, crowd, &schedule, reach, across, margin};
    HostJobs::ParallelFor(n, 256, LinkShare, &links);
    int32_t waves = 0;
    for (int32_t j = 0; j < n; ++j) {
        const int32_t linked = schedule.link_count[j];
        if (linked < 0) return false;
        int32_t wave = 0;
        const int32_t* link = schedule.links + static_cast<size_t>(j) * FrameSchedule::kMostLinks;
        for (int32_t i = 0; i < linked; ++i)
            wave = wave > schedule.wave[link[i]] ? wave : schedule.wave[link[i]] + 1;
        schedule.wave[j] = wave;
        waves = waves > wave + 1 ? waves : wave + 1;
    }
    for (int32_t w = 0; w <= waves; ++w)
        schedule.wave_start[w] = 0;
    for (int32_t j = 0; j < n; ++j)
        ++schedule.wave_start[schedule.wave[j] + 1];
    for (int32_t w = 0; w < waves; ++w)
        schedule.wave_start[w + 1] += schedule.wave_start[w];
    for (int32_t j = 0; j < n; ++j)
        schedule.order[schedule.wave_start[schedule.wave[j]]++] = j;
    for (int32_t w = waves; w > 0; --w)
        schedule.wave_start[w] = schedule.wave_start[w - 1];
    schedule.wave_start[0] = 0;

    draws_pending = schedule.draws;
    draws_base = agents.GetArray();
    WaveJob job{this, op, crowd, resolved, count, nullptr};
    for (int32_t w = 0; w < waves; ++w) {
        const int32_t first = schedule.wave_start[w];
        const int32_t size = schedule.wave_start[w + 1] - first;
        job.order = schedule.order + first;
        const int32_t grain = size / (4 * threads) > 1 ? size / (4 * threads) : 1;
        HostJobs::ParallelFor(size, grain, RunWaveShare, &job);
        for (int32_t i = 0; i < size; ++i) {
            const int32_t k = job.order[i];
            if (agents[k].object != nullptr) neighbours.Moved(slot, k, agents[k]);
        }
    }
    draws_pending = nullptr;
    draws_base = nullptr;

    // Every agent must have stayed within the move the schedule allowed it.
    bool kept = true;
    for (int32_t k = 0; k < n && kept; ++k) {
        kept = (agents[k].mg.off - schedule.undo[k].off).GetSquaredLength() <=
               schedule.move[k] * schedule.move[k];
    }
    if (!kept) {
        for (int32_t k = 0; k < n; ++k) {
            Agent_ID_Data& agent = agents[k];
            const AgentUndo& was = schedule.undo[k];
            agent.mg.off = was.off;
            agent.rotation = was.rotation;
            agent.steer_vector = was.steer_vector;
            agent.avoid_steer = was.avoid_steer;
            agent.nearest_offset = was.nearest_offset;
            agent.speed = was.speed;
            agent.waiting = was.waiting;
            agent.wait_frames = was.wait_frames;
            if (agent.object != nullptr) neighbours.Moved(slot, k, agent);
        }
        ++counts.undone;
        return false;
    }

    for (int32_t k = 0; k < n; ++k) {
        Agent_ID_Data& agent = agents[k];
        if (schedule.draws[k] != 0)
            agent.wait_frames = static_cast<int32_t>(random.Get01() * 10.0 + 1.0);
        if (ground_switch == 0 && agent.object != nullptr)
            agent.rotation.y = agent.object->GetRelRot().y;
    }
    ++counts.in_waves;
    counts.waves += waves;
    counts.agents += n;
    return true;
}
