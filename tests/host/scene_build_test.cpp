// Scene files built in the host through the real module: every kind of parameter value
// arrives with its description's type (read back as the plug-in reads it, through the
// host's GetParameter), transforms and hierarchy are as written, and tracks move objects.
#include "tests/support/PluginFixture.h"

#include "host/scene/InExcludeList.h"
#include "host/scene/SplineCurve.h"
#include "host/scene/Transform.h"
#include "scenefile/SceneBuilder.h"
#include "scenefile/Tracks.h"

#include <cmath>

namespace {

using vantri::BuiltObject;
using vantri::SceneObject;

class SceneBuild : public vantri_test::StartedPlugin {
  protected:
    std::vector<BuiltObject> build(const std::string& text) {
        vantri::Result<vantri::SceneFile> parsed = vantri::parse_scene(text);
        EXPECT_TRUE(parsed) << (parsed ? "" : parsed.message());
        if (!parsed) return {};
        scene = std::move(parsed).value();
        vantri::Result<std::vector<BuiltObject>> built =
            vantri::build_scene(host, scene, *document);
        EXPECT_TRUE(built) << (built ? "" : built.message());
        return built ? std::move(built).value() : std::vector<BuiltObject>{};
    }

    /// A parameter as the plug-in reads it through the host.
    VtData parameter(SceneObject* object, int32_t id) {
        VtDescId desc{};
        desc.depth = 1;
        desc.level[0].id = id;
        VtData data{};
        EXPECT_EQ(host.api()->atoms->get_parameter(object->handle(), &desc, &data, 0), 1)
            << object->name() << " parameter " << id;
        return data;
    }

    vantri::SceneFile scene;
};

constexpr double kDegree = 3.141592653589793 / 180.0;

TEST_F(SceneBuild, EveryPlainParameterKindArrivesWithItsDescriptionsType) {
    build(R"({"fps": 30, "start": 5, "end": 40, "objects": [
        {"type": "ocrowdworld", "name": "world", "params": {"CROWDWORLD_TERRAIN": "ground"},
         "children": [
            {"type": "generator", "name": "crowd", "params": {
                "CROWDGEN_COUNT_X": 4,
                "CROWDGEN_SPACING": [10, 20.5, -30],
                "CROWDGEN_JITTER": 1,
                "CROWDGEN_SPEED": 2.0,
                "CROWDGEN_MAX_TURN": 0.17453292649980456,
                "CROWDGEN_FIXED_PITCH_BANK": true,
                "CROWDGEN_FORWARD_AXIS": "CROWDGEN_AXIS_XNEG",
                "1021": -7,
                "CROWDGEN_MODE": 1007},
             "children": [{"type": "cube", "name": "body"}]}]},
        {"type": "behaviour", "name": "steer", "params": {
            "CROWDBEHAV_ALIGN": true, "CROWDBEHAV_SEPARATION": false,
            "CROWDBEHAV_ALIGN_RADIUS": 50, "CROWDBEHAV_FOLLOW_TARGET": "goal"}},
        {"type": "blend", "name": "mix", "params": {"CROWDBLEND_INDEX": 2}},
        {"type": "obstacle", "name": "rock", "params": {"CROWDOBSTACLE_SIZE_X": 12}},
        {"type": "null", "name": "goal"},
        {"type": "cube", "name": "ground", "size": [1000, 2, 1000]}]})");

    EXPECT_EQ(document->fps(), 30);
    EXPECT_EQ(document->min_time().numerator / document->min_time().denominator, 5.0 / 30);
    EXPECT_EQ(document->max_time().numerator / document->max_time().denominator, 40.0 / 30);

    SceneObject* crowd = document->find("crowd");
    ASSERT_NE(crowd, nullptr);
    VtData v = parameter(crowd, 1001);
    EXPECT_EQ(v.type, VT_DTYPE_LONG);
    EXPECT_EQ(v.value.integer, 4);
    v = parameter(crowd, 1004);
    ASSERT_EQ(v.type, VT_DTYPE_VECTOR);
    EXPECT_EQ(v.value.vector.x, 10.0);
    EXPECT_EQ(v.value.vector.y, 20.5);
    EXPECT_EQ(v.value.vector.z, -30.0);
    v = parameter(crowd, 1020); // an integer written for a real is stored as a real
    ASSERT_EQ(v.type, VT_DTYPE_REAL);
    EXPECT_EQ(v.value.real, 1.0);
    EXPECT_EQ(parameter(crowd, 1024).value.real, 2.0);
    EXPECT_EQ(parameter(crowd, 1022).value.real, 0.17453292649980456); // read back exactly
    v = parameter(crowd, 1018); // an integer switch written as true
    EXPECT_EQ(v.type, VT_DTYPE_LONG);
    EXPECT_EQ(v.value.integer, 1);
    EXPECT_EQ(parameter(crowd, 1010).value.integer, 1012); // a choice by its option's symbol
    EXPECT_EQ(parameter(crowd, 1021).value.integer, -7);   // by numeric id
    EXPECT_EQ(parameter(crowd, 1006).value.integer, 1007);

    SceneObject* steer = document->find("steer");
    v = parameter(steer, 1003); // booleans travel as integers 0 and 1
    EXPECT_EQ(v.type, VT_DTYPE_LONG);
    EXPECT_EQ(v.value.integer, 1);
    EXPECT_EQ(parameter(steer, 1013).value.integer, 0);
    EXPECT_EQ(parameter(steer, 1005).value.integer, 50);
    v = parameter(steer, 1020);
    ASSERT_EQ(v.type, VT_DTYPE_LINK);
    EXPECT_EQ(v.value.link, document->find("goal")->handle());
    // A link to an object that comes later in the file.
    v = parameter(document->find("world"), 1000);
    ASSERT_EQ(v.type, VT_DTYPE_LINK);
    EXPECT_EQ(v.value.link, document->find("ground")->handle());
    EXPECT_EQ(parameter(document->find("mix"), 1007).value.integer, 2);
    v = parameter(document->find("rock"), 1009);
    EXPECT_EQ(v.type, VT_DTYPE_REAL);
    EXPECT_EQ(v.value.real, 12.0);
}

