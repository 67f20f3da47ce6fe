// Scenes played through the real module, frame by frame, with every row of agents.csv and
// every byte of every agent record (pointers aside) kept, so that two ways of playing them can
// be compared to the bit: the neighbour searches (neighbour_search_test.cpp) and the thread
// counts (tests/threads). Also the scenes they play: every example and test scene, and random
// crews.
#pragma once

#include "tests/support/PluginFixture.h"
#include "tests/support/CommandRun.h"
#include "tests/support/ScratchFolder.h"

#include "abi/host_abi.h"

#include "host/jobs/JobPool.h"
#include "results/AgentRecords.h"
#include "results/AgentsCsv.h"
#include "scenefile/SceneBuilder.h"
#include "scenefile/SceneFile.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <functional>
#include <utility>
#include <random>
#include <sstream>

namespace vantri_test {

/// The scene of a text the test writes, which must read.
inline vantri::SceneFile parsed(const std::string& text) {
    vantri::Result<vantri::SceneFile> scene = vantri::parse_scene(text);
    EXPECT_TRUE(scene) << (scene ? "" : scene.message());
    return scene ? std::move(scene).value() : vantri::SceneFile{};
}

/// The built objects of a scene that must build.
inline std::vector<vantri::BuiltObject> built_objects(const vantri::Host& host,
                                                      const vantri::SceneFile& scene,
                                                      vantri::Document& document) {
    vantri::Result<std::vector<vantri::BuiltObject>> built =
        vantri::build_scene(host, scene, document);
    EXPECT_TRUE(built) << (built ? "" : built.message());
    return built ? std::move(built).value() : std::vector<vantri::BuiltObject>{};
}

/// What one played run leaves.
struct Played {
    std::string csv;                                 ///< agents.csv
    std::vector<std::vector<unsigned char>> records; ///< per frame, every record's bytes
    uint64_t requests = 0;                           ///< allocations asked of the host
    bool operator==(const Played& other) const {
        return csv == other.csv && records == other.records;
    }
};

/// The first line where two texts differ, for a readable failure; `a` and `b` name the runs.
inline std::string first_difference(const std::string& a, const std::string& b,
                                    const std::string& name_a = "grid",
                                    const std::string& name_b = "all pairs") {
    std::istringstream in_a(a), in_b(b);
    std::string line_a, line_b;
    for (int line = 1;; ++line) {
        const bool more_a = static_cast<bool>(std::getline(in_a, line_a));
        const bool more_b = static_cast<bool>(std::getline(in_b, line_b));
        if (!more_a && !more_b) return "no difference";
        if (!more_a || !more_b || line_a != line_b)
            return "line " + std::to_string(line) + ":\n  " + name_a + ": " + line_a + "\n  " +
                   name_b + ": " + line_b;
    }
}

/// The first record field where two runs differ.
inline std::string first_difference(const Played& grid, const Played& reference,
                                    const std::string& name_a = "grid",
                                    const std::string& name_b = "all pairs") {
    if (grid.records.size() != reference.records.size()) return "different frame counts";
    for (size_t frame = 0; frame < grid.records.size(); ++frame) {
        const auto& a = grid.records[frame];
        const auto& b = reference.records[frame];
        if (a.size() != b.size()) return "frame " + std::to_string(frame) + ": agent counts";
        const auto at = std::mismatch(a.begin(), a.end(), b.begin());
        if (at.first != a.end()) {
            const size_t byte = static_cast<size_t>(at.first - a.begin());
            return "frame " + std::to_string(frame) + ", agent " +
                   std::to_string(byte / sizeof(VtAgentRecord)) + ", byte " +
                   std::to_string(byte % sizeof(VtAgentRecord)) + " of the record";
        }
    }
    return first_difference(grid.csv, reference.csv, name_a, name_b);
}

class PlayedRuns : public StartedPlugin {
  protected:
    void TearDown() override {
        choose(VT_NEIGHBOUR_SEARCH_GRID);
        host.set_threads(vantri::machine_threads());
        StartedPlugin::TearDown();
    }

    void choose(int32_t search) {
        int32_t value = search;
        ASSERT_EQ(module.message(VT_CROWD_MESSAGE_NEIGHBOUR_SEARCH, &value), 1);
    }

