// The neighbour and target forces of the world and the motion step.
//
// Each force walks the agents of one crowd group in array order, skips the agent itself (by
// record address, so nothing is skipped in another group) and returns its sum normalised: a
// unit vector, or (0, 0, 0) when the sum cancels out. Alignment and cohesion compare global
// positions, separation and following the positions in the generator's space.
//
// With the grid search (NeighbourQuery.h) a force walks only the agents the search hands it,
// still in array order, and computes each pair exactly as the full scan does, so the sums are
// the same to the bit. Pairs beyond the radius are dropped on their squared distance first,
// which saves the square root; the margin on the squared radius keeps every pair whose
// rounded distance could still pass the force's own test.
#include "plugin/object/CrowdWorld.h"

#include "plugin/object/NeighbourQuery.h"

#include "plugin/geometry/ForwardAxis.h"
#include "plugin/geometry/RotationConversion.h"
#include "plugin/geometry/VectorMath.h"

#include <cmath>

namespace {

// Single-precision constants of the motion step, as the exact doubles they widen to.
constexpr double kTurnThreshold = 0.00009999999747378752;
constexpr double kSteerShare = 0.30000001192092896;

bool HasAgents(const Crowd_Data* crowd) {
    return crowd != nullptr && crowd->agents != nullptr && crowd->agents->GetCount() > 0;
}

// A squared distance above this belongs to a distance above `radius` (radius > 0), whatever
// the rounding of the square root.
double SquaredBeyond(double radius) {
    return radius * radius * (1.0 + 1e-12);
}

} // namespace

CrowdTransform Crowdworld::TransformFor(Crowd_Data* crowd, Agent_ID_Data* agent) {
    CrowdTransform transform;
    const int32_t own = agent->crowd_index;
    if (own < 0 || own >= crowds.GetCount()) return transform;
    BaseObject* own_generator = crowds[own].generator;
    if (crowd->generator == own_generator || own_generator == nullptr ||
        crowd->generator == nullptr) {
        return transform;
    }
    transform.identity = false;
    transform.m = !own_generator->GetMg() * crowd->generator->GetMg();
    return transform;
}

// The weight of a neighbour falls linearly from 1 at the agent's place to 0 at the radius.
LVector Crowdworld::Calc_Align(const double& radius, Crowd_Data* crowd, Agent_ID_Data* agent) {
    LVector sum;
    if (radius <= 0.0 || !HasAgents(crowd)) return sum;
    const CrowdTransform transform = TransformFor(crowd, agent);
    const LVector p = agent->global_mg.off;
    NeighbourQuery near;
    if (transform.identity &&
        near.Find(neighbours, crowds, crowd, agent, transform, p, radius, false, true)) {
        // A neighbour without a direction adds nothing: a sum that starts at +0 stays as it
        // is when a zero of either sign is added. A crew that has just been made has no
        // directions yet, and all its agents stand at one global position.
        if (!near.OthersHeaded()) return sum;
        near.TakeNear();
        for (int32_t i = 0; i < near.NearCount(); ++i) {
            const int32_t j = near.NearAgent(i);
            if (j == near.Self()) continue;
            const double d = near.NearDistance(i);
            if (d <= radius) sum += (1.0 - d / radius) * near.Directions()[j];
        }
        return !sum;
    }
    AgentArray& agents = *crowd->agents;
    for (int32_t j = 0; j < agents.GetCount(); ++j) {
        const Agent_ID_Data& other = agents[j];
        if (&other == agent) continue;
        const double d = Len(p - transform.Point(other.global_mg.off));
        if (d <= radius) sum += (1.0 - d / radius) * transform.Direction(other.direction);
    }
    return !sum;
}

// Neighbours between the inner and the outer radius pull the agent towards them, most at the
// middle radius. When the inner and middle radius coincide, a neighbour exactly there counts
// fully instead of by 0 / 0.
LVector Crowdworld::Calc_Cohesion(const double& inner, const double& middle, const double& outer,
                                  Crowd_Data* crowd, Agent_ID_Data* agent) {
    LVector sum = agent->direction;
    if (outer <= inner || outer <= middle || !HasAgents(crowd)) return !sum;
    const CrowdTransform transform = TransformFor(crowd, agent);
    const LVector p = agent->global_mg.off;
    // The weight of a neighbour at distance d, counted only from inner to outer.
    const auto pull = [&](const LVector& offset, double d) {
        double k;
        if (d <= middle) {
            k = middle == inner ? 1.0 : (d - inner) / (middle - inner);
        } else {
            k = 1.0 + (d - middle) / (middle - outer);
        }
        if (d != 0.0) sum += (offset / d) * k;
    };
    NeighbourQuery near;
    if (transform.identity && outer > 0.0 &&
        near.Find(neighbours, crowds, crowd, agent, transform, p, outer, false, true)) {
        // Neighbours at the agent's own place add nothing; a crew that has just been made
        // stands at one global position.
        if (near.AllAt(p)) return !sum;
        near.TakeNear();
        for (int32_t i = 0; i < near.NearCount(); ++i) {
            const int32_t j = near.NearAgent(i);
            if (j == near.Self()) continue;
            const double d = near.NearDistance(i);
            if (d < inner || d > outer) continue;
            pull(near.Globals()[j] - p, d);
        }
        return !sum;
    }
    AgentArray& agents = *crowd->agents;
    for (int32_t j = 0; j < agents.GetCount(); ++j) {
        const Agent_ID_Data& other = agents[j];
        if (&other == agent) continue;
        const LVector offset = transform.Point(other.global_mg.off) - p;
        const double d = Len(offset);
        if (d < inner || d > outer) continue;
        pull(offset, d);
    }
    return !sum;
}

