// Obstacles through the module: one agent facing a sphere, a box or a polygon object, with a
// behaviour whose only term is the obstacle term. The agent's record after a frame shows the
// last probe hit and the push-out.
#include "tests/support/WorldScene.h"

#include "host/scene/ObjectDescription.h"

namespace {

using vantri_test::vec;

constexpr double kTolerance = 1e-9;

class WorldObstacle : public vantri_test::EnvironmentScene {
  protected:
    void SetUp() override {
        EnvironmentScene::SetUp();
        avoid = add_behaviour("Avoid");
        set_int(avoid, CROWDBEHAV_COLLISION, 1);
    }

    vantri::SceneObject* add_obstacle(const std::string& name, int32_t shape) {
        vantri::SceneObject* obstacle = add(vantri_test::kObstacleType, name);
        set_int(obstacle, CROWDOBSTACLE_SHAPE, shape);
        return obstacle;
    }

    /// One frame with `obstacles` in the world's list and the agent at `at`, its look-ahead
    /// 100, body radius 5, random margin 0.25, and marked collision fields.
    VtAgentRecord& probe(const std::vector<vantri::SceneObject*>& obstacles, VtVector at,
                         VtVector facing = vec(0, 0, 1)) {
        set_list(world, CROWDWORLD_OBSTACLES, obstacles);
        return step({avoid}, at, facing, [](VtAgentRecord& a) {
            a.look_ahead = 100.0;
            a.size.z = 5.0;
            a.random_value = 0.25;
            a.hit_point = vec(-7, -7, -7);
            a.hit_normal = vec(-7, -7, -7);
            a.hit_obstacle = nullptr;
            a.collision_steer = vec(-7, -7, -7);
            a.extra_velocity = vec(-7, -7, -7);
        });
    }

