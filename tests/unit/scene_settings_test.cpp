// Command-line settings of a scene's parameters: how "OBJECT.PARAMETER=VALUE" splits, how
// its value is read, and how settings replace the file's parameters.
#include "scenefile/SceneSettings.h"

#include <gtest/gtest.h>

namespace {

using namespace vantri;

SceneSetting read(const std::string& text) {
    const Result<SceneSetting> setting = read_scene_setting(text);
    EXPECT_TRUE(setting) << text << ": " << (setting ? "" : setting.message());
    return setting ? *setting : SceneSetting{};
}

TEST(SettingText, TheParameterFollowsTheLastDotBeforeTheEqualsSign) {
    SceneSetting s = read("crowd.one.CROWDGEN_SEED=7");
    EXPECT_EQ(s.object, "crowd.one");
    EXPECT_EQ(s.parameter, "CROWDGEN_SEED");
    EXPECT_EQ(s.value, "7");
    s = read("label.TEXT=a.b=c");
    EXPECT_EQ(s.object, "label");
    EXPECT_EQ(s.parameter, "TEXT");
    EXPECT_EQ(s.value, "a.b=c");
    EXPECT_EQ(read("crowd.NAME=").value, "");

    for (const char* wrong :
         {"CROWDGEN_SEED=7", ".CROWDGEN_SEED=7", "crowd.=7", "crowd.SEED", "", "=7"}) {
        const Result<SceneSetting> refused = read_scene_setting(wrong);
        ASSERT_FALSE(refused) << wrong;
        EXPECT_NE(refused.message().find("OBJECT.PARAMETER=VALUE"), std::string::npos);
    }
}

TEST(SettingText, ValuesAreJsonOrElseStringsAndReplaceTheFilesValue) {
    Result<SceneFile> parsed =
        parse_scene(R"({"objects": [{"type": "world", "name": "w", "children": [
        {"type": "generator", "name": "crowd", "params": {"CROWDGEN_SEED": 1, "CROWDGEN_JITTER": 0.5}}]}]})");
    ASSERT_TRUE(parsed) << parsed.message();
    SceneFile& scene = *parsed;
    ASSERT_TRUE(apply_scene_settings(
        scene, {read("crowd.CROWDGEN_SEED=7"), read("crowd.CROWDGEN_SPACING=[1, 2, 3]"),
                read("crowd.CROWDGEN_FORWARD_AXIS=CROWDGEN_AXIS_XNEG"), read("w.1000=\"ground\""),
                read("crowd.CROWDGEN_SPACING=[4,5,6]")}));
    const std::vector<SceneParameter>& params = scene.objects[0].children[0].params;
    ASSERT_EQ(params.size(), 4u);
    EXPECT_EQ(params[0].key, "CROWDGEN_JITTER") << "the file's other values stay, in order";
    EXPECT_EQ(params[1].key, "CROWDGEN_SEED");
    EXPECT_EQ(params[1].value, Json(7));
    EXPECT_EQ(params[1].path, "--set crowd.CROWDGEN_SEED=7");
    EXPECT_EQ(params[2].value, Json("CROWDGEN_AXIS_XNEG")) << "a bare word is a string";
    EXPECT_EQ(params[3].key, "CROWDGEN_SPACING");
    EXPECT_EQ(params[3].value, Json::parse("[4, 5, 6]")) << "the last setting wins";
    EXPECT_EQ(scene.objects[0].params[0].value, Json("ground"));

    const Status refused = apply_scene_settings(scene, {read("nobody.X=1")});
    ASSERT_FALSE(refused) << "an unknown object is refused";
    EXPECT_EQ(refused.error().fault, Fault::Input);
    EXPECT_EQ(describe_scene_error(refused.error(), "s.json"),
              "s.json: --set nobody.X=1: the scene has no object named 'nobody'");
}

} // namespace