    /// Plays `scene` with `search` from its start to `last` (its end by default). `after_first`
    /// runs once the first frame is done, to move agents where no crew puts them. With
    /// `idle_start` the first frame only makes the crews (the animation stands still), so
    /// that the world first simulates in the second.
    Played play(const vantri::SceneFile& scene, int32_t search,
                const std::function<void()>& after_first = {}, int32_t last = INT32_MAX,
                bool idle_start = false) {
        Played played;
        choose(search);
        document = std::make_unique<vantri::Document>();
        std::vector<vantri::SceneObject*> generators;
        for (const vantri::BuiltObject& built : built_objects(host, scene, *document)) {
            if (built.object->type() == kGeneratorType) generators.push_back(built.object);
        }
        const std::string path = scratch.path("agents.csv");
        vantri::AgentsCsv csv;
        const vantri::Status opened = csv.open(path);
        EXPECT_TRUE(opened) << (opened ? "" : opened.message());
        const auto record = [&](int32_t frame) {
            std::vector<unsigned char> bytes;
            for (vantri::SceneObject* generator : generators) {
                auto records = vantri::read_agent_records(*generator);
                csv.write_frame(frame, generator->name(), records, generator->global_matrix());
                for (VtAgentRecord& agent : records) {
                    agent.object = nullptr;
                    agent.hit_obstacle = nullptr;
                    agent.crowd = nullptr;
                    const auto* raw = reinterpret_cast<const unsigned char*>(&agent);
                    bytes.insert(bytes.end(), raw, raw + sizeof agent);
                }
            }
            played.records.push_back(std::move(bytes));
            if (frame == scene.start && after_first) after_first();
        };
        const uint64_t requests = vantri::allocator().requests();
        int32_t first = scene.start;
        if (idle_start) {
            host.set_animation_running(false);
            vantri::FrameEvaluator(host, *document).evaluate(first);
            record(first++);
        }
        vantri::play_range(host, *document, first, std::min(last, scene.end),
                           vantri::PlayMode::Play, record);
        played.requests = vantri::allocator().requests() - requests;
        const vantri::Status closed = csv.close();
        EXPECT_TRUE(closed) << (closed ? "" : closed.message());
        played.csv = read_text(path);
        document.reset();
        return played;
    }

    /// Plays `run(n)` for n = 1, 2, ... (the run with the n-th allocation refused) until a run
    /// refuses nothing, and checks each: the host saw no misuse, nothing leaked, no NaN or
    /// infinity was written; `each` may check more. Returns the refused runs and how many of
    /// them matched `untroubled`.
    std::pair<uint64_t, uint64_t>
    walk_refusals(const std::function<Played(uint64_t)>& run, const Played& untroubled,
                  const std::function<void(uint64_t, const Played&)>& each = {}) {
        uint64_t unchanged = 0;
        uint64_t n = 1;
        for (;; ++n) {
            SCOPED_TRACE("refusal " + std::to_string(n));
            const uint64_t refusals = vantri::allocator().refusals();
            const Played played = run(n);
            if (vantri::allocator().refusals() == refusals) break;
            EXPECT_TRUE(host.misuse().empty()) << host.misuse().front();
            EXPECT_EQ(vantri::allocator().live(), baseline_live) << "leak";
            EXPECT_EQ(played.csv.find("nan"), std::string::npos);
            EXPECT_EQ(played.csv.find("inf"), std::string::npos);
            if (played == untroubled) ++unchanged;
            if (each) each(n, played);
        }
        return {n - 1, unchanged};
    }

    /// The agent array of the generator named `name`, as the world sees it.
    VtRecordArray* agents_of(const std::string& name) {
        vantri::SceneObject* generator = vantri::SceneObject::from(document->find(name));
        VtCrowdEntry entry{};
        VtPrivateData request{0, &entry};
        send(generator, VT_OBJECT_MESSAGE_PRIVATE_DATA, &request);
        return entry.agents;
    }