TEST_F(SceneBuild, ListsAndCurvesArriveAsTheHostsCustomValues) {
    build(R"({"objects": [
        {"type": "world", "name": "world", "params": {"CROWDWORLD_OBSTACLES": ["rock", "pebble"]},
         "children": [{"type": "generator", "name": "crowd",
                       "params": {"CROWDGEN_BEHAVIOURS": ["mix", "steer"], "CROWDGEN_OTHER_GROUPS": []},
                       "children": [{"type": "cube", "name": "body"}]}]},
        {"type": "behaviour", "name": "steer",
         "params": {"CROWDBEHAV_SPLINE_PROFILE": {"knots": [[0, 1], [0.5, 0.25], [1, 0]]}}},
        {"type": "blend", "name": "mix", "params": {"CROWDBLEND_LIST": ["steer", "mix"]}},
        {"type": "obstacle", "name": "rock"},
        {"type": "obstacle", "name": "pebble"}]})");
    const auto list = [&](const char* object, int32_t id) {
        std::vector<std::string> names;
        VtData v = parameter(document->find(object), id);
        EXPECT_EQ(v.type, VT_CUSTOMDATA_INEXCLUDE) << object << " " << id;
        const vantri::InExcludeList* entries = vantri::InExcludeList::from(v.value.custom);
        if (entries == nullptr) return names;
        for (int32_t i = 0; i < entries->count(); ++i) {
            vantri::Atom* entry = entries->resolve(i, document.get());
            names.push_back(entry != nullptr ? entry->name() : "(missing)");
        }
        host.api()->containers->custom_free(v.value.custom);
        return names;
    };
    using Names = std::vector<std::string>;
    EXPECT_EQ(list("crowd", 1017), (Names{"mix", "steer"}));
    EXPECT_EQ(list("crowd", 1037), Names{});
    EXPECT_EQ(list("world", 1001), (Names{"rock", "pebble"}));
    EXPECT_EQ(list("mix", 1000), (Names{"steer", "mix"})); // a blend may list itself

    VtData v = parameter(document->find("steer"), 1041);
    ASSERT_EQ(v.type, VT_CUSTOMDATA_SPLINE);
    const vantri::SplineCurve* curve = vantri::SplineCurve::from(v.value.custom);
    ASSERT_NE(curve, nullptr);
    ASSERT_EQ(curve->knot_count(), 3);
    EXPECT_EQ(curve->knot(1)->position.x, 0.5);
    EXPECT_EQ(curve->knot(1)->position.y, 0.25);
    EXPECT_EQ(curve->knot(1)->interpolation, VT_SPLINE_KNOT_LINEAR);
    EXPECT_EQ(curve->point(0.75).y, 0.125);
    host.api()->containers->custom_free(v.value.custom);
}

