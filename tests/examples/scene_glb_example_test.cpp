// Every bundled example's scene.glb read back against its agents.csv: one node per agent
// under one node per generator, the scene's other objects as the only other nodes (its nulls
// as markers, its splines as tubes with their curves), a key at every frame played, and each
// key where agents.csv puts the agent, in metres with Z mirrored.
#include "tests/support/CommandRun.h"
#include "tests/support/GltfReading.h"

#include "results/ExportSpace.h"

#include <nlohmann/json.hpp>
#include <tiny_gltf.h>

#include <cstring>
#include <fstream>
#include <set>

namespace {

using vantri_gltf::extra;
using vantri_gltf::floats;

using namespace vantri_example;

nlohmann::json read_scene(const std::string& name) {
    std::ifstream in(std::string(VANTRI_SOURCE_DIR) + "/examples/" + name + ".json");
    return nlohmann::json::parse(in);
}

/// The names of the scene file's nulls and splines outside the generators (whose children are
/// their agents' sources).
void objects_of(const nlohmann::json& objects, std::multiset<std::string>& nulls,
                std::set<std::string>& splines) {
    if (!objects.is_array()) return;
    for (const nlohmann::json& object : objects) {
        const std::string type = object.value("type", "");
        if (type == "null") nulls.insert(object.value("name", ""));
        if (type == "spline") splines.insert(object.value("name", ""));
        if (type != "generator" && object.contains("children"))
            objects_of(object["children"], nulls, splines);
    }
}

std::vector<std::string> example_names() {
    std::vector<std::string> names;
    for (const auto& entry :
         std::filesystem::directory_iterator(std::string(VANTRI_SOURCE_DIR) + "/examples"))
        if (entry.path().extension() == ".json") names.push_back(entry.path().stem().string());
    std::sort(names.begin(), names.end());
    return names;
}

TEST(SceneGlbOfEveryExample, ReadsBackAsTheAgentsOfAgentsCsvAndTheSceneObjects) {
    const std::vector<std::string> names = example_names();
    ASSERT_GE(names.size(), 6u);
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        const ExampleResult run = run_example(name, "--outputs csv,glb");
        RemoveFolder cleanup{run.folder};
        ASSERT_EQ(run.exit_code, 0) << run.output;

        std::map<std::pair<std::string, int>, std::map<int, const AgentRow*>> agents;
        std::set<int> frames;
        std::set<std::string> generators;
        for (const AgentRow& row : run.rows) {
            agents[{row.generator, row.agent}][row.frame] = &row;
            frames.insert(row.frame);
            generators.insert(row.generator);
        }
        ASSERT_FALSE(agents.empty());

        tinygltf::Model model;
        tinygltf::TinyGLTF loader;
        std::string error, warning;
        ASSERT_TRUE(loader.LoadBinaryFromFile(&model, &error, &warning,
                                              (run.folder / "scene.glb").string()))
            << error;

        size_t agent_nodes = 0, generator_nodes = 0, static_nodes = 0;
        for (const tinygltf::Node& node : model.nodes) {
            if (!extra(node.extras, "agent").empty()) {
                ++agent_nodes;
                EXPECT_EQ(agents.count({extra(node.extras, "generator"),
                                        std::stoi(extra(node.extras, "agent"))}),
                          1u)
                    << node.name << " is not an agent of agents.csv";
            } else if (!extra(node.extras, "kind").empty()) {
                ++static_nodes;
            } else if (!extra(node.extras, "generator").empty()) {
                ++generator_nodes;
            }
        }
        EXPECT_EQ(agent_nodes, agents.size());
        EXPECT_EQ(generator_nodes, generators.size());
        EXPECT_EQ(model.nodes.size(), agent_nodes + generator_nodes + static_nodes)
            << "every node is an agent, a generator or an object of the scene";

        // The nulls outside the generators (goals, targets) are markers without a mesh; the
        // splines are tubes that render, with their curves in the extras.
        std::multiset<std::string> nulls, markers;
        std::set<std::string> splines, curves;
        objects_of(read_scene(name)["objects"], nulls, splines);
        for (const tinygltf::Node& node : model.nodes) {
            const std::string kind = extra(node.extras, "kind");
            if (kind == "marker") {
                markers.insert(node.name);
                EXPECT_EQ(node.mesh, -1) << node.name;
            } else if (kind == "curve") {
                curves.insert(node.name);
                const tinygltf::Value& curve = node.extras.Get("curve");
                ASSERT_TRUE(curve.IsArray() && curve.ArrayLen() > 0) << node.name;
                ASSERT_GE(curve.Get(0).Get("points").ArrayLen(), 6u) << node.name;
                for (const tinygltf::Primitive& primitive :
                     model.meshes.at(static_cast<size_t>(node.mesh)).primitives)
                    EXPECT_EQ(primitive.mode, TINYGLTF_MODE_TRIANGLES) << node.name;
            }
        }
        EXPECT_EQ(markers, nulls);
        EXPECT_EQ(curves, splines);

        ASSERT_EQ(model.animations.size(), 1u);
        const tinygltf::Animation& animation = model.animations[0];
        size_t checked = 0;
        for (const tinygltf::AnimationChannel& channel : animation.channels) {
            const tinygltf::Node& node = model.nodes.at(static_cast<size_t>(channel.target_node));
            const tinygltf::AnimationSampler& sampler =
                animation.samplers.at(static_cast<size_t>(channel.sampler));
            const std::vector<float> times = floats(model, sampler.input);
            ASSERT_EQ(times.size(), frames.size()) << node.name << ": a key at every frame";
            if (extra(node.extras, "agent").empty() || channel.target_path != "translation")
                continue;
            const auto& rows =
                agents[{extra(node.extras, "generator"), std::stoi(extra(node.extras, "agent"))}];
            const std::vector<float> values = floats(model, sampler.output);
            size_t key = 0;
            for (const int frame : frames) {
                const auto row = rows.find(frame);
                if (row != rows.end()) {
                    const VtVector at =
                        vantri::export_point({row->second->x, row->second->y, row->second->z});
                    ASSERT_EQ(values[3 * key], static_cast<float>(at.x))
                        << node.name << " " << frame;
                    ASSERT_EQ(values[3 * key + 1], static_cast<float>(at.y))
                        << node.name << " " << frame;
                    ASSERT_EQ(values[3 * key + 2], static_cast<float>(at.z))
                        << node.name << " " << frame;
                    ++checked;
                }
                ++key;
            }
        }
        EXPECT_EQ(checked, run.rows.size()) << "every row of agents.csv has its key";
    }
}

} // namespace
