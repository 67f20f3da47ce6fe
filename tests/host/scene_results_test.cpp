// What vantri run writes for people to look at: scene.glb read back against agents.csv
// (nodes, shared meshes, keys at every frame, positions and rotations after the unit and axis
// conversion, the scene's other objects) and preview.html holding the whole run.
#include "tests/support/CommandRun.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/GltfReading.h"

#include "results/ExportSpace.h"

#include <nlohmann/json.hpp>
#include <tiny_gltf.h>

#include <cmath>
#include <map>

namespace {

using vantri_gltf::extra;
using vantri_gltf::floats;

using vantri_test::read_text;
using vantri_test::run_vantri;
using vantri_test::ScratchFolder;

// Two generators: a walking crowd with two source cubes under a world, and a standing one
// whose source is a null (shown as its body box); a ground cube and a cart on a track.
const char* const kScene = R"({"fps": 25, "start": 0, "end": 20, "objects": [
    {"type": "null", "name": "goal", "track": {"position": [
        {"frame": 0, "value": [0, 0, 1000]}, {"frame": 20, "value": [800, 0, 1000]}]}},
    {"type": "behaviour", "name": "steer", "params": {
        "CROWDBEHAV_SEPARATION": true, "CROWDBEHAV_SEPARATION_RADIUS": 40,
        "CROWDBEHAV_FOLLOW": true, "CROWDBEHAV_FOLLOW_TARGET": "goal"}},
    {"type": "cube", "name": "ground", "position": [0, -30, 0], "size": [3000, 10, 3000]},
    {"type": "cube", "name": "cart", "size": [50, 50, 80], "track": {"position": [
        {"frame": 0, "value": [-300, 0, 0]}, {"frame": 20, "value": [-300, 0, 600]}]}},
    {"type": "world", "name": "world", "children": [
        {"type": "generator", "name": "crowd", "position": [100, 0, 0],
         "params": {"CROWDGEN_COUNT_X": 2, "CROWDGEN_COUNT_Z": 3, "CROWDGEN_SPACING": [60, 0, 60],
                    "CROWDGEN_SPEED": 200, "CROWDGEN_ACCELERATION": 400,
                    "CROWDGEN_BEHAVIOURS": ["steer"]},
         "children": [{"type": "cube", "name": "body", "size": [20, 40, 30]},
                      {"type": "cube", "name": "tall", "size": [20, 80, 20]}]}]},
    {"type": "generator", "name": "standing", "position": [-500, 0, -500],
     "params": {"CROWDGEN_COUNT_X": 3, "CROWDGEN_SIZE_X": 30, "CROWDGEN_SIZE_Y": 60,
                "CROWDGEN_SIZE_Z": 20},
     "children": [{"type": "null", "name": "marker"}]}]})";

using CsvRow = vantri_test::AgentRow;

class SceneResults : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        scratch_ = new ScratchFolder("SceneResults");
        const std::string scene = scratch_->write("walk.json", kScene);
        const auto outcome = run_vantri("run " + scene + " --quiet --out " + scratch_->path("out"));
        ASSERT_EQ(outcome.exit_code, 0) << outcome.output;
        rows_ = vantri_test::read_agents_csv(scratch_->path("out/agents.csv"));
        tinygltf::TinyGLTF loader;
        std::string error, warning;
        ASSERT_TRUE(
            loader.LoadBinaryFromFile(&model_, &error, &warning, scratch_->path("out/scene.glb")))
            << error;
        EXPECT_EQ(warning, "");
    }
    static void TearDownTestSuite() {
        delete scratch_;
        scratch_ = nullptr;
    }

    static ScratchFolder* scratch_;
    static std::vector<CsvRow> rows_;
    static tinygltf::Model model_;
};

ScratchFolder* SceneResults::scratch_ = nullptr;
std::vector<CsvRow> SceneResults::rows_;
tinygltf::Model SceneResults::model_;

