// Keeping agents off each other (obstacles: CrowdWorldObstacles.cpp).
//
// Agent avoidance looks at the agents of one crowd group inside an ellipse ahead of the agent
// (its look-ahead forward, its group's side radius across) and steers away from them, twice as
// hard from those coming towards it. It also sums a push-out from every neighbour that the
// motion step adds to the agent's movement, and remembers the nearest neighbour it saw.
#include "plugin/object/CrowdWorld.h"

#include "plugin/object/AvoidanceEllipse.h"

#include "plugin/object/NeighbourQuery.h"

#include "plugin/geometry/VectorMath.h"

#include "abi/AngleConstants.h"

#include <cmath>

namespace {

// Single-precision constants of the avoidance weights, as the exact doubles they widen to.
constexpr double kOncomingFactor = 2.4000000953674316;
constexpr double kSameWayFactor = 1.2000000476837158;
using angle::kPi;

// Whether an agent at distance `dist` (> 0) whose direction makes the cosine `c` with the
// agent's heading surely lies beyond the ellipse's reach EllipseRlen(a, b, acos(c)), decided
// without the angle: the reach's square is a²b² / (a²c² + b²(1 - c²)) up to rounding, and the
// margin of 1e-6 dwarfs the rounding of that form and of the angle's sine and cosine as long
// as c stays clear of 0 and 1 and the half-axes stay within 1e-50 to 1e50. Anything else is
// left to the exact test.
bool SurelyOutside(double dist, double c, double a, double b) {
    if (!(c >= 1e-6 && c < 1.0)) return false;
    const auto tame = [](double x) {
        x = std::fabs(x);
        return x >= 1e-50 && x <= 1e50;
    };
    if (!tame(a) || !tame(b)) return false;
    const double sine = (1.0 - c) * (1.0 + c);
    if (!(sine >= 1e-12)) return false;
    const double spread = a * a * c * c + b * b * sine;
    return dist * dist * spread > a * a * b * b * (1.0 + 1e-6);
}

// A squared distance above this belongs to a distance above `distance` (>= 0), whatever the
// rounding of the square root; NaN for a distance that is not a number.
double SquaredBeyond(double distance) {
    return distance * distance * (1.0 + 1e-12);
}

// Whether an agent at `offset` surely lies behind one heading along `heading`: the cosine the
// avoidance computes from the unit offset is then negative too, since the dot product is
// negative by more than its rounding.
bool Behind(const LVector& offset, const LVector& heading) {
    const double dot = offset * heading;
    const double size = std::fabs(offset.x * heading.x) + std::fabs(offset.y * heading.y) +
                        std::fabs(offset.z * heading.z);
    return dot < -1e-9 * size;
}

} // namespace

