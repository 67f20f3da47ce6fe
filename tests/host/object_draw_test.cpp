// The world's, the behaviour's and the obstacle's viewport drawing through the real module:
// the world's axis cross, the behaviour's separation-radius circle and when it shows, and the
// obstacle's sphere and box outlines.
#include "tests/support/DrawnItems.h"

#include "parameter_ids/ocrowdbehav.h"
#include "parameter_ids/ocrowdobstacle.h"

namespace {

using vantri::DrawPass;
using vantri_test::DrawingTest;
using vantri_test::drawn_of;
using vantri_test::exactly;
using vantri_test::kBehaviourType;
using vantri_test::kObstacleType;
using vantri_test::kWorldType;
using vantri_test::near;
using vantri_test::unit;
namespace drawn = vantri::drawn;
using vantri::operator*;
using vantri::operator+;

constexpr VtVector kRed{1, 0, 0};

TEST_F(DrawingTest, OnlyTheObjectPassDrawsForTheWorldTheBehaviourAndTheObstacle) {
    vantri::SceneObject* world = add(kWorldType, "world");
    vantri::SceneObject* behaviour = add(kBehaviourType, "behaviour");
    set_int(behaviour, CROWDBEHAV_SEPARATION, 1);
    set_int(behaviour, CROWDBEHAV_SEPARATION_RADIUS, 20);
    vantri::SceneObject* sphere = add(kObstacleType, "sphere");
    set_int(sphere, CROWDOBSTACLE_SHAPE, CROWDOBSTACLE_SHAPE_SPHERE);
    set_real(sphere, CROWDOBSTACLE_RADIUS, 50);
    host.set_clock({2024, 5, 1, 12, 0, 0});
    const vantri::DisplayList list = draw();
    for (vantri::SceneObject* object : {world, behaviour, sphere}) {
        EXPECT_EQ(list.result_of(object), 1) << object->name();
        EXPECT_FALSE(list.of(object).empty()) << object->name();
        for (DrawPass pass : {DrawPass::Box, DrawPass::Handles, DrawPass::Highlights}) {
            EXPECT_EQ(list.result_of(object, pass), 2) << object->name();
            EXPECT_TRUE(list.of(object, pass).empty()) << object->name();
        }
    }
}

// The cross starts at the world's own position and runs along its own axes: the points are
// in the world's space, under its global matrix, so a scaled world draws a scaled cross.
TEST_F(DrawingTest, TheWorldDrawsThreeLinesOf300UnitsAlongItsOwnAxes) {
    vantri::SceneObject* parent = add(vantri::kNullType, "parent");
    parent->set_position({0, 50, 0});
    vantri::SceneObject* world = add(kWorldType, "world", parent);
    world->set_position({100, 20, -300});
    world->set_rotation({0.7, -0.2, 0.4});
    world->set_scale({2, 2, 2});
    const vantri::DisplayList list = draw();
    const auto lines = drawn_of<drawn::Line>(list, world);
    const auto pens = drawn_of<drawn::PenChange>(list, world);
    ASSERT_EQ(lines.size(), 3u);
    ASSERT_EQ(pens.size(), 3u);
    const VtMatrix mg = world->global_matrix();
    const VtVector axes[3] = {{300, 0, 0}, {0, 300, 0}, {0, 0, 300}};
    const VtVector colours[3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    const VtVector global_axes[3] = {mg.v1, mg.v2, mg.v3};
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_TRUE(exactly(lines[i].shape->from, {0, 0, 0}));
        EXPECT_TRUE(exactly(lines[i].shape->to, axes[i]));
        EXPECT_EQ(lines[i].shape->flags, 1);
        EXPECT_TRUE(exactly(lines[i].item->pen, colours[i]));
        EXPECT_EQ(pens[i].shape->flags, 1);
        EXPECT_TRUE(exactly(lines[i].item->matrix, mg));
        // In the scene: from the world's position along its axis, 600 long at scale 2.
        const VtVector from = vantri::transform_point(mg, lines[i].shape->from);
        const VtVector to = vantri::transform_point(mg, lines[i].shape->to);
        EXPECT_TRUE(near(from, mg.off));
        EXPECT_TRUE(near(to, mg.off + unit(global_axes[i]) * 600.0, 1e-9));
    }
}

class BehaviourCircle : public DrawingTest {
  protected:
    void SetUp() override {
        DrawingTest::SetUp();
        behaviour = add(kBehaviourType, "behaviour");
        behaviour->set_position({30, 0, 40});
        behaviour->set_rotation({0.5, 0, 0});
        set_int(behaviour, CROWDBEHAV_SEPARATION, 1);
    }
    /// The radius of the circle drawn at this time, or -1 when none is drawn.
    double circle_at(int32_t hour, int32_t minute, int32_t second) {
        host.set_clock({2024, 5, 1, hour, minute, second});
        const vantri::DisplayList list = draw();
        EXPECT_EQ(list.result_of(behaviour), 1);
        const auto circles = drawn_of<drawn::Circle>(list, behaviour);
        if (circles.empty()) return -1;
        EXPECT_EQ(circles.size(), 1u);
        const VtMatrix& m = circles[0].shape->m;
        // In the behaviour's own X-Z plane around its origin, under its global matrix.
        EXPECT_TRUE(exactly(circles[0].item->matrix, behaviour->global_matrix()));
        EXPECT_TRUE(exactly(m.off, {0, 0, 0}));
        EXPECT_TRUE(exactly(m.v1, {m.v1.x, 0, 0}));
        EXPECT_TRUE(exactly(m.v2, {0, 0, m.v1.x}));
        EXPECT_TRUE(exactly(m.v3, {0, 0, 0}));
        EXPECT_TRUE(exactly(circles[0].item->pen, kRed));
        return m.v1.x;
    }
    vantri::SceneObject* behaviour = nullptr;
};

TEST_F(BehaviourCircle, ShowsForSecondsAfterAChangeComparedFieldByField) {
    set_int(behaviour, CROWDBEHAV_SEPARATION_RADIUS, 10);
    EXPECT_EQ(circle_at(12, 0, 0), 10) << "the first draw sees the radius change from 0";
    EXPECT_EQ(circle_at(12, 0, 9), -1);

    set_int(behaviour, CROWDBEHAV_SEPARATION_RADIUS, 20);
    EXPECT_EQ(circle_at(12, 0, 10), 20);
    for (int32_t s = 11; s <= 14; ++s)
        EXPECT_EQ(circle_at(12, 0, s), 20) << "12:00:" << s;
    for (int32_t s : {15, 30, 59})
        EXPECT_EQ(circle_at(12, 0, s), -1) << "12:00:" << s;
    // A later minute compares the minutes alone, whatever the seconds.
    for (auto [m, s] : {std::pair{1, 0}, {1, 59}, {2, 30}, {4, 59}})
        EXPECT_EQ(circle_at(12, m, s), 20) << "12:0" << m << ":" << s;
    for (auto [m, s] : {std::pair{5, 0}, {5, 30}, {10, 0}})
        EXPECT_EQ(circle_at(12, m, s), -1) << "12:" << m << ":" << s;
    // A clock set back gives a negative difference: drawn.
    EXPECT_EQ(circle_at(11, 59, 0), 20);

    // Changing back records a new change time.
    set_int(behaviour, CROWDBEHAV_SEPARATION_RADIUS, 10);
    EXPECT_EQ(circle_at(12, 20, 0), 10);
    EXPECT_EQ(circle_at(12, 20, 4), 10);
    EXPECT_EQ(circle_at(12, 20, 5), -1);
}

TEST_F(BehaviourCircle, WithTheSwitchOffAChangeIsRecordedButNothingDrawn) {
    set_int(behaviour, CROWDBEHAV_SEPARATION_RADIUS, 10);
    EXPECT_EQ(circle_at(12, 0, 0), 10);
    set_int(behaviour, CROWDBEHAV_SEPARATION, 0);
    set_int(behaviour, CROWDBEHAV_SEPARATION_RADIUS, 30);
    EXPECT_EQ(circle_at(12, 30, 0), -1);
    // Switched on again two seconds later, without a new change: the change at 12:30:00 counts.
    set_int(behaviour, CROWDBEHAV_SEPARATION, 1);
    EXPECT_EQ(circle_at(12, 30, 2), 30);
    EXPECT_EQ(circle_at(12, 30, 5), -1);
    // A radius of 0 still restarts the display period, and draws a circle of radius 0.
    set_int(behaviour, CROWDBEHAV_SEPARATION_RADIUS, 0);
    EXPECT_EQ(circle_at(12, 40, 0), 0);
}

class ObstacleOutline : public DrawingTest {
  protected:
    vantri::SceneObject* obstacle(int32_t shape) {
        vantri::SceneObject* o = add(kObstacleType, "obstacle");
        set_int(o, CROWDOBSTACLE_SHAPE, shape);
        return o;
    }
};

TEST_F(ObstacleOutline, ANewObstacleIsABoxOf100AndSwitchedToASphereOfRadius100) {
    vantri::SceneObject* fresh = add(kObstacleType, "fresh");
    vantri::DisplayList list = draw();
    auto boxes = drawn_of<drawn::Box>(list, fresh);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_TRUE(exactly(boxes[0].shape->m, {{0, 0, 0}, {100, 0, 0}, {0, 100, 0}, {0, 0, 100}}));
    EXPECT_EQ(boxes[0].shape->size, 0.5);
    EXPECT_TRUE(drawn_of<drawn::Circle>(list, fresh).empty());

    set_int(fresh, CROWDOBSTACLE_SHAPE, CROWDOBSTACLE_SHAPE_SPHERE);
    list = draw();
    const auto circles = drawn_of<drawn::Circle>(list, fresh);
    ASSERT_EQ(circles.size(), 3u);
    EXPECT_TRUE(exactly(circles[0].shape->m.v1, {100, 0, 0}));
    EXPECT_TRUE(exactly(circles[0].shape->m.v2, {0, 100, 0}));
    EXPECT_TRUE(exactly(circles[2].shape->m.v2, {0, 0, 100}));
    EXPECT_TRUE(drawn_of<drawn::Box>(list, fresh).empty());
}

TEST_F(ObstacleOutline, ABoxIsARedWireBoxOfItsEdgeLengthsAroundItsOrigin) {
    vantri::SceneObject* box = obstacle(CROWDOBSTACLE_SHAPE_BOX);
    box->set_position({10, 20, 30});
    box->set_rotation({0.4, 0.1, 0});
    set_real(box, CROWDOBSTACLE_SIZE_X, 100);
    set_real(box, CROWDOBSTACLE_SIZE_Y, 50);
    set_real(box, CROWDOBSTACLE_SIZE_Z, 20);
    const vantri::DisplayList list = draw();
    const auto boxes = drawn_of<drawn::Box>(list, box);
    ASSERT_EQ(boxes.size(), 1u);
    const drawn::Box& b = *boxes[0].shape;
    EXPECT_TRUE(exactly(b.m, {{0, 0, 0}, {100, 0, 0}, {0, 50, 0}, {0, 0, 20}}));
    EXPECT_EQ(b.size, 0.5);
    EXPECT_TRUE(exactly(b.colour, kRed));
    EXPECT_TRUE(b.wire);
    EXPECT_TRUE(exactly(boxes[0].item->matrix, box->global_matrix()));
    // Its corners, in its own space, are the ends of edges 100, 50 and 20 long.
    const VtVector corner = b.m.off + b.m.v1 * b.size + b.m.v2 * b.size + b.m.v3 * b.size;
    EXPECT_TRUE(exactly(corner, {50, 25, 10}));
    EXPECT_EQ(list.result_of(box), 1);
}

// Each circle runs through the ends of two of the obstacle's own axes, normalised and scaled
// to the radius; the drawing matrix is the obstacle's global matrix.
TEST_F(ObstacleOutline, ASphereIsThreeCirclesOfItsRadiusOnItsAxes) {
    vantri::SceneObject* sphere = obstacle(CROWDOBSTACLE_SHAPE_SPHERE);
    set_real(sphere, CROWDOBSTACLE_RADIUS, 75);
    sphere->set_position({-5, 0, 8});
    sphere->set_rotation({0.3, 0.2, 0.1});
    sphere->set_scale({1, 2, 3});
    const vantri::DisplayList list = draw();
    const auto circles = drawn_of<drawn::Circle>(list, sphere);
    ASSERT_EQ(circles.size(), 3u);
    const VtMatrix ml = sphere->local_matrix();
    const VtVector a1 = unit(ml.v1) * 75, a2 = unit(ml.v2) * 75, a3 = unit(ml.v3) * 75;
    const VtVector pairs[3][2] = {{a1, a2}, {a1, a3}, {a2, a3}};
    for (size_t i = 0; i < 3; ++i) {
        const VtMatrix& m = circles[i].shape->m;
        EXPECT_TRUE(exactly(m.off, {0, 0, 0}));
        EXPECT_TRUE(near(m.v1, pairs[i][0], 1e-12)) << "circle " << i;
        EXPECT_TRUE(near(m.v2, pairs[i][1], 1e-12)) << "circle " << i;
        EXPECT_TRUE(exactly(m.v3, {0, 0, 0}));
        EXPECT_TRUE(exactly(circles[i].item->pen, kRed));
        EXPECT_TRUE(exactly(circles[i].item->matrix, sphere->global_matrix()));
    }
    EXPECT_TRUE(drawn_of<drawn::Box>(list, sphere).empty());
}

TEST_F(ObstacleOutline, ALinkedGeometryOrAnUnknownShapeDrawsNothing) {
    vantri::SceneObject* linked = obstacle(CROWDOBSTACLE_SHAPE_OBJECT);
    vantri::SceneObject* target = add(vantri::kCubeType, "target");
    linked->data().set(CROWDOBSTACLE_OBJECT, vantri::Value::of_link(target));
    vantri::SceneObject* unlinked = obstacle(CROWDOBSTACLE_SHAPE_OBJECT);
    vantri::SceneObject* unknown = obstacle(1003);
    const vantri::DisplayList list = draw();
    for (vantri::SceneObject* o : {linked, unlinked, unknown}) {
        EXPECT_EQ(list.result_of(o), 1);
        EXPECT_TRUE(drawn_of<drawn::Circle>(list, o).empty());
        EXPECT_TRUE(drawn_of<drawn::Box>(list, o).empty());
        EXPECT_TRUE(drawn_of<drawn::Line>(list, o).empty());
    }
}

} // namespace