TEST_F(SceneResults, NodesAreTheAgentsTheirGeneratorsAndTheSceneObjects) {
    // 6 + 3 agents, 2 generator groups, the ground, the cart and the goal.
    ASSERT_EQ(model_.nodes.size(), 9u + 2 + 3);
    std::map<std::string, int> agents;
    std::map<std::string, int> mesh_of_source;
    for (const tinygltf::Node& node : model_.nodes) {
        const std::string generator = extra(node.extras, "generator");
        if (!extra(node.extras, "agent").empty()) {
            ++agents[generator];
            EXPECT_EQ(node.name, generator + "_" + extra(node.extras, "agent"));
            ASSERT_GE(node.mesh, 0) << node.name;
            // Every agent of a source object instances that object's one mesh.
            const std::string source = model_.meshes[node.mesh].name;
            EXPECT_TRUE(mesh_of_source.emplace(source, node.mesh).first->second == node.mesh);
        } else if (!generator.empty()) {
            EXPECT_EQ(node.mesh, -1);
            EXPECT_EQ(node.children.size(), generator == "crowd" ? 6u : 3u);
        } else {
            // The goal, a null, is a place without a shape; the null that is a source object
            // of the standing crowd is shown by its agents.
            EXPECT_EQ(extra(node.extras, "kind"), node.name == "goal" ? "marker" : "scenery");
            EXPECT_EQ(node.mesh >= 0, node.name != "goal") << node.name;
            EXPECT_EQ(extra(node.extras, "object"), node.name);
        }
    }
    EXPECT_EQ(agents["crowd"], 6);
    EXPECT_EQ(agents["standing"], 3);
    // body, tall, the standing crowd's body box, ground, cart: one mesh each.
    EXPECT_EQ(mesh_of_source.size(), 3u);
    EXPECT_EQ(mesh_of_source.count("standing body"), 1u);
    EXPECT_EQ(model_.meshes.size(), 5u);
    ASSERT_EQ(model_.scenes.size(), 1u);
    EXPECT_EQ(model_.scenes[0].nodes.size(), 5u)
        << "the two groups, the ground, the cart and the goal";
}

TEST_F(SceneResults, EveryAgentHasAKeyAtEveryFrameWhereAgentsCsvPutsIt) {
    ASSERT_EQ(model_.animations.size(), 1u);
    const tinygltf::Animation& animation = model_.animations[0];
    std::map<std::pair<std::string, int>, std::vector<const CsvRow*>> by_agent;
    for (const CsvRow& row : rows_)
        by_agent[{row.generator, row.agent}].push_back(&row);
    ASSERT_EQ(by_agent.size(), 9u);

    size_t checked = 0;
    for (const tinygltf::AnimationChannel& channel : animation.channels) {
        const tinygltf::Node& node = model_.nodes[channel.target_node];
        const tinygltf::AnimationSampler& sampler = animation.samplers[channel.sampler];
        const std::vector<float> times = floats(model_, sampler.input);
        ASSERT_EQ(times.size(), 21u) << "a key at every frame";
        EXPECT_FLOAT_EQ(times[20], 20.0f / 25.0f);
        const std::vector<float> values = floats(model_, sampler.output);
        if (node.name == "goal") {
            // The goal keeps its track: from (0, 0, 1000) to (800, 0, 1000) in the host.
            if (channel.target_path == "translation") {
                EXPECT_FLOAT_EQ(values[0], 0.0f);
                EXPECT_FLOAT_EQ(values[2], -10.0f);
                EXPECT_FLOAT_EQ(values[20 * 3], 8.0f);
                EXPECT_FLOAT_EQ(values[20 * 3 + 2], -10.0f);
            }
            continue;
        }
        if (extra(node.extras, "agent").empty()) {
            // The cart moves along +Z in the host: along -Z in the export, in metres.
            ASSERT_EQ(node.name, "cart");
            if (channel.target_path == "translation") {
                EXPECT_FLOAT_EQ(values[2], 0.0f);
                EXPECT_FLOAT_EQ(values[20 * 3 + 2], -6.0f);
                EXPECT_FLOAT_EQ(values[20 * 3], -3.0f);
            }
            continue;
        }
        const auto& rows =
            by_agent[{extra(node.extras, "generator"), std::stoi(extra(node.extras, "agent"))}];
        ASSERT_EQ(rows.size(), 21u);
        for (size_t f = 0; f < rows.size(); ++f) {
            if (channel.target_path == "translation") {
                const VtVector p = rows[f]->position();
                EXPECT_EQ(values[3 * f], static_cast<float>(p.x * 0.01));
                EXPECT_EQ(values[3 * f + 1], static_cast<float>(p.y * 0.01));
                EXPECT_EQ(values[3 * f + 2], static_cast<float>(-p.z * 0.01));
            } else {
                ASSERT_EQ(channel.target_path, "rotation");
                // The generators are not rotated, so an agent's rotation is its own.
                const vantri::Quaternion q = vantri::export_rotation(rows[f]->rotation());
                double same = 0;
                for (int i = 0; i < 4; ++i)
                    same += q[i] * values[4 * f + i];
                EXPECT_NEAR(std::fabs(same), 1.0, 1e-6) << node.name << " frame " << f;
                if (f > 0) {
                    // Neighbouring keys lie on the same side, so the turn between them is
                    // the short one.
                    double next = 0;
                    for (int i = 0; i < 4; ++i)
                        next += values[4 * f + i] * values[4 * (f - 1) + i];
                    EXPECT_GT(next, 0.0);
                }
            }
            ++checked;
        }
    }
    EXPECT_EQ(checked, 9u * 21 * 2);
    // The walking crowd did walk.
    const auto& first_agent = by_agent[{"crowd", 0}];
    EXPECT_NE(first_agent.front()->position().x, first_agent.back()->position().x);
}

