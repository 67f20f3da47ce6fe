// The recording behind scene.glb and preview.html does work and takes room in proportion to
// the crew: each agent finds its source object through an index of its generator's
// instances, and scene.glb's document grows by a bounded number of bytes per agent. Checked
// by counting (objects visited, bytes written), so that a slow machine cannot fail it and a
// fast one cannot hide a square.
#include "results/RecordingMemory.h"
#include "results/RunRecording.h"
#include "results/SceneGltf.h"
#include "host/plugin/ObjectTypes.h"
#include "host/scene/Transform.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <unistd.h>

namespace {

using namespace vantri;

constexpr int32_t kGeneratorType = VT_CROWD_TYPE_GENERATOR;

/// The length of a .glb file's JSON chunk, read from its header.
uint32_t json_chunk_bytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    unsigned char header[16] = {};
    in.read(reinterpret_cast<char*>(header), sizeof header);
    return header[12] | (header[13] << 8) | (header[14] << 16) | (uint32_t(header[15]) << 24);
}

TEST(RecordingWork, EveryAgentShowsItsInstancesSourceAtWorkAndSizeInProportionToTheCrew) {
    std::mt19937 random(21);
    ShapeMakers makers; // a cube source shows a box; a null shows its generator's body box
    makers.add(kCubeType, [](const SceneObject&, ObjectShape& shape) {
        shape = box_shape(VtVector{5, 5, 5});
        return true;
    });
    const std::string path = (std::filesystem::temp_directory_path() /
                              ("vantri-work-" + std::to_string(getpid()) + ".glb"))
                                 .string();
    for (int round = 0; round < 12; ++round) {
        const size_t agents = std::uniform_int_distribution<size_t>(1, 3000)(random);
        const size_t sources = std::uniform_int_distribution<size_t>(1, 4)(random);
        const size_t frames = std::uniform_int_distribution<size_t>(1, 4)(random);
        Document document;
        auto* generator = new SceneObject(kGeneratorType);
        generator->set_name(round % 2 == 0 ? "crowd" : "a \"quoted\" crowd");
        document.insert(generator);
        for (int32_t size : {1034, 1035, 1036})
            generator->data().set(size, Value::of_real(20));
        std::vector<SceneObject*> source_objects;
        for (size_t s = 0; s < sources; ++s) {
            auto* source = new SceneObject(s % 2 == 0 ? kCubeType : kNullType);
            source->set_name("source " + std::to_string(s));
            document.insert(source, generator);
            source_objects.push_back(source);
        }
        // The generator's output: instance i repeats source (i * 7) % sources, so that the
        // instance, not the agent's index, decides; a record without an instance falls back
        // on the index.
        auto* output = new SceneObject(kNullType);
        std::vector<VtAgentRecord> records(agents);
        for (size_t i = 0; i < agents; ++i) {
            auto* instance = new SceneObject(kInstanceType);
            instance->data().set(kInstanceLink, Value::of_link(source_objects[(i * 7) % sources]));
            instance->insert_under_last(output);
            std::memset(&records[i], 0, sizeof records[i]);
            records[i].mg = identity_matrix();
            records[i].mg.off = VtVector{double(i), 0, 0};
            records[i].object = i % 5 == 4 ? nullptr : instance->handle();
        }
        generator->set_cache(output);

        RunRecording recording;
        recording.begin(document, {generator}, makers);
        size_t grown = 0, known = 0;
        for (size_t f = 0; f < frames; ++f) {
            // The crew grows over the frames, whole at the last.
            const size_t count = f + 1 == frames ? agents : agents * (f + 1) / frames;
            grown += count > known ? 1 : 0;
            known = std::max(known, count);
            recording.add_frame(
                static_cast<int32_t>(f),
                {GeneratorFrame{generator, records.data(), count, generator->global_matrix()}});
        }
        SCOPED_TRACE(std::to_string(agents) + " agents, " + std::to_string(sources) + " sources, " +
                     std::to_string(frames) + " frames");
        EXPECT_LE(recording.objects_visited(), grown * (agents + sources));
        ASSERT_EQ(recording.agent_count(), agents);
        for (size_t i = 0; i < agents; ++i) {
            const size_t source = i % 5 == 4 ? i % sources : (i * 7) % sources;
            const std::string expected =
                source % 2 == 0 ? "source " + std::to_string(source) : generator->name() + " body";
            const int32_t shape = recording.generators()[0].agent_shapes[i];
            ASSERT_GE(shape, 0);
            ASSERT_EQ(recording.shapes()[shape].name, expected) << "agent " << i;
        }

        ASSERT_TRUE(write_scene_glb(recording, "crowd.json", path));
        const double json = json_chunk_bytes(path);
        const std::vector<RecordedCrew> crew{{agents, generator->name()}};
        EXPECT_LE(recording_memory(crew, frames, 0, true, false).glb, json)
            << "the memory check's figure is one that the document reaches";
        EXPECT_LE(glb_file_bytes(crew, frames),
                  static_cast<double>(std::filesystem::file_size(path)));
        EXPECT_LT(json / static_cast<double>(agents), 1024 + 2 * generator->name().size())
            << "a bounded document per agent, the same for every crew size";
    }
    std::filesystem::remove(path);
}

} // namespace
