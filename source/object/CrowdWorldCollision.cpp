// Keeping agents off each other (obstacles: CrowdWorldObstacles.cpp).
//
// Agent avoidance looks at the agents of one crowd group inside an ellipse ahead of the agent
// (its look-ahead forward, its group's side radius across) and steers away from them, twice as
// hard from those coming towards it. It also sums a push-out from every neighbour that the
// motion step adds to the agent's movement, and remembers the nearest neighbour it saw.
#include "CrowdWorld.h"

#include "VectorMath.h"

#include "AngleConstants.h"

#include <cmath>

namespace {

// Single-precision constants of the avoidance weights, as the exact doubles they widen to.
constexpr double kOncomingFactor = 2.4000000953674316;
constexpr double kSameWayFactor = 1.2000000476837158;
using angle::kPi;

} // namespace

LVector Crowdworld::Agent_Avoidance(Crowd_Data* crowd, Agent_ID_Data* agent) {
    const CrowdTransform transform = Crowd_Transform(crowd, agent);
    const double reach = agent->look_ahead;
    const double side = agent->crowd != nullptr ? agent->crowd->side_radius : 0.0;
    const LVector position = agent->mg.off;
    const LVector& heading = agent->direction;
    agent->steer_vector = LVector();
    LVector sum;

    if (crowd->agents != nullptr) {
        AgentArray& agents = *crowd->agents;
        for (int32_t j = 0; j < agents.GetCount(); ++j) {
            const Agent_ID_Data& other = agents[j];
            if (&other == agent) continue;
            const LVector other_position = transform.Point(other.mg.off);
            const LVector offset = other_position - position;
            const double dist = Len(offset);
            if (dist < Len(agent->nearest_offset)) agent->nearest_offset = offset;

            LVector unit;
            double c = 0.0;
            if (dist != 0.0) {
                unit = offset / dist;
                c = unit * heading;
            }
            const double angle = c >= 1.0 ? 0.0 : (c <= -1.0 ? kPi : std::acos(c));
            const double limit = EllipseRlen(side, reach, angle);
            if (!(dist <= limit && unit * heading >= 0.0)) continue;

            LVector away = -unit * (unit * heading);
            const double away_length = Len(away);
            if (away_length != 0.0) {
                away = (away / away_length) * ((dist - limit) * (dist - limit));
            } else {
                away = LVector();
            }
            const double factor = transform.Direction(other.direction) * heading <= 0.0
                                    ? kOncomingFactor
                                    : kSameWayFactor;
            sum += away * factor;
            if (dist != 0.0) {
                const double k = (2.0 * agent->size.z - dist + agent->random_value) / dist;
                agent->steer_vector += (position - other_position) * k;
            }
        }
    }

    agent->avoid_steer = !sum;
    return agent->avoid_steer;
}
