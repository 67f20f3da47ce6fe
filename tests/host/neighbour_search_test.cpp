// The world's grid search against the scan of every pair of agents. Both are played on the
// same scenes through the real module, and every row of agents.csv and every byte of every
// agent record (pointers aside) must come out the same, frame after frame: the example and
// test scenes, random crews (jittered, several crowds naming each other, rotated and scaled
// generators, agents stacked on one spot, agents moved far outside any cell range), crowds
// following splines (whose nearest sample the same switch has found in a tree or by a scan),
// and runs in which the grids' or the spline search's memory is refused.
#include "tests/support/PlayedRuns.h"

#include "abi/host_abi.h"
#include "parameter_ids/ocrowdbehav.h"

#include "results/AgentRecords.h"
#include "results/AgentsCsv.h"
#include "scenefile/SceneBuilder.h"
#include "scenefile/SceneFile.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <functional>
#include <limits>
#include <map>
#include <random>

namespace {

using vantri::Json;
using vantri_test::first_difference;
using vantri_test::parsed;
using vantri_test::Played;
using vantri_test::random_scene;
using vantri_test::scene_files;

class NeighbourSearchTest : public vantri_test::PlayedRuns {
  protected:
    /// Plays `scene` both ways and expects the same rows and records.
    /// Returns whether the scene wrote any agent at all.
    bool expect_same(const std::string& what, const vantri::SceneFile& scene,
                     const std::function<void()>& after_first = {}, int32_t last = INT32_MAX) {
        const Played grid = play(scene, VT_NEIGHBOUR_SEARCH_GRID, after_first, last);
        const Played reference = play(scene, VT_NEIGHBOUR_SEARCH_ALL_PAIRS, after_first, last);
        EXPECT_TRUE(grid == reference) << what << ": " << first_difference(grid, reference);
        return reference.csv.size() > std::strlen(vantri::AgentsCsv::header()) + 1;
    }
};

TEST_F(NeighbourSearchTest, EveryExampleAndTestSceneGivesTheSameRows) {
    const std::string root = VANTRI_SOURCE_DIR;
    std::vector<std::filesystem::path> files = scene_files(root + "/examples");
    const auto tests = scene_files(root + "/tests/scenes");
    files.insert(files.end(), tests.begin(), tests.end());
    ASSERT_GE(files.size(), 3u);
    size_t with_agents = 0;
    for (const auto& file : files) {
        const vantri::Result<vantri::SceneFile> loaded = vantri::load_scene_file(file.string());
        ASSERT_TRUE(loaded) << loaded.message();
        const vantri::SceneFile& scene = *loaded;
        if (expect_same(file.filename().string(), scene)) ++with_agents;
    }
    EXPECT_GE(with_agents, files.size() - 1) << "only the empty scene may write no agent";
}

// The benchmark's smallest scenes, a few frames each: the scan of every pair is slow there.
TEST_F(NeighbourSearchTest, TheSmallBenchmarkScenesGiveTheSameRows) {
    const std::string root = VANTRI_SOURCE_DIR;
    int played = 0;
    for (const auto& file : scene_files(root + "/bench/scenes")) {
        if (file.filename().string().find("-1k") == std::string::npos) continue;
        const vantri::Result<vantri::SceneFile> loaded = vantri::load_scene_file(file.string());
        ASSERT_TRUE(loaded) << loaded.message();
        const vantri::SceneFile& scene = *loaded;
        expect_same(file.filename().string(), scene, {}, scene.start + 6);
        ++played;
    }
    EXPECT_EQ(played, 2) << "the moderate and the dense scene of 1,000 agents";
}

TEST_F(NeighbourSearchTest, RandomCrewsGiveTheSameRecords) {
    std::mt19937 random(20240611);
    for (int round = 0; round < 24; ++round) {
        const Json text = random_scene(random);
        const vantri::SceneFile scene = parsed(text.dump());
        // After the first frame some agents of the first crew leave: for places no cell
        // range reaches, or just far from the others; two stand on one spot; and now and
        // then one has no finite place.
        const auto scatter = [&]() {
            VtRecordArray* array = agents_of("crowd 0");
            ASSERT_NE(array, nullptr);
            VtAgentRecord* records = array->block + array->front;
            const VtVector far[] = {{1e9, 0, 0},   {-1e15, 3, 2},   {3e200, 0, -3e200},
                                    {0, 0, 1e300}, {1500, 0, -900}, {-4000, 10, 3000}};
            for (int32_t i = 0; i < 6 && 2 * i < array->count; ++i)
                records[2 * i].mg.off = far[i];
            if (array->count > 3) records[3].mg.off = records[1].mg.off;
            // Now and then one agent has no place at all.
            const double inf = std::numeric_limits<double>::infinity();
            const double nan = std::numeric_limits<double>::quiet_NaN();
            if (round % 4 == 0 && array->count > 5) records[5].mg.off = VtVector{inf, 0, -inf};
            if (round % 8 == 0 && array->count > 7) records[7].mg.off = VtVector{0, nan, 0};
            vantri::SceneObject* steer = vantri::SceneObject::from(document->find("steer 0"));
            ASSERT_NE(steer, nullptr);
            steer->data().set(CROWDBEHAV_ALIGN_RADIUS, vantri::Value::of_int(-round % 11));
            steer->touch();
        };
        expect_same("round " + std::to_string(round) + ": " + text.dump(), scene,
                    round % 2 == 0 ? scatter : std::function<void()>());
        if (HasFailure()) return;
    }
}

// A row of agents standing still, each 104 units from the next: beyond the look-ahead, so
// the nearest agent lies outside the list of near agents that avoidance shares, and at exactly
// the same distance on both sides. The row runs towards -x, so the later agent lies nearer the
// grid's low corner and is met first; the nearest offset must still point at the earlier one,
// as the scan finds it.
TEST_F(NeighbourSearchTest, TheNearestOfTwoAtTheSameDistanceIsTheEarlier) {
    const Json params = {{"CROWDGEN_COUNT_X", 24},          {"CROWDGEN_COUNT_Y", 1},
                         {"CROWDGEN_COUNT_Z", 1},           {"CROWDGEN_SPACING", {-104, 0, 0}},
                         {"CROWDGEN_JITTER", 0.0},          {"CROWDGEN_SPEED", 0.0},
                         {"CROWDGEN_SPEED_VARIATION", 0},   {"CROWDGEN_RANGE", 100.0},
                         {"CROWDGEN_BEHAVIOURS", {"avoid"}}};
    Json generator = {{"type", "generator"}, {"name", "row"}, {"params", params}};
    generator["children"] = Json::array({{{"type", "cube"}, {"name", "body"}}});
    Json behaviour = {{"type", "behaviour"}, {"name", "avoid"}};
    behaviour["params"] = {{"CROWDBEHAV_AVOIDANCE", true}};
    Json world = {{"type", "world"}, {"name", "world"}};
    world["children"] = Json::array({generator});
    Json text = {{"fps", 25}, {"start", 0}, {"end", 3}};
    text["objects"] = Json::array({behaviour, world});
    int checked = 0;
    const auto check = [&]() {
        VtRecordArray* array = agents_of("row");
        ASSERT_NE(array, nullptr);
        ASSERT_EQ(array->count, 24);
        EXPECT_EQ(array->block[array->front + 5].nearest_offset.x, 104.0);
        ++checked;
    };
    expect_same("row", parsed(text.dump()), check);
    EXPECT_EQ(checked, 2) << "once with each search";
}

TEST_F(NeighbourSearchTest, TheReferenceIsAnotherPathChosenByAPluginMessage) {
    const vantri::Result<vantri::SceneFile> loaded =
        vantri::load_scene_file(std::string(VANTRI_SOURCE_DIR) + "/tests/scenes/crowds.json");
    ASSERT_TRUE(loaded) << loaded.message();
    const vantri::SceneFile& scene = *loaded;
    const Played grid = play(scene, VT_NEIGHBOUR_SEARCH_GRID, {}, 3);
    const Played reference = play(scene, VT_NEIGHBOUR_SEARCH_ALL_PAIRS, {}, 3);
    EXPECT_GT(grid.requests, reference.requests) << "only the grid search takes memory";
    int32_t unknown = 2;
    EXPECT_EQ(module.message(VT_CROWD_MESSAGE_NEIGHBOUR_SEARCH, &unknown), -1);
    EXPECT_EQ(module.message(VT_CROWD_MESSAGE_NEIGHBOUR_SEARCH, nullptr), -1);
}

// Crowds following splines: a curvy closed loop and a straight line whose samples lie 10.125
// apart, by behaviours with capture distances of 40, 3000, 0 and 1e300, one or two splines a
// crowd, generators turned and scaled. After the first frame the row stands exactly midway
// between samples (ties) and on samples, and some of the walkers go far away or nowhere.
vantri::SceneFile spline_scene(int32_t end) {
    const auto follow = [](const std::string& name, const std::string& spline,
                           const std::string& capture, const std::string& stop) {
        return R"({"type": "behaviour", "name": ")" + name + R"(", "params": {
            "CROWDBEHAV_SPLINE": true, "CROWDBEHAV_SPLINE_OBJECT": ")" +
               spline + R"(",
            "CROWDBEHAV_SPLINE_RADIUS": )" +
               capture + R"(, "CROWDBEHAV_SPLINE_END_STOP": )" + stop + "}},";
    };
    const std::string move = R"("CROWDGEN_SPEED": 120, "CROWDGEN_ACCELERATION": 200)";
    return parsed(
        R"({"start": 0, "end": )" + std::to_string(end) + R"(, "objects": [
        {"type": "spline", "name": "loop", "closed": true, "position": [40, 0, -25],
         "rotation": [30, 0, 0], "points": [[1244, 0, 0], [1181, 40, 682], [478, 0, 828],
         [0, 0, 837], [-622, -30, 1077], [-1181, 0, 682], [-956, 0, 0], [-725, 0, -418],
         [-622, 0, -1077], [0, 0, -1363], [478, 0, -828], [725, 0, -418]]},
        {"type": "spline", "name": "line", "interpolation": "linear",
         "points": [[1296, 0, 0], [0, 0, 0]]},)" +
        follow("loop near", "loop", "40", "false") + follow("loop wide", "loop", "3000", "false") +
        follow("loop none", "loop", "0", "false") + follow("line near", "line", "40", "true") +
        follow("line any", "line", "1e300", "false") + R"(
        {"type": "world", "name": "world", "children": [
            {"type": "generator", "name": "walkers", "position": [1100, 0, -200],
             "rotation": [-20, 0, 0], "params": {"CROWDGEN_COUNT_X": 6, "CROWDGEN_COUNT_Z": 5,
             "CROWDGEN_SPACING": [35, 0, 45], "CROWDGEN_JITTER": 0.4, "CROWDGEN_SIZE_X": 10,
             "CROWDGEN_SIZE_Z": 12, "CROWDGEN_BEHAVIOURS": ["loop near", "loop wide"], )" +
        move + R"(}, "children": [{"type": "cube", "name": "walker"}]},
            {"type": "generator", "name": "row", "params": {"CROWDGEN_COUNT_X": 128,
             "CROWDGEN_SPACING": [10, 0, 0], "CROWDGEN_SIZE_X": 10, "CROWDGEN_SIZE_Z": 10,
             "CROWDGEN_BEHAVIOURS": ["line near", "loop none"], )" +
        move + R"(}, "children": [{"type": "cube", "name": "stander"}]},
            {"type": "generator", "name": "turned", "position": [-300, 0, 900],
             "rotation": [135, 0, 0], "scale": [1.7, 1, 0.6], "params": {"CROWDGEN_COUNT_X": 5,
             "CROWDGEN_COUNT_Z": 7, "CROWDGEN_SPACING": [60, 0, 30], "CROWDGEN_JITTER": 1.0,
             "CROWDGEN_SIZE_X": 14, "CROWDGEN_SIZE_Z": 8,
             "CROWDGEN_BEHAVIOURS": ["line any", "loop wide"], )" +
        move + R"(}, "children": [{"type": "cube", "name": "turner"}]}]}]})");
}

TEST_F(NeighbourSearchTest, SplineFollowersGiveTheSameRecords) {
    const auto scatter = [&]() {
        VtRecordArray* row = agents_of("row");
        ASSERT_NE(row, nullptr);
        ASSERT_EQ(row->count, 128);
        VtAgentRecord* records = row->block + row->front;
        for (int32_t i = 0; i < 128; ++i)
            records[i].mg.off = VtVector{10.125 * (i + (i % 5 == 4 ? 0 : 0.5)), 0, 0};
        VtRecordArray* walkers = agents_of("walkers");
        ASSERT_NE(walkers, nullptr);
        records = walkers->block + walkers->front;
        const double nan = std::numeric_limits<double>::quiet_NaN();
        const VtVector far[] = {{1e9, 0, 0}, {-3e200, 0, 3e200}, {nan, 0, 0}, {5000, 0, -5000}};
        for (int32_t i = 0; i < 4; ++i)
            records[7 * i + 1].mg.off = far[i];
    };
    const vantri::SceneFile scene = spline_scene(12);
    expect_same("splines", scene, scatter);
    const Played tree = play(scene, VT_NEIGHBOUR_SEARCH_GRID, {}, 2);
    const Played scan = play(scene, VT_NEIGHBOUR_SEARCH_ALL_PAIRS, {}, 2);
    EXPECT_NE(tree.csv.find(",walkers,"), std::string::npos);
    EXPECT_GT(tree.requests, scan.requests) << "only the tree search takes memory";
}

// Every allocation of a frame in which the crowds follow splines, refused in turn. A refused
// block of the spline search leaves the frame to the scan, which gives the same results; any
// other refusal may change them, but nothing leaks and every agent stays finite.
TEST_F(NeighbourSearchTest, RefusedSplineSearchMemoryLeaksNothingAndChangesNothing) {
    const vantri::SceneFile scene = spline_scene(2);
    const auto run = [&](uint64_t refuse) {
        const auto arm = [refuse]() { vantri::allocator().fail_nth(refuse); };
        const Played played = play(scene, VT_NEIGHBOUR_SEARCH_GRID, arm, INT32_MAX, true);
        vantri::allocator().fail_nth(0);
        return played;
    };
    const Played untroubled = run(0);
    const auto [refused, unchanged] = walk_refusals(run, untroubled);
    EXPECT_GT(refused, 20u) << "the frame allocates";
    EXPECT_GE(unchanged, 6u) << "each spline's points, order and boxes";
}

// Every allocation of the first simulated frames refused in turn, in a small scene of two
// crowds that name each other. A refused block of the grids leaves the frame to the scan of
// every pair, which gives the same results; any other refused allocation does what it does
// with the scan too. So each run must match the untroubled run, or the reference run in which
// the same allocation is refused: the same request counted from the refusal's arming, less
// the grid's requests that came before it, of which there are at most `extra`.
TEST_F(NeighbourSearchTest, RefusedGridMemoryLeavesTheResultsAsTheScanGivesThem) {
    const vantri::SceneFile scene = parsed(R"({"start": 0, "end": 3, "objects": [
        {"type": "behaviour", "name": "flock", "params": {
            "CROWDBEHAV_ALIGN": true, "CROWDBEHAV_ALIGN_RADIUS": 60, "CROWDBEHAV_COHESION": true,
            "CROWDBEHAV_COHESION_DISTANCE": 30, "CROWDBEHAV_COHESION_MAX": 90,
            "CROWDBEHAV_SEPARATION": true, "CROWDBEHAV_SEPARATION_RADIUS": 25,
            "CROWDBEHAV_REPEL_OTHERS": true, "CROWDBEHAV_AVOIDANCE": true,
            "CROWDBEHAV_AVOID_OTHERS": true}},
        {"type": "world", "name": "world", "children": [
            {"type": "generator", "name": "a", "params": {"CROWDGEN_COUNT_X": 4,
             "CROWDGEN_COUNT_Z": 3, "CROWDGEN_SPACING": [20, 0, 20], "CROWDGEN_JITTER": 0.5,
             "CROWDGEN_SPEED": 40, "CROWDGEN_ACCELERATION": 30, "CROWDGEN_BEHAVIOURS": ["flock"],
             "CROWDGEN_OTHER_GROUPS": ["b"]},
             "children": [{"type": "cube", "name": "a body"}]},
            {"type": "generator", "name": "b", "position": [30, 0, 50], "rotation": [120, 0, 0],
             "params": {"CROWDGEN_COUNT_X": 3, "CROWDGEN_COUNT_Z": 4,
             "CROWDGEN_SPACING": [25, 0, 15], "CROWDGEN_SPEED": 40, "CROWDGEN_ACCELERATION": 30,
             "CROWDGEN_BEHAVIOURS": ["flock"], "CROWDGEN_OTHER_GROUPS": ["a"]},
             "children": [{"type": "cube", "name": "b body"}]}]}]})");
    const auto run = [&](int32_t search, uint64_t refuse) {
        const auto arm = [refuse]() { vantri::allocator().fail_nth(refuse); };
        const Played played = play(scene, search, arm, INT32_MAX, true);
        vantri::allocator().fail_nth(0);
        return played;
    };
    const Played untroubled = run(VT_NEIGHBOUR_SEARCH_GRID, 0);
    const Played scanned = run(VT_NEIGHBOUR_SEARCH_ALL_PAIRS, 0);
    ASSERT_TRUE(untroubled == scanned) << first_difference(untroubled, scanned);
    ASSERT_GT(untroubled.requests, scanned.requests) << "the grids take memory";
    const uint64_t extra = untroubled.requests - scanned.requests;

    std::map<uint64_t, Played> references;
    const auto reference = [&](uint64_t m) -> const Played& {
        auto it = references.find(m);
        if (it == references.end())
            it = references.emplace(m, run(VT_NEIGHBOUR_SEARCH_ALL_PAIRS, m)).first;
        return it->second;
    };
    uint64_t fallbacks = 0;
    for (uint64_t n = 1;; ++n) {
        SCOPED_TRACE("refusal " + std::to_string(n));
        const uint64_t refusals = vantri::allocator().refusals();
        const Played grid = run(VT_NEIGHBOUR_SEARCH_GRID, n);
        if (vantri::allocator().refusals() == refusals) break;
        EXPECT_TRUE(host.misuse().empty()) << host.misuse().front();
        EXPECT_EQ(vantri::allocator().live(), baseline_live) << "leak";
        if (grid == untroubled) {
            ++fallbacks;
            continue;
        }
        bool matched = false;
        for (uint64_t m = n; m >= 1 && m + extra >= n && !matched; --m)
            matched = grid == reference(m);
        EXPECT_TRUE(matched) << first_difference(grid, reference(n));
    }
    EXPECT_GE(fallbacks, extra) << "every refused block of the grids changes nothing";
}

} // namespace