// Neighbours strictly inside the radius push the agent away, harder the closer they are.
LVector Crowdworld::Calc_Repulsion(const double& radius, Crowd_Data* crowd, Agent_ID_Data* agent) {
    LVector sum = agent->direction;
    if (!HasAgents(crowd)) return !sum;
    const CrowdTransform transform = TransformFor(crowd, agent);
    const LVector p = agent->mg.off;
    NeighbourQuery near;
    if (near.Find(neighbours, crowds, crowd, agent, transform, p, radius, true, true)) {
        // No distance is below a radius of 0 or less.
        if (!(radius > 0.0)) return !sum;
        if (near.TakeNear()) {
            for (int32_t i = 0; i < near.NearCount(); ++i) {
                const int32_t j = near.NearAgent(i);
                if (j == near.Self()) continue;
                const double d = near.NearDistance(i);
                if (d < radius && d != 0.0)
                    sum += ((p - near.Locals()[j]) / d) * (1.0 - d / radius);
            }
            return !sum;
        }
        const double beyond = SquaredBeyond(radius);
        for (int32_t i = 0; i < near.Count(); ++i) {
            const int32_t j = near.Agent(i);
            if (j == near.Self()) continue;
            const LVector offset = p - transform.Point(near.Locals()[j]);
            const double squared = offset.GetSquaredLength();
            if (squared > beyond) continue;
            const double d = std::sqrt(squared);
            if (d < radius && d != 0.0) sum += (offset / d) * (1.0 - d / radius);
        }
        return !sum;
    }
    AgentArray& agents = *crowd->agents;
    for (int32_t j = 0; j < agents.GetCount(); ++j) {
        const Agent_ID_Data& other = agents[j];
        if (&other == agent) continue;
        const LVector offset = p - transform.Point(other.mg.off);
        const double d = Len(offset);
        if (d < radius && d != 0.0) sum += (offset / d) * (1.0 - d / radius);
    }
    return !sum;
}

// The target's global position carried into the agent's generator space; a range of 0 or
// less means no limit.
LVector Crowdworld::Calc_Follow(const double& range, BaseObject* target, Agent_ID_Data* agent) {
    return FollowPosition(range, target->GetMg().off, agent);
}

LVector Crowdworld::FollowPosition(const double& range, const LVector& target,
                                   Agent_ID_Data* agent) {
    const LVector q = !agent->parent_mg * target;
    const LVector offset = q - agent->mg.off;
    const double d = Len(offset);
    if (range > 0.0 && d > range) return LVector();
    return !offset;
}

// A bound guessed, not proven: the motion step's move along the longest axis at the top speed
// (or the speed, or the half acceleration of a restart above it), plus last frame's push.
// Whoever relies on it takes it twice over and checks every move against it.
double Crowdworld::GuessedMove(const Agent_ID_Data& agent) const {
    const double speed =
        std::fmax(std::fabs(agent.speed),
                  std::fabs(agent.max_speed) + std::fabs(agent.acceleration) * time_step);
    const double push = Len(kSteerShare * agent.steer_vector + agent.extra_velocity);
    // The longest axis: the root of the largest square is the largest root, to the bit.
    const double longest = std::sqrt(
        std::fmax(agent.mg.v1.GetSquaredLength(),
                  std::fmax(agent.mg.v2.GetSquaredLength(), agent.mg.v3.GetSquaredLength())));
    return time_step * (speed * std::fmax(longest, 1.0) + push);
}

// The motion step, a small state machine per agent. A moving agent accelerates towards its
// top speed and moves along its forward axis, pushed by its neighbours and obstacles. While
// its neighbours push it backwards it brakes without moving; at a standstill it waits 1 to 10
// frames, drawn at random. In the frame the wait ends it moves again, at half acceleration.
void Crowdworld::Update_Agent_Vectors(Agent_ID_Data* agent, Agent_ID_Data* evaluated) {
    const double dt = time_step;
    if (std::fabs(agent->direction.x - evaluated->rotation.x) >= kTurnThreshold ||
        std::fabs(agent->direction.y - evaluated->rotation.y) >= kTurnThreshold ||
        std::fabs(agent->direction.z - evaluated->rotation.z) >= kTurnThreshold) {
        agent->rotation = GetOptimalAngle(agent->rotation, evaluated->rotation);
    }
    const LVector forward = GetDirVect(agent->mg, forward_axis);

    if (agent->waiting == 0) {
        if (forward * agent->steer_vector < 0.0) {
            agent->speed -= agent->acceleration * dt;
            if (agent->speed <= 0.0) {
                agent->waiting = 1;
                // In waves the draws wait for a pass in array order after the waves.
                if (draws_pending != nullptr) {
                    draws_pending[agent - draws_base] = 1;
                } else {
                    agent->wait_frames = static_cast<int32_t>(random.Get01() * 10.0 + 1.0);
                }
                agent->speed = 0.0;
            }
            return;
        }
        if (agent->speed < agent->max_speed) agent->speed += agent->acceleration * dt;
        const double capped = agent->max_speed < agent->speed ? agent->max_speed : agent->speed;
        agent->speed = capped < 0.0 ? 0.0 : capped;
        if (agent->speed > 0.0) {
            agent->mg.off += (kSteerShare * agent->steer_vector + agent->extra_velocity) * dt +
                             forward * (agent->speed * dt);
        }
        return;
    }

    agent->wait_frames -= 1;
    agent->waiting = agent->wait_frames > 0 ? 1 : 0;
    if (agent->waiting != 0) return;
    if (agent->speed < agent->max_speed) agent->speed += 0.5 * agent->acceleration * dt;
    LVector push = kSteerShare * agent->steer_vector + agent->extra_velocity;
    if (agent->speed < Len(push)) push = !push * agent->speed;
    agent->mg.off += forward * (agent->speed * dt) + push * dt;
}
