// Terrain following through the module: one agent over a plane linked as the world's
// terrain. After a frame its height and its pitch and bank show what the terrain gave.
#include "tests/support/WorldScene.h"

#include <random>

namespace {

using vantri_test::vec;

constexpr double kTolerance = 1e-9;
constexpr double kSlope = 0.3; // rise per unit

class WorldTerrain : public vantri_test::EnvironmentScene {
  protected:
    void SetUp() override {
        EnvironmentScene::SetUp();
        keep = add_behaviour("Keep");
        set_int(keep, CROWDBEHAV_KEEP_DIRECTION, 1);
    }

    void use_terrain(vantri::SceneObject* terrain) { set_link(world, CROWDWORLD_TERRAIN, terrain); }

    /// One frame standing still at `at`, facing `facing`.
    VtAgentRecord& stand(VtVector at, VtVector facing = vec(0, 0, 1)) {
        return step({keep}, at, facing, [](VtAgentRecord& a) { a.max_speed = 0.0; });
    }

    vantri::SceneObject* keep = nullptr;
};

TEST_F(WorldTerrain, FlatGroundKeepsTheHeightAndLevelsTheAgent) {
    use_terrain(add_slope("Ground", 1000, 0, 0));
    VtAgentRecord* a = &stand(vec(10, 0, 20));
    EXPECT_EQ(a->mg.off.y, 0.0);
    EXPECT_EQ(a->rotation.y, 0.0);
    EXPECT_EQ(a->rotation.z, 0.0);
    a = &stand(vec(10, -50, 20));
    EXPECT_NEAR(a->mg.off.y, 0.0, kTolerance) << "50 below: lifted by the upward cast of 100";
    a = &stand(vec(10, -200000, 20), vec(0, 0, 1));
    EXPECT_EQ(a->mg.off.y, -200000.0) << "nothing within 100000: the height stays";
    EXPECT_EQ(a->rotation.y, 0.0);
    EXPECT_EQ(a->rotation.z, 0.0);
}

// Going up a slope along its forward axis the agent pitches by the slope's angle; across it,
// it banks by that angle.
TEST_F(WorldTerrain, ASlopeGivesPitchAlongAndBankAcrossTheForwardAxis) {
    const double angle = std::atan(kSlope);
    use_terrain(add_slope("Along z", 1000, 0, kSlope));
    VtAgentRecord* a = &stand(vec(0, 5, 100));
    EXPECT_NEAR(a->mg.off.y, kSlope * 100.0001, 1e-9)
        << "25 below, the longer casts start 0.0001 further along z";
    a = &stand(vec(0, 30, 100));
    EXPECT_NEAR(a->mg.off.y, kSlope * 100, 1e-9);
    EXPECT_NEAR(std::fabs(a->rotation.y), angle, 1e-12);
    EXPECT_NEAR(std::sin(a->rotation.z), 0.0, 1e-12);

    use_terrain(add_slope("Along x", 1000, kSlope, 0));
    a = &stand(vec(100, 30, 0));
    EXPECT_NEAR(a->mg.off.y, kSlope * 100, 1e-9);
    EXPECT_NEAR(std::sin(a->rotation.y), 0.0, 1e-12);
    EXPECT_NEAR(std::fabs(std::sin(a->rotation.z)), std::sin(angle), 1e-12);
}

// A flat terrain turned 20 degrees about Z is a slope: the casts and the normal are carried
// between its space and the generator's, so the agent banks by 20 degrees.
TEST_F(WorldTerrain, ARotatedTerrainTiltsTheAgentByItsTrueSlope) {
    vantri::SceneObject* ground = add_slope("Turned", 1000, 0, 0);
    const double bank = 20.0 * 3.141592653589793 / 180.0;
    ground->set_rotation(VtVector{0, 0, bank});
    use_terrain(ground);
    const VtAgentRecord& a = stand(vec(100, 0, 0));
    EXPECT_NEAR(std::fabs(std::sin(a.rotation.z)), std::sin(bank), 1e-12);
    EXPECT_NEAR(std::fabs(a.mg.off.y), 100 * std::tan(bank), 1e-9);
}

// Every forward axis stands upright on flat ground: the tilted frame is right-handed.
TEST_F(WorldTerrain, EveryForwardAxisStandsUprightOnFlatGround) {
    use_terrain(add_slope("Ground", 1000, 0, 0));
    for (int32_t axis = CROWDGEN_AXIS_XPOS; axis <= CROWDGEN_AXIS_ZNEG; ++axis) {
        set_int(generator, CROWDGEN_FORWARD_AXIS, axis);
        const VtAgentRecord& a = stand(vec(0, 0, 0));
        EXPECT_NEAR(std::sin(a.rotation.y), 0.0, 1e-12) << "axis " << axis;
        EXPECT_NEAR(std::cos(a.rotation.z), 1.0, 1e-12) << "axis " << axis << ": no bank of pi";
    }
}

// A terrain scaled differently per axis tilts the agents by the slope the scaled surface has:
// the same as a plane built at that size and slope, unscaled. (Carried like a direction, the
// normal of a plane of true slope 30.96 degrees scaled [1, 2, 1] tilted them 8.53 degrees.)
TEST_F(WorldTerrain, AnUnevenlyScaledTerrainTiltsLikeTheSameSurfaceBuiltUnscaled) {
    const auto plane = [](double width, double depth, double slope_x, double slope_z) {
        vantri::PlaneSettings settings;
        settings.width = width;
        settings.depth = depth;
        const double hx = width / 2, hz = depth / 2;
        settings.heights =
            std::vector<double>{-slope_x * hx - slope_z * hz, slope_x * hx - slope_z * hz,
                                -slope_x * hx + slope_z * hz, slope_x * hx + slope_z * hz};
        return vantri::make_plane(settings);
    };
    std::mt19937 random(20);
    std::uniform_real_distribution<double> scale(0.25, 4.0), slope(-0.6, 0.6), place(-0.4, 0.4);
    for (int i = 0; i < 40; ++i) {
        SCOPED_TRACE(i);
        const VtVector s{scale(random), scale(random), scale(random)};
        const double slope_x = slope(random), slope_z = slope(random);
        const double x = place(random) * 400 * s.x, z = place(random) * 400 * s.z;
        vantri::SceneObject* scaled =
            add_mesh(vantri::kPlaneType, "Scaled", plane(400, 400, slope_x, slope_z));
        scaled->set_scale(s);
        vantri::SceneObject* built =
            add_mesh(vantri::kPlaneType, "Built",
                     plane(400 * s.x, 400 * s.z, slope_x * s.y / s.x, slope_z * s.y / s.z));
        for (const int32_t axis : {CROWDGEN_AXIS_ZPOS, CROWDGEN_AXIS_XNEG}) {
            set_int(generator, CROWDGEN_FORWARD_AXIS, axis);
            use_terrain(scaled);
            const VtAgentRecord a = stand(vec(x, 0, z), vec(0.6, 0, 0.8));
            use_terrain(built);
            const VtAgentRecord b = stand(vec(x, 0, z), vec(0.6, 0, 0.8));
            // The longer casts start 0.0001 further along the terrain's own z: a hair apart.
            EXPECT_NEAR(a.mg.off.y, b.mg.off.y, 1e-3);
            EXPECT_NEAR(a.rotation.y, b.rotation.y, 1e-9) << "pitch";
            EXPECT_NEAR(a.rotation.z, b.rotation.z, 1e-9) << "bank";
        }
    }
}

} // namespace
