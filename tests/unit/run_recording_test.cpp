// The run's recording and scene.glb when a generator's agent count changes during the run:
// an agent absent at some frames keeps its nearest place and is scaled to nothing there.
#include "results/RunRecording.h"
#include "results/SceneGltf.h"
#include "host/scene/Transform.h"

#include <gtest/gtest.h>
#include <tiny_gltf.h>

#include <cstring>
#include <filesystem>
#include <unistd.h>

namespace {

using namespace vantri;

constexpr int32_t kGeneratorType = VT_CROWD_TYPE_GENERATOR;

VtAgentRecord agent_at(double x, double z) {
    VtAgentRecord record;
    std::memset(&record, 0, sizeof record);
    record.mg = identity_matrix();
    record.mg.off = VtVector{x, 0, z};
    return record;
}

std::vector<float> floats(const tinygltf::Model& model, int index) {
    const tinygltf::Accessor& accessor = model.accessors.at(index);
    const tinygltf::BufferView& view = model.bufferViews.at(accessor.bufferView);
    const unsigned char* data =
        model.buffers.at(view.buffer).data.data() + view.byteOffset + accessor.byteOffset;
    std::vector<float> values(accessor.count * tinygltf::GetNumComponentsInType(accessor.type));
    std::memcpy(values.data(), data, values.size() * sizeof(float));
    return values;
}

TEST(RunRecording, AnAgentAbsentAtSomeFramesKeepsItsPlaceAndIsScaledToNothingThere) {
    Document document;
    document.set_fps(10);
    auto* generator = new SceneObject(kGeneratorType);
    generator->set_name("crowd");
    generator->set_position(VtVector{100, 0, 0});
    document.insert(generator);
    generator->data().set(1034, Value::of_real(20)); // the body box of a source-less crowd
    generator->data().set(1035, Value::of_real(40));
    generator->data().set(1036, Value::of_real(20));

    RunRecording recording;
    recording.begin(document, {generator});
    // Two agents, then one, then two again.
    const auto add_frame = [&](int32_t frame, const std::vector<VtAgentRecord>& records) {
        recording.add_frame(frame, {GeneratorFrame{generator, records.data(), records.size(),
                                                   generator->global_matrix()}});
    };
    add_frame(5, {agent_at(0, 0), agent_at(50, 0)});
    add_frame(6, {agent_at(10, 0)});
    add_frame(7, {agent_at(20, 0), agent_at(50, 30)});

    EXPECT_EQ(recording.agent_count(), 2u);
    EXPECT_EQ(recording.generators()[0].counts, (std::vector<uint32_t>{2, 1, 2}));
    EXPECT_FALSE(recording.pose(1, 0, 1).present());
    const AgentPose moved = recording.pose(2, 0, 1);
    EXPECT_TRUE(moved.present());
    EXPECT_FLOAT_EQ(moved.translation[0], 1.5f) << "(100 + 50) cm";
    EXPECT_FLOAT_EQ(moved.translation[2], -0.3f);
    ASSERT_EQ(recording.shapes().size(), 1u) << "one body box for both agents";
    EXPECT_EQ(recording.shapes()[0].name, "crowd body");

    const std::string path = (std::filesystem::temp_directory_path() /
                              ("vantri-recording-" + std::to_string(getpid()) + ".glb"))
                                 .string();
    const Status written = write_scene_glb(recording, "crowd.json", path);
    ASSERT_TRUE(written) << written.message();
    std::string error;
    tinygltf::Model model;
    tinygltf::TinyGLTF loader;
    std::string warning;
    ASSERT_TRUE(loader.LoadBinaryFromFile(&model, &error, &warning, path)) << error;
    std::filesystem::remove(path);

    ASSERT_EQ(model.animations.size(), 1u);
    const tinygltf::Animation& run = model.animations[0];
    std::map<std::string, std::vector<float>> second;
    std::string scale_interpolation;
    for (const tinygltf::AnimationChannel& channel : run.channels) {
        if (model.nodes[channel.target_node].name != "crowd_1") continue;
        second[channel.target_path] = floats(model, run.samplers[channel.sampler].output);
        if (channel.target_path == "scale")
            scale_interpolation = run.samplers[channel.sampler].interpolation;
    }
    ASSERT_EQ(second.size(), 3u) << "translation, rotation and scale";
    EXPECT_EQ(second["scale"], (std::vector<float>{1, 1, 1, 0, 0, 0, 1, 1, 1}));
    EXPECT_EQ(scale_interpolation, "STEP");
    EXPECT_FLOAT_EQ(second["translation"][3], 1.5f) << "keeps its place of frame 5";
    EXPECT_FLOAT_EQ(second["translation"][6], 1.5f);
    EXPECT_FLOAT_EQ(second["translation"][8], -0.3f);
    for (size_t i = 0; i < 3; ++i)
        EXPECT_FLOAT_EQ(second["rotation"][4 * i + 3], 1.0f) << "an unrotated agent everywhere";
    for (const tinygltf::AnimationChannel& channel : run.channels)
        EXPECT_NE(model.nodes[channel.target_node].name + channel.target_path, "crowd_0scale")
            << "an agent present throughout has no scale channel";
}

} // namespace