    vantri::SceneObject* avoid = nullptr;
};

TEST_F(WorldObstacle, ANewObstacleIsABoxOf100AndAnAgentInsideItIsPushedOut) {
    vantri::SceneObject* box = add(vantri_test::kObstacleType, "Box");
    const VtAgentRecord& a = probe({box}, vec(0, 0, -40));
    EXPECT_EQ(a.hit_point, vec(0, 0, -40)) << "inside, the hit is the agent's own position";
    EXPECT_EQ(a.hit_normal, vec(0, 0, -1)) << "the nearest face";
    EXPECT_EQ(a.hit_obstacle, box->handle());
    EXPECT_EQ(a.collision_steer, vec(0, 0, -1));
    EXPECT_EQ(a.extra_velocity, vec(0, 0, -1) * (((0.25 + 5.0) - 0.0001) * 10000.0))
        << "a distance of 0 counts as 0.0001";
}

TEST_F(WorldObstacle, BoxSizesCountInWholeUnitsHalvedDownward) {
    vantri::SceneObject* box = add_obstacle("Box", CROWDOBSTACLE_SHAPE_BOX);
    set_real(box, CROWDOBSTACLE_SIZE_X, 101.0);
    set_real(box, CROWDOBSTACLE_SIZE_Y, 100.0);
    set_real(box, CROWDOBSTACLE_SIZE_Z, 100.9);
    VtAgentRecord* a = &probe({box}, vec(-100, 0, 0), vec(1, 0, 0));
    EXPECT_EQ(a->hit_point, vec(-50, 0, 0));
    EXPECT_EQ(a->hit_normal, vec(-1, 0, 0));
    EXPECT_EQ(a->extra_velocity, vec(-1, 0, 0) * ((5.25 - 50.0) * (1.0 / 50.0)))
        << "farther than its radius the agent is pulled toward the surface";
    a = &probe({box}, vec(0, 0, -100));
    EXPECT_EQ(a->hit_point, vec(0, 0, -50));
    // Heading +Y, every probe runs straight up, so only the box's size decides.
    a = &probe({box}, vec(0, -100, 0), vec(0, 1, 0));
    EXPECT_EQ(a->hit_point, vec(0, -50, 0));
    a = &probe({box}, vec(0, -100, 50.5), vec(0, 1, 0));
    EXPECT_EQ(a->hit_point, vec(-7, -7, -7)) << "100.9 counts as 100, so z 50.5 is outside";
    set_real(box, CROWDOBSTACLE_SIZE_Z, 102.0);
    a = &probe({box}, vec(0, -100, 50.5), vec(0, 1, 0));
    EXPECT_EQ(a->hit_point, vec(0, -50, 50.5)) << "inside a half-size of 51";
    a = &probe({box}, vec(50.5, -100, 0), vec(0, 1, 0));
    EXPECT_EQ(a->hit_point, vec(-7, -7, -7)) << "x 50.5 lies outside a half-size of 50";
    EXPECT_EQ(a->collision_steer, VtVector{}) << "no hit still rewrites the steering";
    EXPECT_EQ(a->extra_velocity, VtVector{});
}

TEST_F(WorldObstacle, EqualFaceDistancesGoToTheEarlierFace) {
    vantri::SceneObject* box = add_obstacle("Box", CROWDOBSTACLE_SHAPE_BOX);
    EXPECT_EQ(probe({box}, vec(-40, 0, -40), vec(1, 0, 0)).hit_normal, vec(-1, 0, 0))
        << "-X comes before -Z";
    EXPECT_EQ(probe({box}, vec(40, 0, 40), vec(-1, 0, 0)).hit_normal, vec(1, 0, 0))
        << "+X comes before +Z";
}

TEST_F(WorldObstacle, ASphereCountsItsRadiusInWholeUnits) {
    vantri::SceneObject* sphere = add_obstacle("Sphere", CROWDOBSTACLE_SHAPE_SPHERE);
    set_real(sphere, CROWDOBSTACLE_RADIUS, 0.5);
    VtAgentRecord* a = &probe({sphere}, vec(0, 0, -100));
    EXPECT_EQ(a->hit_point, vec(0, 0, 0)) << "radius 0: only a ray through the centre";
    EXPECT_EQ(a->collision_steer, VtVector{}) << "whose normal is zero";
    a = &probe({sphere}, vec(0.1, 0, -100));
    EXPECT_EQ(a->hit_point, vec(-7, -7, -7));
    set_real(sphere, CROWDOBSTACLE_RADIUS, 1.5);
    a = &probe({sphere}, vec(0.1, 0, -100));
    EXPECT_NEAR(a->hit_point.z, -std::sqrt(1 - 0.01), kTolerance) << "radius 1";
    EXPECT_NEAR(vantri::dot(a->collision_steer, vec(0, 0, -1)), std::sqrt(1 - 0.01), kTolerance);
}

// From inside a sphere of radius 8 every probe leaves it along its own direction, so no hit
// heads into the surface: all five probes are tried, the last (+90 degrees, toward -X) last.
TEST_F(WorldObstacle, HitsWhoseNormalPointsAlongTheDirectionAreIgnored) {
    vantri::SceneObject* sphere = add_obstacle("Sphere", CROWDOBSTACLE_SHAPE_SPHERE);
    set_real(sphere, CROWDOBSTACLE_RADIUS, 8.0);
    const VtAgentRecord& a = probe({sphere}, vec(0, 0, 0));
    EXPECT_NEAR(a.hit_point.x, -8.0, kTolerance);
    EXPECT_NEAR(a.hit_point.z, 0.0, kTolerance);
    EXPECT_EQ(a.collision_steer, VtVector{});
    EXPECT_EQ(a.extra_velocity, VtVector{});
}

TEST_F(WorldObstacle, APolygonObjectIsHitOnItsFacesWithNormalsInTheGeneratorsSpace) {
    vantri::SceneObject* cube =
        add_mesh(vantri::kPolygonType, "Mesh", vantri::make_cube(VtVector{100, 100, 100}));
    vantri::SceneObject* obstacle = add_obstacle("Geometry", CROWDOBSTACLE_SHAPE_OBJECT);
    VtAgentRecord* a = &probe({obstacle}, vec(0, 0, -100));
    EXPECT_EQ(a->hit_point, vec(-7, -7, -7)) << "no object linked: never hit";

    set_link(obstacle, CROWDOBSTACLE_OBJECT, cube);
    a = &probe({obstacle}, vec(10, 0, -100));
    EXPECT_NEAR(a->hit_point.z, -50.0, kTolerance);
    EXPECT_NEAR(a->hit_point.x, 10.0, kTolerance);
    EXPECT_EQ(a->hit_normal, vec(0, 0, -1));
    EXPECT_EQ(a->collision_steer, vec(0, 0, -1));

    cube->set_rotation(VtVector{0.5235987755982988, 0, 0});
    a = &probe({obstacle}, vec(0, 0, -100));
    const VtMatrix m = cube->global_matrix();
    const VtVector front = vantri_test::unit(vec(m.v3.x, m.v3.y, m.v3.z)) * -1.0;
    EXPECT_NEAR(a->hit_normal.x, front.x, kTolerance) << "the normal turns with the object";
    EXPECT_NEAR(a->hit_normal.z, front.z, kTolerance);
    EXPECT_NEAR(vantri::dot(a->hit_point - vec(m.v3.x, m.v3.y, m.v3.z) * -50.0, front), 0.0, 1e-6)
        << "the hit lies on the turned face";
}

// The scene loader refuses these in an obstacle list; the host can still hold them.
TEST_F(WorldObstacle, ObjectsThatAreNoObstaclesAreNeverHit) {
    vantri::SceneObject* other = add_generator("Other", 1, 1, 1, nullptr);
    vantri::SceneObject* null_object = add_target("Null", VtVector{0, 0, 0});
    vantri::SceneObject* doomed = add_target("Doomed", VtVector{0, 0, 0});
    set_list(world, CROWDWORLD_OBSTACLES, {other, world, null_object, doomed});
    doomed->remove();
    delete doomed;
    for (int i = 0; i < 3; ++i) {
        const VtAgentRecord& a = step({avoid}, vec(0, 0, -40), vec(0, 0, 1),
                                      [](VtAgentRecord& r) { r.hit_obstacle = nullptr; });
        EXPECT_EQ(a.hit_obstacle, nullptr);
        EXPECT_EQ(a.collision_steer, VtVector{});
        EXPECT_TRUE(vantri_test::finite(a));
    }
}

TEST_F(WorldObstacle, RefusedAllocationsWhileProbingGeometryLeakNothing) {
    vantri::SceneObject* cube =
        add_mesh(vantri::kPolygonType, "Mesh", vantri::make_cube(VtVector{100, 100, 100}));
    vantri::SceneObject* obstacle = add_obstacle("Geometry", CROWDOBSTACLE_SHAPE_OBJECT);
    set_link(obstacle, CROWDOBSTACLE_OBJECT, cube);
    probe({obstacle}, vec(0, 0, -100));
    for (uint64_t n = 1; n <= 30; ++n) {
        place(agent(generator, 0), vec(0, 0, -100));
        vantri::allocator().fail_nth(n);
        simulate(++frame);
        vantri::allocator().fail_nth(0);
        EXPECT_TRUE(vantri_test::finite(agent(generator, 0))) << "refusal " << n;
    }
}

} // namespace

