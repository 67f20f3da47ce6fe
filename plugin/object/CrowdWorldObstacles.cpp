// Keeping agents off obstacles.
//
// Every frame an agent probes its way with five rays: straight along its direction as far
// as its look-ahead, and at 45 and 90 degrees to either side, as far as the edge of the
// ellipse of its look-ahead and its crowd's side radius. Each obstacle of the world's list
// is tested with the probes in that order until one hits a surface the agent heads into;
// that hit's normal, weighted by how squarely the agent heads into it, joins the steering
// sum, and a push-out along the normal keeps the agent at its body radius (plus its random
// margin) from the surface.
//
// A sphere or box obstacle is intersected in closed form. A geometry obstacle is first
// tested against a box of its bounding size, then its polygons through the host's ray
// collider along the agent's heading; the host keeps the polygons' hierarchy between calls.
// Everything is worked out in the space of the agent's generator, the collider's hit point
// and normal carried there from the linked object's own space.
#include "plugin/object/CrowdWorld.h"

#include "plugin/messages.h"
#include "plugin/object/ObstacleDepth.h"

#include "plugin/hostapi/InExcludeData.h"
#include "plugin/geometry/RayIntersection.h"
#include "plugin/geometry/RotationConversion.h"
#include "plugin/geometry/SurfaceNormals.h"
#include "plugin/geometry/VectorMath.h"
#include "parameter_ids/ocrowdobstacle.h"
#include "plugin/register.h"

#include <cmath>
#include <cstdlib>

namespace {

constexpr double kQuarterPi = 0.7853981633974483;
// How far a steering that points straight back from an obstacle is turned to the agent's
// right (5 degrees), so that an agent heading square into a face goes round it.
constexpr double kHeadOnTurn = 0.08726646259971647;

// A box axis and extent from a half-size along a unit axis: a half-size of 0 gives a zero axis
// and extent, a negative one the flipped axis and its absolute value.
void BoxAxis(double half, const LVector& unit, LVector& axis, double& extent) {
    const LVector scaled = unit * half;
    axis = !scaled;
    extent = Len(scaled);
}

// The ray against the box: the first point of its clipped segment when it lies within reach.
bool HitBox(const OC_Ray3& ray, const OC_Box3& box, double reach, LVector& point) {
    OC_IntrRay3Box3 intersection(ray, box);
    if (!intersection.Test() || !intersection.Find()) return false;
    point = intersection.GetPoint(0);
    return Len(ray.origin - point) <= reach;
}

} // namespace

int32_t Crowdworld::CollisionTest(BaseObject* obstacle, BaseObject* generator, Agent_ID_Data* agent,
                                  LVector probe) {
    // Only obstacles answer with their shape; anything else in the list is never hit.
    if (obstacle == nullptr || generator == nullptr || agent == nullptr ||
        obstacle->GetType() != CrowdType::Obstacle)
        return 0;
    const LMatrix generator_mg = generator->GetUpMg() * generator->GetMl();
    const LMatrix to_generator = !generator_mg;
    VtPrivateData request{0, nullptr};
    obstacle->Message(ObjectMessage::PrivateData, &request);
    const BaseContainer* settings = static_cast<BaseContainer*>(request.data);
    if (settings == nullptr) return 0;
    const int32_t shape = settings->GetLong(CROWDOBSTACLE_SHAPE);
    const LMatrix obstacle_mg = obstacle->GetMg();
    const LVector centre = to_generator * obstacle_mg.off;

    const double reach = Len(probe);
    OC_Ray3 ray;
    ray.origin = agent->mg.off;
    ray.direction = !probe;

    if (shape == CROWDOBSTACLE_SHAPE_SPHERE) {
        OC_Sphere3 sphere;
        sphere.center = centre;
        sphere.radius = settings->GetLong(CROWDOBSTACLE_RADIUS);
        OC_IntrRay3Sphere3 intersection(ray, sphere);
        if (!intersection.Test() || !intersection.Find()) return 0;
        const LVector point = intersection.GetPoint(0);
        if (!(Len(ray.origin - point) <= reach)) return 0;
        agent->hit_point = point;
        agent->hit_normal = !(point - centre);
        agent->hit_obstacle = obstacle;
        return 1;
    }

    if (shape == CROWDOBSTACLE_SHAPE_BOX) {
        const LMatrix frame = to_generator * obstacle_mg;
        OC_Box3 box;
        box.center = centre;
        // The half-sizes are whole numbers on purpose: each size is read as an integer and
        // halved with integer division, so a size of 101 gives 50.
        const int32_t half_x = settings->GetLong(CROWDOBSTACLE_SIZE_X) / 2;
        const int32_t half_y = settings->GetLong(CROWDOBSTACLE_SIZE_Y) / 2;
        const int32_t half_z = settings->GetLong(CROWDOBSTACLE_SIZE_Z) / 2;
        BoxAxis(half_x, !frame.v1, box.axis[0], box.extent[0]);
        BoxAxis(half_y, !frame.v2, box.axis[1], box.extent[1]);
        BoxAxis(half_z, !frame.v3, box.axis[2], box.extent[2]);
        LVector point;
        if (!HitBox(ray, box, reach, point)) return 0;
        agent->hit_point = point;
        // The face whose plane lies nearest to the hit; the earlier face wins a tie.
        LVector normal;
        double nearest = 0.0;
        for (int face = 0; face < 6; ++face) {
            const int i = face % 3;
            const LVector n = face < 3 ? box.axis[i] : -box.axis[i];
            const double distance = std::fabs((centre + n * box.extent[i]) * n - point * n);
            if (face == 0 || distance < nearest) {
                nearest = distance;
                normal = n;
            }
        }
        agent->hit_normal = normal;
        agent->hit_obstacle = obstacle;
        return 1;
    }

    if (shape != CROWDOBSTACLE_SHAPE_OBJECT) return 0;
    BaseObject* geometry =
        static_cast<BaseObject*>(settings->GetLink(CROWDOBSTACLE_OBJECT, generator->GetDocument()));
    if (geometry == nullptr) return 0;
    const LMatrix geometry_mg = geometry->GetMg();
    // The rough test: a box of the object's bounding size around its origin, unrotated.
    const LVector half = geometry->GetRad();
    OC_Box3 bounds;
    bounds.center = to_generator * geometry_mg.off;
    BoxAxis(half.x, LVector(1, 0, 0), bounds.axis[0], bounds.extent[0]);
    BoxAxis(half.y, LVector(0, 1, 0), bounds.axis[1], bounds.extent[1]);
    BoxAxis(half.z, LVector(0, 0, 1), bounds.axis[2], bounds.extent[2]);
    LVector rough;
    if (!HitBox(ray, bounds, reach, rough)) return 0;

    GeRayCollider* polygons = GeRayCollider::Alloc();
    if (polygons == nullptr) return 0;
    int32_t result = 0;
    if (polygons->Init(geometry, FALSE)) {
        // The ray runs in the object's own space, along the agent's heading.
        const LMatrix to_geometry = !geometry_mg * generator_mg;
        LMatrix heading_mg = to_geometry * agent->mg;
        const LVector start = to_geometry * agent->mg.off;
        const LVector heading = !GetDirVect(heading_mg, forward_axis);
        RayHit hit;
        if (polygons->Intersect(start, heading, reach, FALSE) &&
            polygons->GetNearestIntersection(&hit)) {
            const LMatrix to_agents = !generator->GetMg() * geometry_mg;
            agent->hit_point = to_agents * hit.position;
            // A normal is carried by the inverse transpose under a scale that differs per
            // axis; under a uniform one it is carried as any direction.
            agent->hit_normal = !CarryNormal(to_agents, hit.face_normal);
            agent->hit_obstacle = obstacle;
            result = 1;
        }
    }
    GeRayCollider::Free(polygons);
    return result;
}