    ScratchFolder scratch;
};

inline std::vector<std::filesystem::path> scene_files(const std::string& folder) {
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        if (entry.path().extension() == ".json") files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    return files;
}

// A random scene: one to three generators under a world, each with its own counts, spacing
// (sometimes 0: a crew on one spot), jitter, transform, forward axis, body and speeds, driven
// by random behaviours and a blend, and naming random other groups (itself included). With
// `places_only` the behaviours read nothing but the agents' places (no other groups, no blend).
inline vantri::Json random_scene(std::mt19937& random, bool places_only = false) {
    const auto pick = [&](int lo, int hi) {
        return std::uniform_int_distribution<int>(lo, hi)(random);
    };
    const auto real = [&](double lo, double hi) {
        return std::uniform_real_distribution<double>(lo, hi)(random);
    };
    const auto chance = [&](double p) { return real(0, 1) < p; };

    using vantri::Json;
    Json objects = Json::array();
    std::vector<std::string> steering;
    const int behaviours = pick(1, 2);
    for (int b = 0; b < behaviours; ++b) {
        Json params;
        params["CROWDBEHAV_ALIGN"] = chance(0.7);
        // A scene file holds no negative radius; the rounds that scatter agents give one
        // behaviour a negative radius through the host.
        params["CROWDBEHAV_ALIGN_RADIUS"] = std::max(0, pick(-10, 200));
        params["CROWDBEHAV_ALIGN_REPEL_OTHERS"] = !places_only && chance(0.3);
        params["CROWDBEHAV_COHESION"] = chance(0.7);
        params["CROWDBEHAV_COHESION_MIN"] = pick(0, 40);
        params["CROWDBEHAV_COHESION_DISTANCE"] = pick(20, 100);
        params["CROWDBEHAV_COHESION_MAX"] = pick(50, 250);
        params["CROWDBEHAV_SEPARATION"] = chance(0.7);
        params["CROWDBEHAV_SEPARATION_RADIUS"] = pick(0, 80);
        params["CROWDBEHAV_REPEL_OTHERS"] = !places_only && chance(0.4);
        params["CROWDBEHAV_AVOIDANCE"] = chance(0.8);
        params["CROWDBEHAV_AVOID_OTHERS"] = !places_only && chance(0.6);
        params["CROWDBEHAV_KEEP_DIRECTION"] = chance(0.5);
        const std::string name = "steer " + std::to_string(b);
        objects.push_back({{"type", "behaviour"}, {"name", name}, {"params", params}});
        steering.push_back(name);
    }
    if (behaviours == 2 && !places_only && chance(0.5)) {
        objects.push_back(
            {{"type", "blend"},
             {"name", "mix"},
             {"params", {{"CROWDBLEND_LIST", steering}, {"CROWDBLEND_MODE", pick(1002, 1004)}}}});
        steering = {"mix"};
    }

    const int count = pick(1, 3);
    std::vector<std::string> names;
    for (int g = 0; g < count; ++g)
        names.push_back("crowd " + std::to_string(g));
    Json generators = Json::array();
    for (int g = 0; g < count; ++g) {
        Json params;
        params["CROWDGEN_COUNT_X"] = pick(1, 9);
        params["CROWDGEN_COUNT_Y"] = chance(0.2) ? 2 : 1;
        params["CROWDGEN_COUNT_Z"] = pick(1, 9);
        // Sometimes a crew on one spot, sometimes one so sparse that an agent's nearest
        // neighbour stands far beyond its look-ahead.
        const double spacing = chance(0.15) ? 0.0 : (chance(0.2) ? real(300, 3000) : real(5, 60));
        params["CROWDGEN_SPACING"] = {spacing, chance(0.3) ? real(0, 20) : 0.0,
                                      spacing * real(0.5, 2)};
        params["CROWDGEN_JITTER"] = chance(0.7) ? real(0, 1) : 0.0;
        params["CROWDGEN_SEED"] = pick(-100000, 100000);
        params["CROWDGEN_FORWARD_AXIS"] = pick(1011, 1016);
        // Some crews run fast enough to cross several cells in one frame.
        const bool fast = chance(0.3);
        params["CROWDGEN_SPEED"] = fast ? real(200, 900) : real(10, 90);
        params["CROWDGEN_SPEED_VARIATION"] = real(0, 1);
        params["CROWDGEN_ACCELERATION"] = fast ? real(200, 3000) : real(5, 60);
        params["CROWDGEN_SIZE_X"] = real(1, 20);
        params["CROWDGEN_SIZE_Z"] = real(1, 20);
        params["CROWDGEN_RANGE"] = real(10, 160);
        params["CROWDGEN_MAX_TURN"] = real(0.05, 1.0);
        params["CROWDGEN_BEHAVIOURS"] = steering;
        Json others = Json::array();
        for (const std::string& other : names) {
            if (chance(0.6)) others.push_back(other);
        }
        params["CROWDGEN_OTHER_GROUPS"] = others;
        Json generator = {
            {"type", "generator"},
            {"name", names[g]},
            {"position", {real(-250, 250), chance(0.2) ? real(-30, 30) : 0.0, real(-250, 250)}},
            {"rotation", {real(-180, 180), chance(0.2) ? real(-20, 20) : 0.0, 0.0}},
            {"params", params},
            {"children", {{{"type", "cube"}, {"name", names[g] + " body"}}}}};
        if (chance(0.5)) generator["scale"] = {real(0.4, 2.5), 1.0, real(0.4, 2.5)};
        generators.push_back(generator);
    }
    objects.push_back({{"type", "world"}, {"name", "world"}, {"children", generators}});
    const int rates[] = {25, 25, 10, 2};
    return {{"fps", rates[pick(0, 3)]}, {"start", 0}, {"end", 24}, {"objects", objects}};
}

} // namespace vantri_test