namespace {

class ObstacleObject : public vantri_test::StartedPlugin {};

// Which of the three groups (sphere 1006, box 1008, object 1012) the attribute manager shows.
std::string shown(const vantri::Host& host, vantri::SceneObject* obstacle) {
    vantri::DescriptionBuild description;
    EXPECT_TRUE(vantri::build_description(host, *obstacle, description, nullptr));
    std::string result;
    for (int32_t group :
         {CROWDOBSTACLE_GROUP_SPHERE, CROWDOBSTACLE_GROUP_BOX, CROWDOBSTACLE_GROUP_OBJECT}) {
        if (description.hidden(group)) continue;
        result += std::to_string(group) + (description.open(group) ? " open " : " closed ");
    }
    return result;
}

TEST_F(ObstacleObject, ShowsExactlyTheGroupOfItsShapeAndAnswersWithItsContainer) {
    vantri::SceneObject* obstacle = add(vantri_test::kObstacleType, "Obstacle");
    EXPECT_EQ(obstacle->data().get_int(CROWDOBSTACLE_SHAPE, 0), CROWDOBSTACLE_SHAPE_BOX);
    for (int32_t id :
         {CROWDOBSTACLE_SIZE_X, CROWDOBSTACLE_SIZE_Y, CROWDOBSTACLE_SIZE_Z, CROWDOBSTACLE_RADIUS})
        EXPECT_EQ(obstacle->data().get_real(id, 0.0), 100.0) << id;
    EXPECT_EQ(shown(host, obstacle), "1008 open ");
    set_int(obstacle, CROWDOBSTACLE_SHAPE, CROWDOBSTACLE_SHAPE_SPHERE);
    EXPECT_EQ(shown(host, obstacle), "1006 open ");
    set_int(obstacle, CROWDOBSTACLE_SHAPE, CROWDOBSTACLE_SHAPE_OBJECT);
    EXPECT_EQ(shown(host, obstacle), "1012 open ");
    set_int(obstacle, CROWDOBSTACLE_SHAPE, 1003);
    EXPECT_EQ(shown(host, obstacle), "") << "an unknown shape shows no group";

    VtPrivateData request{7, nullptr};
    EXPECT_EQ(send(obstacle, 23, &request), 1);
    EXPECT_EQ(request.answered, 7) << "the flag is left as it was";
    EXPECT_EQ(request.data,
              static_cast<void*>(host.api()->atoms->get_data_instance(obstacle->handle())));
    VtPrivateData other{3, nullptr};
    EXPECT_EQ(send(obstacle, 24, &other), 1);
    EXPECT_EQ(other.data, nullptr);
}

} // namespace