LVector Crowdworld::Calc_Collisions(BaseObject* generator, Crowd_Data*, Agent_ID_Data* agent,
                                    InExcludeData* obstacles) {
    const LVector heading = agent->direction;
    agent->extra_velocity = LVector();
    LVector sum;
    bool hit = false;
    const double side = agent->crowd != nullptr ? agent->crowd->side_radius : 0.0;
    BaseDocument* doc = generator != nullptr ? generator->GetDocument() : nullptr;
    const int32_t count = obstacles != nullptr ? obstacles->GetObjectCount() : 0;

    for (int32_t i = 0; i < count; ++i) {
        BaseObject* obstacle = static_cast<BaseObject*>(obstacles->ObjectFromIndex(doc, i));
        if (obstacle == nullptr) continue;
        for (int32_t k = 0; k < 5; ++k) {
            LVector direction = heading;
            double reach = agent->look_ahead;
            if (k > 0) {
                const int32_t j = (k % 2 == 1) ? -((k + 1) / 2) : (k + 1) / 2;
                const double angle = j * kQuarterPi;
                direction = MatrixRotY(angle) * heading;
                const double across = std::sin(angle) * side;
                const double ahead = std::cos(angle) * agent->look_ahead;
                reach = std::sqrt(across * across + ahead * ahead);
            }
            if (CollisionTest(obstacle, generator, agent, direction * reach) == 0) continue;
            const LVector normal = agent->hit_normal;
            const double approach = -(heading * normal);
            if (!(approach > 0.0)) continue;
            double distance = Len(agent->mg.off - agent->hit_point);
            double inverse = 0.0;
            if (distance == 0.0) {
                distance = 0.0001;
                inverse = 10000.0;
            } else {
                inverse = 1.0 / distance;
            }
            sum += normal * approach;
            const double clearance = agent->random_value + agent->size.z;
            const double penetration = clearance - distance;
            LVector push = normal * (penetration * inverse);
            // Inside a sphere or box the distance is no measure of depth (0.0001 for a box),
            // so the push-out is held to what takes the agent out of the obstacle and its
            // clearance beyond in this frame's step.
            const double travel = Len(push) * time_step;
            if (travel > clearance) {
                const LMatrix generator_mg =
                    generator != nullptr ? generator->GetUpMg() * generator->GetMl() : LMatrix();
                const double depth = DepthInsideObstacle(obstacle, generator_mg, agent->mg.off);
                const double limit = depth + clearance > 0.0 ? depth + clearance : 0.0;
                if (depth >= 0.0 && travel > limit) push = push * (limit / travel);
            }
            agent->extra_velocity += push;
            hit = true;
            break;
        }
    }
    agent->collision_steer = !sum;
    // Head on, the steering points straight back and every term lies along the heading: the
    // agent would walk straight in. It is turned a little to the right instead.
    if (hit) agent->collision_steer = TurnHeadOn(agent->collision_steer, heading, kHeadOnTurn);
    return hit ? agent->collision_steer : LVector();
}