TEST_F(SceneBuild, ObjectsStandInFileOrderWithTheirTransformsAndShapes) {
    const std::vector<BuiltObject> built = build(R"({"objects": [
        {"type": "null", "name": "a", "position": [100, 0, 0], "rotation": [90, 0, 0],
         "children": [{"type": "cube", "name": "b", "position": [0, 0, 10], "scale": [2, 2, 2],
                       "size": [10, 20, 30]},
                      {"type": "null", "name": "c"}]},
        {"type": "cube", "name": "d"}]})");
    ASSERT_EQ(built.size(), 4u);
    EXPECT_EQ(built[0].object->name(), "a");
    EXPECT_EQ(built[1].object->name(), "b");
    EXPECT_EQ(built[2].object->name(), "c");
    EXPECT_EQ(built[3].object->name(), "d");
    EXPECT_EQ(built[1].object->parent(), built[0].object);
    EXPECT_EQ(built[2].object->parent(), built[0].object);
    EXPECT_EQ(built[3].object->parent(), document.get());
    EXPECT_EQ(built[0].object->type(), vantri::kNullType);
    EXPECT_EQ(built[3].object->type(), vantri::kCubeType);

    EXPECT_EQ(built[0].object->rotation().x, 90 * kDegree);
    // b sits 10 along a's Z axis, which a heading of 90 degrees turns onto -X.
    const VtVector b = built[1].object->global_matrix().off;
    EXPECT_NEAR(b.x, 90.0, 1e-12);
    EXPECT_NEAR(b.y, 0.0, 1e-12);
    EXPECT_NEAR(b.z, 0.0, 1e-12);
    EXPECT_NEAR(vantri::length(built[1].object->local_matrix().v1), 2.0, 1e-12);
    EXPECT_EQ(built[1].object->radius().x, 5.0);
    EXPECT_EQ(built[1].object->radius().y, 10.0);
    EXPECT_EQ(built[1].object->radius().z, 15.0);
    EXPECT_EQ(built[3].object->radius().x, 100.0); // the default cube is 200 units wide
}

TEST_F(SceneBuild, TracksMoveObjectsLinearlyBetweenKeysAndHoldBeyondThem) {
    build(R"({"objects": [{"type": "null", "name": "target", "position": [7, 7, 7],
        "track": {"position": [{"frame": 10, "value": [0, 0, 0]},
                               {"frame": 20, "value": [100, -50, 10]},
                               {"frame": 30, "value": [100, 0, 10]}],
                  "rotation": [{"frame": 0, "value": [0, 0, 0]},
                               {"frame": 10, "value": [90, 0, 0]}]}}]})");
    SceneObject* target = document->find("target");
    const auto at = [&](int32_t frame) {
        evaluate(frame);
        return target->position();
    };
    EXPECT_EQ(at(0).x, 0.0); // before the first key: its value, not the static position
    VtVector p = at(15);
    EXPECT_EQ(p.x, 50.0);
    EXPECT_EQ(p.y, -25.0);
    EXPECT_EQ(p.z, 5.0);
    EXPECT_EQ(target->rotation().x, 90 * kDegree);
    p = at(25);
    EXPECT_EQ(p.y, -25.0);
    EXPECT_EQ(p.x, 100.0);
    EXPECT_EQ(at(99).y, 0.0);
    evaluate(5);
    EXPECT_EQ(target->rotation().x, 45 * kDegree);
    // The document knows its tracks: a second evaluator (as in a render) applies them too.
    vantri::play_range(host, *document, 12, 12, vantri::PlayMode::Render);
    EXPECT_EQ(target->position().x, 20.0);
}

TEST(SceneTracks, ValuesBetweenFractionalKeys) {
    const std::vector<vantri::TrackKey> keys = {{0.5, {0, 0, 0}}, {1.5, {1, 2, 4}}};
    EXPECT_EQ(vantri::track_value(keys, 1.0).z, 2.0);
    EXPECT_EQ(vantri::track_value(keys, -3).y, 0.0);
    EXPECT_EQ(vantri::track_value(keys, 1.5).x, 1.0);
}

} // namespace