TEST_F(SceneResults, ThePreviewPageHoldsTheWholeRunAndNothingFromOutside) {
    const std::string page = read_text(scratch_->path("out/preview.html"));
    EXPECT_EQ(page.rfind("<!doctype html>", 0), 0u);
    EXPECT_NE(page.find("<title>Vantri preview: walk.json</title>"), std::string::npos);
    EXPECT_NE(page.find("REVISION"), std::string::npos) << "three.js is inlined";
    EXPECT_NE(page.find("OrbitControls"), std::string::npos);
    for (const char* outside : {"src=\"", "href=\"http"})
        EXPECT_EQ(page.find(outside), std::string::npos) << outside;
    const size_t data = page.find("<script id=\"vantri-run\" type=\"application/json\">");
    ASSERT_NE(data, std::string::npos);
    const size_t begin = page.find('>', data) + 1;
    const auto run =
        nlohmann::json::parse(page.substr(begin, page.find("</script>", begin) - begin));
    EXPECT_EQ(run["count"], 21);
    EXPECT_EQ(run["slots"], 9);
    EXPECT_EQ(run["generators"][0]["name"], "crowd");
    EXPECT_EQ(run["generators"][1]["counts"].size(), 21u);
    EXPECT_EQ(run["batches"].size(), 3u) << "one instanced mesh per source object";
    // 7 floats per agent per frame, in base64.
    const size_t poses = page.find("<script id=\"vantri-poses\" type=\"text/plain\">");
    ASSERT_NE(poses, std::string::npos);
    const size_t first = page.find('>', poses) + 1;
    EXPECT_EQ(page.find("</script>", first) - first, (21u * 9 * 7 * 4 + 2) / 3 * 4);
}

