// Obstacles through the module: one agent facing a sphere, a box or a polygon object, with a
// behaviour whose only term is the obstacle term. The agent's record after a frame shows the
// last probe hit and the push-out.
#include "tests/support/WorldScene.h"

#include "host/scene/ObjectDescription.h"

#include <random>

namespace {

using vantri_test::vec;

constexpr double kTolerance = 1e-9;
constexpr double kDegree = 3.141592653589793 / 180;

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
    EXPECT_GT(a.collision_steer.x, 0.0) << "straight back, the steering leans to the right";
    EXPECT_NEAR(a.collision_steer.z, -std::cos(5 * kDegree), kTolerance);
    // A distance of 0 counts as 0.0001, but the push-out takes the agent no further in this
    // frame's step than out of the box (10 deep) and its clearance of 5.25 beyond.
    EXPECT_NEAR(a.extra_velocity.z * vantri_test::step_of(1, 25), -15.25, kTolerance);
    EXPECT_EQ(a.extra_velocity.x, 0.0);
}

// However deep inside a box or sphere, whichever face is nearest, in one frame the push-out
// carries an agent out and at most its clearance (body radius and random margin) beyond; the
// unbounded push of 1 / 0.0001 sent an agent 1.5 inside a box some 4,150 units away.
TEST_F(WorldObstacle, ThePushOutCarriesAnAgentNoFurtherThanOutOfTheObstacle) {
    vantri::SceneObject* box = add_obstacle("Box", CROWDOBSTACLE_SHAPE_BOX);
    set_real(box, CROWDOBSTACLE_SIZE_X, 60.0);
    set_real(box, CROWDOBSTACLE_SIZE_Z, 140.0);
    vantri::SceneObject* sphere = add_obstacle("Sphere", CROWDOBSTACLE_SHAPE_SPHERE);
    set_real(sphere, CROWDOBSTACLE_RADIUS, 50.0);
    std::mt19937 random(45);
    std::uniform_real_distribution<double> where(-1.0, 1.0), turn(-3.1, 3.1);
    for (int i = 0; i < 200; ++i) {
        SCOPED_TRACE(i);
        const bool in_box = i % 2 == 0;
        const VtVector at = in_box ? vec(29.5 * where(random), 0, 69.5 * where(random))
                                   : vec(35 * where(random), 0, 35 * where(random));
        const double heading = turn(random);
        const VtVector facing = vec(-std::sin(heading), 0, std::cos(heading));
        const VtAgentRecord& a = probe({in_box ? box : sphere}, at, facing);
        const double depth =
            in_box ? std::min(30 - std::fabs(at.x), 70 - std::fabs(at.z)) : 50 - vantri::length(at);
        EXPECT_LE(vantri::length(a.extra_velocity) * vantri_test::step_of(1, 25),
                  depth + 5.25 + 1e-9);
        EXPECT_TRUE(vantri_test::finite(a));
    }
}

// Heading square into a box face, or through a sphere's centre, the steering points straight
// back and the side probes are never tried: unturned, the agent walked straight in. It now
// turns to its right and goes round, whatever its heading.
TEST_F(WorldObstacle, AnAgentHeadingSquareIntoAnObstacleGoesRound) {
    vantri::SceneObject* box = add_obstacle("Box", CROWDOBSTACLE_SHAPE_BOX);
    vantri::SceneObject* sphere = add_obstacle("Sphere", CROWDOBSTACLE_SHAPE_SPHERE);
    set_real(sphere, CROWDOBSTACLE_RADIUS, 50.0);
    for (vantri::SceneObject* obstacle : {box, sphere}) {
        for (const VtVector& facing : {vec(0, 0, 1), vec(-1, 0, 0)}) {
            SCOPED_TRACE(obstacle->name());
            const VtVector start = facing * -140.0;
            probe({obstacle}, start, facing);
            VtAgentRecord& a = agent(generator, 0);
            place(a, start, facing);
            a.max_speed = a.speed = 100.0;
            a.acceleration = 0.0;
            double across = 0.0;
            for (int i = 0; i < 100; ++i) {
                simulate(++frame);
                const VtVector p = agent(generator, 0).mg.off;
                ASSERT_FALSE(std::fabs(p.x) < 50 && std::fabs(p.z) < 50) << "in at step " << i;
                across = std::max(across, vantri::dot(p, vec(facing.z, 0, -facing.x)));
            }
            EXPECT_GT(across, 50.0) << "it went round on its right";
        }
    }
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
    EXPECT_GT(a->collision_steer.x, 0.0) << "square on, the steering leans to the right";

    cube->set_rotation(VtVector{0.5235987755982988, 0, 0});
    a = &probe({obstacle}, vec(0, 0, -100));
    const VtMatrix m = cube->global_matrix();
    const VtVector front = vantri_test::unit(vec(m.v3.x, m.v3.y, m.v3.z)) * -1.0;
    EXPECT_NEAR(a->hit_normal.x, front.x, kTolerance) << "the normal turns with the object";
    EXPECT_NEAR(a->hit_normal.z, front.z, kTolerance);
    EXPECT_NEAR(vantri::dot(a->hit_point - vec(m.v3.x, m.v3.y, m.v3.z) * -50.0, front), 0.0, 1e-6)
        << "the hit lies on the turned face";
}

// A geometry obstacle scaled differently per axis gives the hit normal the scaled surface has:
// the same as a ramp built at that size and slope, unscaled.
TEST_F(WorldObstacle, AnUnevenlyScaledGeometryObstacleGivesTheNormalOfItsScaledSurface) {
    const auto ramp = [](double width, double depth, double slope) {
        vantri::PlaneSettings settings;
        settings.width = width;
        settings.depth = depth;
        const double h = slope * depth / 2;
        settings.heights = std::vector<double>{-h, -h, h, h};
        return vantri::make_plane(settings);
    };
    std::mt19937 random(7);
    std::uniform_real_distribution<double> scale(0.5, 3.0), slope(0.2, 1.5);
    for (int i = 0; i < 30; ++i) {
        SCOPED_TRACE(i);
        const VtVector s{scale(random), scale(random), scale(random)};
        const double rise = slope(random);
        vantri::SceneObject* scaled =
            add_mesh(vantri::kPolygonType, "Scaled", ramp(200, 200, rise));
        scaled->set_scale(s);
        vantri::SceneObject* built =
            add_mesh(vantri::kPolygonType, "Built", ramp(200 * s.x, 200 * s.z, rise * s.y / s.z));
        VtVector normals[2];
        for (int k = 0; k < 2; ++k) {
            vantri::SceneObject* obstacle = add_obstacle("Geometry", CROWDOBSTACLE_SHAPE_OBJECT);
            set_link(obstacle, CROWDOBSTACLE_OBJECT, k == 0 ? scaled : built);
            normals[k] = probe({obstacle}, vec(0, 1, -40)).hit_normal;
        }
        EXPECT_GT(normals[1].y, 0.0) << "the ramp was hit";
        EXPECT_NEAR(normals[0].x, normals[1].x, kTolerance);
        EXPECT_NEAR(normals[0].y, normals[1].y, kTolerance);
        EXPECT_NEAR(normals[0].z, normals[1].z, kTolerance);
    }
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