// Every other agent of the group counts for the nearest offset, however far. Then an agent
// ahead or beside within the ellipse (the look-ahead forward, the side radius across) steers
// the agent away from it, and pushes it out.
//
// With the grid search the ellipse's agents come from the grid, sorted, and a pair is dropped
// before the angle and the ellipse's reach are computed when it cannot pass: when it lies
// beyond both half-axes, or behind the agent. The nearest agent is the one with the least
// distance, the earlier on a tie, exactly as the scan's strict comparison picks it; the search
// for it widens ring by ring until no agent further out can be as near.
LVector Crowdworld::Agent_Avoidance(Crowd_Data* crowd, Agent_ID_Data* agent) {
    const CrowdTransform transform = TransformFor(crowd, agent);
    const double reach = agent->look_ahead;
    const double side = agent->crowd != nullptr ? agent->crowd->side_radius : 0.0;
    const LVector position = agent->mg.off;
    const LVector& heading = agent->direction;
    agent->steer_vector = LVector();
    LVector sum;

    // The share of the other agent at `other_position`, moving along `other_direction`. With
    // `screen`, an agent behind is dropped before the angle is taken.
    const auto avoid = [&](const LVector& other_position, const LVector& offset, double dist,
                           const LVector& other_direction, bool screen) {
        LVector unit;
        double c = 0.0;
        if (dist != 0.0) {
            unit = offset / dist;
            c = unit * heading;
            if (screen && (!(c >= 0.0) || SurelyOutside(dist, c, side, reach))) return;
        }
        const double angle = c >= 1.0 ? 0.0 : (c <= -1.0 ? kPi : std::acos(c));
        const double limit = EllipseRlen(side, reach, angle);
        if (!(dist <= limit && unit * heading >= 0.0)) return;

        LVector away = -unit * (unit * heading);
        const double away_length = Len(away);
        if (away_length != 0.0) {
            away = (away / away_length) * ((dist - limit) * (dist - limit));
        } else {
            away = LVector();
        }
        const double factor = transform.Direction(other_direction) * heading <= 0.0
                                  ? kOncomingFactor
                                  : kSameWayFactor;
        sum += away * factor;
        if (dist != 0.0) {
            const double k = (2.0 * agent->size.z - dist + agent->random_value) / dist;
            agent->steer_vector += (position - other_position) * k;
        }
    };

    const double bound = EllipseBound(side, reach);
    NeighbourQuery near;
    if (crowd->agents != nullptr && std::isfinite(bound) &&
        near.Find(neighbours, crowds, crowd, agent, transform, position, bound, true, true)) {
        const LVector* places = near.Locals();
        const double nearest_limit = Len(agent->nearest_offset);
        int32_t nearest = -1;
        double nearest_dist = nearest_limit;
        // The squares of distances that surely round to more than the bound, or than the
        // nearest distance so far: such an agent needs no square root unless it is nearer.
        const double bound_square = SquaredBeyond(bound);
        double nearest_square = SquaredBeyond(nearest_dist);
        // With the near list, every agent not listed lies further than its reach: when the
        // nearest listed agent is within the reach, no other can be as near.
        bool settled = false;
        if (near.TakeNear()) {
            for (int32_t i = 0; i < near.NearCount(); ++i) {
                const int32_t j = near.NearAgent(i);
                if (j == near.Self()) continue;
                const double dist = near.NearDistance(i);
                if (dist < nearest_dist) {
                    nearest = j;
                    nearest_dist = dist;
                }
                if (dist > bound) continue;
                const LVector offset = places[j] - position;
                if (Behind(offset, heading)) continue;
                avoid(places[j], offset, dist, near.Directions()[j], true);
            }
            settled =
                nearest >= 0 ? nearest_dist <= near.NearReach() : nearest_limit <= near.NearReach();
            if (!settled) {
                // Look again at every candidate for the nearest agent alone; they come in no
                // particular order, so a tie goes to the earlier explicitly.
                nearest = -1;
                nearest_dist = nearest_limit;
                near.TakeAll();
                for (int32_t i = 0; i < near.Count(); ++i) {
                    const int32_t j = near.Agent(i);
                    if (j == near.Self()) continue;
                    const double dist = Len(places[j] - position);
                    if (dist < nearest_dist ||
                        (dist == nearest_dist && nearest >= 0 && j < nearest)) {
                        nearest = j;
                        nearest_dist = dist;
                    }
                }
            }
        }
        for (int32_t i = 0; !near.HasNearList() && i < near.Count(); ++i) {
            const int32_t j = near.Agent(i);
            if (j == near.Self()) continue;
            const LVector other_position = transform.Point(places[j]);
            const LVector offset = other_position - position;
            const double square = offset.GetSquaredLength();
            if (square > nearest_square) {
                if (square > bound_square || Behind(offset, heading)) continue;
            }
            const double dist = std::sqrt(square);
            if (dist < nearest_dist) {
                nearest = j;
                nearest_dist = dist;
                nearest_square = SquaredBeyond(dist);
            }
            if (dist > bound) continue;
            avoid(other_position, offset, dist, near.Directions()[j], true);
        }

        // Whether an agent outside what was searched could still be nearer. A limit that is
        // not a number lets no agent be nearer.
        const auto open = [&](double floor) {
            if (nearest_limit != nearest_limit) return false;
            return nearest < 0 ? !(floor >= nearest_limit) : !(floor > nearest_dist);
        };
        bool searching = !settled && open(near.SearchedBeyond());
        for (int32_t ring = 0; searching; ++ring) {
            const bool more = near.VisitRing(ring, [&](int32_t j) {
                if (j == near.Self()) return;
                const double dist = Len(transform.Point(places[j]) - position);
                if (dist < nearest_dist || (dist == nearest_dist && nearest >= 0 && j < nearest)) {
                    nearest = j;
                    nearest_dist = dist;
                }
            });
            searching = more && open(near.RingBeyond(ring));
        }
        if (nearest >= 0) agent->nearest_offset = transform.Point(places[nearest]) - position;
    } else if (crowd->agents != nullptr) {
        AgentArray& agents = *crowd->agents;
        for (int32_t j = 0; j < agents.GetCount(); ++j) {
            const Agent_ID_Data& other = agents[j];
            if (&other == agent) continue;
            const LVector other_position = transform.Point(other.mg.off);
            const LVector offset = other_position - position;
            const double dist = Len(offset);
            if (dist < Len(agent->nearest_offset)) agent->nearest_offset = offset;
            avoid(other_position, offset, dist, other.direction, false);
        }
    }

    agent->avoid_steer = !sum;
    return agent->avoid_steer;
}
