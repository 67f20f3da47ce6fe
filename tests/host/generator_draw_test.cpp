// The generator's viewport guides through the real module: which pass draws, the body
// ellipses, the sensing-zone outline point by point, the labels and the steering vectors.
#include "tests/support/DrawnItems.h"

#include "results/AgentRecords.h"

namespace {

using vantri_test::record_at;
using vantri_test::vec;

using vantri::DrawPass;
using vantri_test::DrawingTest;
using vantri_test::Drawn;
using vantri_test::drawn_of;
using vantri_test::exactly;
using vantri_test::near;
using vantri_test::unit;
namespace drawn = vantri::drawn;
using vantri::operator+;
using vantri::operator*;

constexpr VtVector kRed{1, 0, 0}, kGreen{0, 1, 0}, kBlue{0, 0, 1}, kMagenta{1, 0, 1},
    kYellow{1, 1, 0}, kWhite{1, 1, 1};

class GeneratorDrawing : public DrawingTest {
  protected:
    /// A generator of `count` agents in a row, evaluated once, with its instances.
    vantri::SceneObject* crew(int32_t count) {
        vantri::SceneObject* generator = add_generator({"body"});
        set_counts(generator, count, 1, 1);
        evaluate(0);
        return generator;
    }
    std::vector<vantri::SceneObject*> instances(vantri::SceneObject* generator) {
        return children_of(generator->cache());
    }
};

TEST_F(GeneratorDrawing, OnlyTheObjectPassDrawsAndEverySwitchOffDrawsNothing) {
    vantri::SceneObject* generator = crew(2);
    vantri::DisplayList list = draw();
    EXPECT_EQ(list.result_of(generator), 1);
    EXPECT_TRUE(list.of(generator).empty()) << "all switches are off by default";

    set_int(generator, CROWDGEN_SHOW_RANGE, 1);
    set_int(generator, CROWDGEN_SHOW_BODY, 1);
    set_int(generator, CROWDGEN_SHOW_INFO, 1);
    list = draw();
    EXPECT_EQ(list.result_of(generator), 1);
    EXPECT_FALSE(list.of(generator).empty());
    for (DrawPass pass : {DrawPass::Box, DrawPass::Handles, DrawPass::Highlights}) {
        EXPECT_EQ(list.result_of(generator, pass), 2) << static_cast<int>(pass);
        EXPECT_TRUE(list.of(generator, pass).empty()) << static_cast<int>(pass);
    }
}

TEST_F(GeneratorDrawing, WithoutOutputOnlyTheDrawingMatrixIsSet) {
    vantri::SceneObject* generator = add_generator({});
    generator->set_position({10, 20, 30});
    set_int(generator, CROWDGEN_SHOW_BODY, 1);
    evaluate(0);
    const vantri::DisplayList list = draw();
    EXPECT_EQ(list.result_of(generator), 1);
    const auto items = list.of(generator);
    ASSERT_EQ(items.size(), 1u);
    const auto* change = std::get_if<drawn::MatrixChange>(&items[0]->shape);
    ASSERT_NE(change, nullptr);
    EXPECT_EQ(change->for_object, generator);
    EXPECT_TRUE(exactly(items[0]->matrix, generator->global_matrix()));
}

TEST_F(GeneratorDrawing, BodyEllipsesFollowEachAgentsAxesAndTheSizeYAddsTheUprightOne) {
    vantri::SceneObject* generator = crew(2);
    generator->set_position({100, 0, -50});
    generator->set_rotation({0.3, 0, 0});
    set_int(generator, CROWDGEN_SHOW_BODY, 1);
    set_real(generator, CROWDGEN_SIZE_X, 20);
    set_real(generator, CROWDGEN_SIZE_Z, 30);
    // One agent turned and scaled, so that its axes are neither unit nor aligned.
    const auto agents = instances(generator);
    ASSERT_EQ(agents.size(), 2u);
    VtMatrix turned = vantri::axes_from_rotation({0.5, 0.2, 0.1}, {2, 3, 0.5});
    turned.off = {40, 5, 60};
    agents[1]->set_local_matrix(turned);

    vantri::DisplayList list = draw();
    auto circles = drawn_of<drawn::Circle>(list, generator);
    ASSERT_EQ(circles.size(), 2u) << "size Y 0: one ellipse per agent";
    for (size_t i = 0; i < 2; ++i) {
        const VtMatrix m = agents[i]->local_matrix();
        const VtMatrix& e = circles[i].shape->m;
        EXPECT_TRUE(exactly(e.off, m.off));
        EXPECT_TRUE(near(e.v1, unit(m.v1) * 20, 1e-12));
        EXPECT_TRUE(near(e.v2, unit(m.v3) * 30, 1e-12));
        EXPECT_TRUE(exactly(e.v3, {0, 0, 0}));
        EXPECT_TRUE(exactly(circles[i].item->pen, kRed));
        EXPECT_TRUE(exactly(circles[i].item->matrix, generator->global_matrix()));
    }

    set_real(generator, CROWDGEN_SIZE_Y, 40);
    list = draw();
    circles = drawn_of<drawn::Circle>(list, generator);
    ASSERT_EQ(circles.size(), 4u);
    for (size_t i = 0; i < 2; ++i) {
        const VtMatrix m = agents[i]->local_matrix();
        const VtMatrix& flat = circles[2 * i].shape->m;
        const VtMatrix& upright = circles[2 * i + 1].shape->m;
        EXPECT_TRUE(near(flat.v2, unit(m.v3) * 30, 1e-12));
        EXPECT_TRUE(exactly(upright.off, m.off));
        EXPECT_TRUE(near(upright.v1, unit(m.v1) * 20, 1e-12));
        EXPECT_TRUE(near(upright.v2, unit(m.v2) * 40, 1e-12));
    }
    EXPECT_TRUE(drawn_of<drawn::Line>(list, generator).empty());
    EXPECT_TRUE(drawn_of<drawn::TexturedQuad>(list, generator).empty());
}

// An agent at the origin facing +Z, side radius 50 and range 100: the front half of the
// ellipse of semi-axes 50 across and 100 ahead. A turn of -90 degrees about Y takes +Z to +X
// in the host's left-handed space, so the outline starts on the +X side.
TEST_F(GeneratorDrawing, TheZoneOutlineIsSixLinesThroughFivePointsAndTheCentreLine) {
    vantri::SceneObject* generator = crew(1);
    set_int(generator, CROWDGEN_SHOW_RANGE, 1);
    set_real(generator, CROWDGEN_SIZE_X, 50);
    set_real(generator, CROWDGEN_RANGE, 100);
    instances(generator)[0]->set_local_matrix(vantri::identity_matrix());

    const vantri::DisplayList list = draw();
    const auto lines = drawn_of<drawn::Line>(list, generator);
    ASSERT_EQ(lines.size(), 7u);
    // The ellipse's radius at 45 degrees: ab / sqrt(a^2 cos^2 + b^2 sin^2).
    const double e = 50.0 * 100.0 / std::sqrt(50.0 * 50.0 / 2 + 100.0 * 100.0 / 2);
    const double d = e / std::sqrt(2.0);
    const VtVector p{0, 0, 0}, pL{50, 0, 0}, p1{d, 0, d}, pF{0, 0, 100}, p2{-d, 0, d},
        pR{-50, 0, 0};
    const VtVector expected[7][2] = {{p, pL},  {pL, p1}, {p1, pF}, {pF, p2},
                                     {p2, pR}, {pR, p},  {p, pF}};
    for (size_t i = 0; i < 7; ++i) {
        EXPECT_TRUE(near(lines[i].shape->from, expected[i][0], 1e-12)) << "line " << i;
        EXPECT_TRUE(near(lines[i].shape->to, expected[i][1], 1e-12)) << "line " << i;
        EXPECT_EQ(lines[i].shape->flags, 1);
        EXPECT_TRUE(exactly(lines[i].item->pen, kGreen));
    }
    // The lines join up: each starts where the one before ended, and the outline closes.
    for (size_t i = 1; i < 6; ++i)
        EXPECT_TRUE(exactly(lines[i].shape->from, lines[i - 1].shape->to)) << "line " << i;
    EXPECT_TRUE(exactly(lines[5].shape->to, lines[0].shape->from));
    EXPECT_TRUE(drawn_of<drawn::Circle>(list, generator).empty());
}

TEST_F(GeneratorDrawing, TheSideRadiusFollowsTheCurrentAxisButTheDirectionTheCrewsAxis) {
    vantri::SceneObject* generator = crew(1);
    set_int(generator, CROWDGEN_SHOW_RANGE, 1);
    set_real(generator, CROWDGEN_SIZE_X, 50);
    set_real(generator, CROWDGEN_SIZE_Z, 30);
    set_real(generator, CROWDGEN_RANGE, 100);
    // An X axis chosen after the crew was made: the side radius is size Z at once, while the
    // agents still face +Z until the next crew.
    set_int(generator, CROWDGEN_FORWARD_AXIS, CROWDGEN_AXIS_XPOS);
    instances(generator)[0]->set_local_matrix(vantri::identity_matrix());
    const vantri::DisplayList list = draw();
    const auto lines = drawn_of<drawn::Line>(list, generator);
    ASSERT_EQ(lines.size(), 7u);
    EXPECT_TRUE(near(lines[0].shape->to, {30, 0, 0}, 1e-12));
    EXPECT_TRUE(near(lines[6].shape->to, {0, 0, 100}, 1e-12));
}

TEST_F(GeneratorDrawing, LabelsAndSteeringVectorsForEveryAgentWithARecord) {
    vantri::SceneObject* generator = crew(2);
    set_int(generator, CROWDGEN_SHOW_INFO, 1);
    set_real(generator, CROWDGEN_RANGE, 50);
    VtRecordArray* agents = agents_of(generator);
    ASSERT_NE(agents, nullptr);
    VtAgentRecord& r = record_at(*agents, 0);
    r.collision_steer = vec(0.5, 0, 0);
    r.avoid_steer = vec(0, 0, -1);
    r.steer_vector = vec(0, 3, 4);
    r.spline_mg.off = vec(7, 8, 9);
    r.spline_mg.v3 = vec(0, 0, 2);

    const auto placed = instances(generator);
    const VtVector p0 = placed[0]->local_matrix().off, p1 = placed[1]->local_matrix().off;
    vantri::DisplayList list = draw();
    const auto quads = drawn_of<drawn::TexturedQuad>(list, generator);
    const auto lines = drawn_of<drawn::Line>(list, generator);
    ASSERT_EQ(quads.size(), 2u);
    ASSERT_EQ(lines.size(), 10u);

    // The first label reads "0" and stands 10 units to the +x side of its agent.
    int32_t w = 0, h = 0;
    const auto zero = vantri_test::expected_label("0", w, h);
    const drawn::TexturedQuad& q = *quads[0].shape;
    ASSERT_EQ(q.texture.width, w);
    ASSERT_EQ(q.texture.height, h);
    EXPECT_TRUE(q.texture.pixels == zero) << "the label shows the text 0";
    const VtVector pos = p0 + VtVector{10, 0, 0};
    const VtVector corners[4] = {pos, pos + VtVector{0, double(h), 0},
                                 pos + VtVector{double(w), double(h), 0},
                                 pos + VtVector{double(w), 0, 0}};
    const VtVector uvs[4] = {{0, 0, 0}, {0, 1, 0}, {1, 1, 0}, {1, 0, 0}};
    ASSERT_EQ(q.count, 4);
    for (size_t k = 0; k < 4; ++k) {
        EXPECT_TRUE(exactly(q.points[k], corners[k])) << "vertex " << k;
        EXPECT_TRUE(exactly(q.uvs[k], uvs[k])) << "vertex " << k;
        EXPECT_TRUE(exactly(q.normals[k], {0, 0, 1})) << "vertex " << k;
        EXPECT_TRUE(exactly(q.colours[k], kWhite)) << "vertex " << k;
    }
    EXPECT_EQ(q.alpha_mode, 12);
    EXPECT_EQ(q.texture_flags, 0x100000);
    // White text uses the clip map's own picture, not a copy.
    EXPECT_TRUE(q.texture.from_clip_map);
    EXPECT_EQ(q.texture.copied_from, 0u);
    const auto one = vantri_test::expected_label("1", w, h);
    EXPECT_TRUE(quads[1].shape->texture.pixels == one);
    EXPECT_TRUE(exactly(quads[1].shape->points[0], p1 + VtVector{10, 0, 0}));

    // Red collision, blue avoidance, magenta push-out (made unit), yellow spline target and
    // its direction, 100 long; every vector scaled by the range.
    const VtVector ends[5][2] = {{p0, p0 + VtVector{25, 0, 0}},
                                 {p0, p0 + VtVector{0, 0, -50}},
                                 {p0, p0 + VtVector{0, 30, 40}},
                                 {p0, {7, 8, 9}},
                                 {{7, 8, 9}, {7, 8, 109}}};
    const VtVector pens[5] = {kRed, kBlue, kMagenta, kYellow, kYellow};
    for (size_t i = 0; i < 5; ++i) {
        EXPECT_TRUE(near(lines[i].shape->from, ends[i][0], 1e-12)) << "line " << i;
        EXPECT_TRUE(near(lines[i].shape->to, ends[i][1], 1e-12)) << "line " << i;
        EXPECT_TRUE(exactly(lines[i].item->pen, pens[i])) << "line " << i;
        EXPECT_EQ(lines[i].shape->flags, 1);
    }

    // An instance beyond the records gets neither a label nor vectors. The last record is
    // dropped by shortening the array's count (the records are plain values, and the array
    // frees its block whatever the count).
    reinterpret_cast<VtRecordArray*>(agents)->count -= 1;
    ASSERT_EQ(agents->count, 1);
    list = draw();
    EXPECT_EQ(drawn_of<drawn::TexturedQuad>(list, generator).size(), 1u);
    EXPECT_EQ(drawn_of<drawn::Line>(list, generator).size(), 5u);
}

TEST_F(GeneratorDrawing, GuidesComeInTheOrderBodyZoneInfoForEachAgent) {
    vantri::SceneObject* generator = crew(2);
    set_int(generator, CROWDGEN_SHOW_RANGE, 1);
    set_int(generator, CROWDGEN_SHOW_BODY, 1);
    set_int(generator, CROWDGEN_SHOW_INFO, 1);
    set_real(generator, CROWDGEN_SIZE_X, 20);
    const vantri::DisplayList list = draw();
    std::string kinds;
    for (const vantri::DrawItem* item : list.of(generator)) {
        if (std::holds_alternative<drawn::Circle>(item->shape)) kinds += 'c';
        if (std::holds_alternative<drawn::Line>(item->shape)) kinds += 'l';
        if (std::holds_alternative<drawn::TexturedQuad>(item->shape)) kinds += 't';
    }
    EXPECT_EQ(kinds, "c"
                     "lllllll"
                     "t"
                     "lllll"
                     "c"
                     "lllllll"
                     "t"
                     "lllll");
}

// Every allocation of a redraw with labels refused in turn: the generator neither crashes
// nor keeps memory, and the labels that could be made are still drawn.
TEST_F(GeneratorDrawing, RefusedMemoryWhileDrawingLabelsLosesOnlyThoseLabels) {
    vantri::SceneObject* generator = crew(3);
    set_int(generator, CROWDGEN_SHOW_INFO, 1);
    const size_t full = drawn_of<drawn::TexturedQuad>(draw(), generator).size();
    ASSERT_EQ(full, 3u);
    bool refused_any = true;
    for (uint64_t n = 1; refused_any && n < 200; ++n) {
        const int64_t live = vantri::allocator().live();
        const uint64_t refusals = vantri::allocator().refusals();
        vantri::allocator().fail_nth(n);
        const vantri::DisplayList list = draw();
        vantri::allocator().fail_nth(0);
        refused_any = vantri::allocator().refusals() != refusals;
        EXPECT_EQ(vantri::allocator().live(), live) << "allocation " << n;
        EXPECT_EQ(list.result_of(generator), 1);
        const size_t labels = drawn_of<drawn::TexturedQuad>(list, generator).size();
        EXPECT_EQ(labels, refused_any ? full - 1 : full) << "allocation " << n;
    }
    EXPECT_FALSE(refused_any) << "the redraw needs fewer than 200 allocations";
}

} // namespace