TEST(SceneResultsEnvironment, TerrainCurvesAndObstaclesStandWhereTheSceneHasThem) {
    ScratchFolder scratch;
    const std::string scene = std::string(VANTRI_SOURCE_DIR) + "/tests/scenes/environment.json";
    const auto outcome =
        run_vantri("run " + scene + " --quiet --outputs glb --out " + scratch.path("out"));
    ASSERT_EQ(outcome.exit_code, 0) << outcome.output;
    tinygltf::Model model;
    tinygltf::TinyGLTF loader;
    std::string error, warning;
    ASSERT_TRUE(loader.LoadBinaryFromFile(&model, &error, &warning, scratch.path("out/scene.glb")))
        << error;

    std::map<std::string, const tinygltf::Node*> pieces;
    for (const tinygltf::Node& node : model.nodes) {
        if (!extra(node.extras, "kind").empty()) pieces[node.name] = &node;
    }
    ASSERT_EQ(pieces.size(), 6u) << "ground, loop, fence, rock, boulder, crate";
    const auto kind = [&](const char* name) { return extra(pieces.at(name)->extras, "kind"); };
    EXPECT_EQ(kind("ground"), "terrain");
    EXPECT_EQ(kind("loop"), "curve");
    EXPECT_EQ(kind("fence"), "curve");
    EXPECT_EQ(kind("rock"), "obstacle") << "the geometry an obstacle links";
    EXPECT_EQ(kind("boulder"), "obstacle");
    EXPECT_EQ(kind("crate"), "obstacle");
    EXPECT_EQ(pieces.count("rock obstacle"), 0u) << "a linking obstacle adds no shape of its own";

    // A spline is a tube per segment, which viewers render, and its curves are kept in the
    // node's extras: a closed spline is one closed curve; the open fence of two segments two.
    const tinygltf::Value& loop_curves = pieces.at("loop")->extras.Get("curve");
    ASSERT_TRUE(loop_curves.IsArray());
    ASSERT_EQ(loop_curves.ArrayLen(), 1u);
    EXPECT_TRUE(loop_curves.Get(0).Get("closed").Get<bool>());
    const tinygltf::Value& fence_curves = pieces.at("fence")->extras.Get("curve");
    ASSERT_EQ(fence_curves.ArrayLen(), 2u);
    EXPECT_FALSE(fence_curves.Get(0).Get("closed").Get<bool>());
    // The fence's first segment runs along +X at host z = -900: export z = +9 m.
    const tinygltf::Value& fence_points = fence_curves.Get(0).Get("points");
    ASSERT_EQ(fence_points.ArrayLen(), 6u);
    EXPECT_DOUBLE_EQ(fence_points.Get(0).GetNumberAsDouble(), -9.0);
    EXPECT_DOUBLE_EQ(fence_points.Get(2).GetNumberAsDouble(), 9.0);
    EXPECT_DOUBLE_EQ(fence_points.Get(3).GetNumberAsDouble(), 9.0);
    const auto& fence = model.meshes[pieces.at("fence")->mesh].primitives;
    ASSERT_EQ(fence.size(), 2u) << "a tube per segment";
    for (const tinygltf::Primitive& tube : fence)
        EXPECT_EQ(tube.mode, TINYGLTF_MODE_TRIANGLES);
    // Every corner of the first segment's tube lies round its line (y = 0, z = 9 m in the
    // file), at the tube's radius: a four-hundredth of the fence's 18 m.
    const std::vector<float> corners = floats(model, fence[0].attributes.at("POSITION"));
    ASSERT_FALSE(corners.empty());
    for (size_t i = 0; i < corners.size(); i += 3) {
        EXPECT_NEAR(std::hypot(corners[i + 1], corners[i + 2] - 9.0), 0.045, 1e-5);
        EXPECT_LE(std::abs(corners[i]), 9.0f + 1e-5f);
    }
    EXPECT_EQ(model.meshes[pieces.at("loop")->mesh].primitives.at(0).mode, TINYGLTF_MODE_TRIANGLES);

    // The crate turned by heading 30 degrees: a turn of 30 degrees about +Y in the export
    // too (heading keeps its sense, as the quarter turn of the unit tests shows).
    const tinygltf::Node& crate = *pieces.at("crate");
    ASSERT_EQ(crate.rotation.size(), 4u);
    EXPECT_NEAR(crate.rotation[1], std::sin(15.0 * 3.141592653589793 / 180), 1e-6);
    EXPECT_NEAR(crate.rotation[3], std::cos(15.0 * 3.141592653589793 / 180), 1e-6);
    EXPECT_NEAR(crate.translation[0], -6.0, 1e-12);
    EXPECT_NEAR(crate.translation[2], 5.0, 1e-12);
    // The boulder is a sphere of radius 1.2 m, the agents' bodies spheres with smooth normals.
    const auto& boulder = model.meshes[pieces.at("boulder")->mesh].primitives.at(0);
    EXPECT_NEAR(model.accessors[boulder.attributes.at("POSITION")].maxValues[1], 1.2, 1e-6);
    for (const tinygltf::Node& node : model.nodes) {
        if (extra(node.extras, "agent").empty()) continue;
        EXPECT_EQ(model.meshes[node.mesh].name, "ball");
        EXPECT_EQ(model.meshes[node.mesh].primitives.at(0).attributes.count("NORMAL"), 1u);
    }
}

} // namespace
