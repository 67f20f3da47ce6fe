// Standing agents on the terrain object linked to the world.
//
// From 2.5 units above the agent along its up axis, rays are cast down and then up, first
// 10 units long, then 100, 1000, 10000 and 100000 (the start nudged by 0.0001 along the
// terrain's z before each longer pair), until one meets the ground: an agent on the ground
// is found by the first short cast. The agent takes the height of the hit, and its matrix is
// tilted so that its up axis is the ground's normal.
//
// The rays run in the terrain's own space: their start and their directions are carried
// there from the generator's space, and the normal of the face hit is carried back, so a
// terrain rotated against the generator tilts the agents by its true slope. The tilted frame
// is built right-handed for every forward axis.
#include "plugin/object/CrowdWorldTerrain.h"

#include "plugin/geometry/RotationConversion.h"
#include "plugin/geometry/SurfaceNormals.h"
#include "plugin/geometry/VectorMath.h"
#include "parameter_ids/ocrowdgenerator.h"

namespace {

// The axes of `m` applied to a direction; the offset does not enter.
LVector Rotate(const LMatrix& m, const LVector& d) {
    return m.v1 * d.x + m.v2 * d.y + m.v3 * d.z;
}

} // namespace

CrowdWorldTerrain::~CrowdWorldTerrain() {
    GeRayCollider::Free(collider);
}

bool CrowdWorldTerrain::Alloc() {
    collider = GeRayCollider::Alloc();
    return collider != nullptr;
}

// The host keeps the terrain's hierarchy while its geometry is unchanged, so this is cheap
// after the first frame. A failed init leaves every terrain cast of the frame a miss.
void CrowdWorldTerrain::Link(BaseObject* object) {
    terrain = object;
    if (terrain != nullptr && collider != nullptr) collider->Init(terrain, FALSE);
}

void CrowdWorldTerrain::PlaceGenerator(BaseObject* generator) {
    if (terrain != nullptr) {
        const LMatrix terrain_mg = terrain->GetMg();
        const LMatrix generator_mg = generator->GetMg();
        generator_in_terrain = !terrain_mg * generator_mg;
        terrain_in_generator = !generator_mg * terrain_mg;
    }
}

LVector CrowdWorldTerrain::Stand(LMatrix& mg, int32_t forward_axis) {
    if (collider == nullptr) return LVector();
    const LVector up = !mg.v2;
    LVector start = generator_in_terrain * (mg.off + up * 2.5);
    const LVector down_ray = Rotate(generator_in_terrain, -up);
    const LVector up_ray = Rotate(generator_in_terrain, up);

    static const double kReach[] = {10.0, 100.0, 1000.0, 10000.0, 100000.0};
    bool found = false;
    for (int i = 0; i < 5 && !found; ++i) {
        if (i > 0) start.z += 0.0001;
        found = collider->Intersect(start, down_ray, kReach[i], FALSE) ||
                collider->Intersect(start, up_ray, kReach[i], FALSE);
    }
    RayHit hit;
    if (!found || !collider->GetNearestIntersection(&hit)) return LVector();

    mg.off.y = (terrain_in_generator * hit.position).y;

    // The inverse transpose keeps the normal square to a terrain scaled unevenly; under a
    // uniform scale the normal is carried as any direction.
    const LVector normal = !CarryNormal(terrain_in_generator, hit.face_normal);
    LMatrix tilted = mg;
    if (forward_axis == CROWDGEN_AXIS_ZPOS || forward_axis == CROWDGEN_AXIS_ZNEG) {
        tilted.v1 = !(normal % tilted.v3);
        tilted.v2 = !normal;
        tilted.v3 = !(tilted.v1 % tilted.v2);
    } else {
        tilted.v3 = !(-1.0 * (normal % tilted.v1));
        tilted.v2 = !normal;
        tilted.v1 = !(-1.0 * (tilted.v3 % tilted.v2));
    }
    return MatrixToHPB(tilted);
}
