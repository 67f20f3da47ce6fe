// The world's frame on 1, 2, 3 and 8 of the host's threads: every row of agents.csv and every
// byte of every agent record (pointers aside) must be the same for every thread count, frame
// after frame, on the example and test scenes and on random crews: groups whose behaviours
// read only the agents' places (updated in waves), several crowds naming each other, blends
// and splines (updated in array order), agents stacked on one spot, agents moved far outside
// any cell range or to no place at all. And every allocation of a frame updated in waves
// refused in turn: nothing leaks, and a refused block of the schedule leaves the frame to the
// update in array order, with the same results.
#include "tests/support/PlayedRuns.h"

#include <cstddef>
#include <limits>

namespace {

using vantri::Json;
using vantri_test::first_difference;
using vantri_test::Played;

constexpr int32_t kThreadCounts[] = {1, 2, 3, 8};

class ThreadedFrameTest : public vantri_test::PlayedRuns {
  protected:
    VtScheduleCounts counts() {
        VtScheduleCounts counts{};
        EXPECT_EQ(module.message(VT_CROWD_MESSAGE_SCHEDULE_COUNTS, &counts), 1);
        return counts;
    }

    Played play_on(int32_t threads, const vantri::SceneFile& scene,
                   const std::function<void()>& after_first = {}, int32_t last = INT32_MAX,
                   bool idle_start = false) {
        host.set_threads(threads);
        return play(scene, VT_NEIGHBOUR_SEARCH_GRID, after_first, last, idle_start);
    }

    /// Plays `scene` on every thread count and expects what one thread gives.
    void expect_same(const std::string& what, const vantri::SceneFile& scene,
                     const std::function<void()>& after_first = {}, int32_t last = INT32_MAX) {
        const Played single = play_on(1, scene, after_first, last);
        for (int32_t threads : kThreadCounts) {
            if (threads == 1) continue;
            const Played threaded = play_on(threads, scene, after_first, last);
            EXPECT_TRUE(threaded == single)
                << what << " on " << threads << " threads: "
                << first_difference(threaded, single, std::to_string(threads) + " threads",
                                    "1 thread");
        }
    }
};

TEST_F(ThreadedFrameTest, EveryExampleAndTestSceneIsTheSameOnEveryThreadCount) {
    const std::string root = VANTRI_SOURCE_DIR;
    std::vector<std::filesystem::path> files = vantri_test::scene_files(root + "/examples");
    const auto tests = vantri_test::scene_files(root + "/tests/scenes");
    files.insert(files.end(), tests.begin(), tests.end());
    ASSERT_GE(files.size(), 3u);
    const VtScheduleCounts before = counts();
    for (const auto& file : files) {
        const vantri::Result<vantri::SceneFile> loaded = vantri::load_scene_file(file.string());
        ASSERT_TRUE(loaded) << loaded.message();
        const vantri::SceneFile& scene = *loaded;
        expect_same(file.filename().string(), scene);
    }
    const VtScheduleCounts after = counts();
    EXPECT_GT(after.in_waves, before.in_waves) << "some groups are updated in waves";
    EXPECT_GT(after.ahead, before.ahead) << "some with their flocking worked out ahead";
    EXPECT_GT(after.single, before.single) << "and some in array order";
}

TEST_F(ThreadedFrameTest, RandomCrewsAreTheSameOnEveryThreadCount) {
    std::mt19937 random(20261208);
    const VtScheduleCounts before = counts();
    for (int round = 0; round < 24; ++round) {
        // Every other crew reads only the agents' places, so that its groups run in waves.
        const Json text = vantri_test::random_scene(random, round % 2 == 0);
        const vantri::SceneFile scene = vantri_test::parsed(text.dump());
        // After the first frame some agents of the first crew leave for places no cell range
        // reaches, two stand on one spot, and now and then one has no finite place.
        const auto scatter = [&]() {
            VtRecordArray* array = agents_of("crowd 0");
            ASSERT_NE(array, nullptr);
            VtAgentRecord* records = array->block + array->front;
            const VtVector far[] = {{1e9, 0, 0}, {-1e15, 3, 2}, {1500, 0, -900}};
            for (int32_t i = 0; i < 3 && 2 * i < array->count; ++i)
                records[2 * i].mg.off = far[i];
            if (array->count > 3) records[3].mg.off = records[1].mg.off;
            if (round % 8 == 1 && array->count > 5)
                records[5].mg.off = VtVector{0, std::numeric_limits<double>::quiet_NaN(), 0};
        };
        expect_same("round " + std::to_string(round) + ": " + text.dump(), scene,
                    round % 4 >= 2 ? scatter : std::function<void()>(), 12);
        if (HasFailure()) return;
    }
    const VtScheduleCounts after = counts();
    EXPECT_GT(after.in_waves, before.in_waves);
    EXPECT_GT(after.waves - before.waves, 0);
    EXPECT_GT(after.ahead, before.ahead);
}

// A crowd whose agents, after the first frame, stand in a column along their heading: each
// is pulled towards those ahead of it, much harder than in the frame before, so an agent moves
// further than guessed. On two and three threads the near lists made ahead are dropped and
// the grid search takes over; on eight the waves are undone and the group is updated in
// array order. Either way the results are those of one thread.
TEST_F(ThreadedFrameTest, AnAgentThatMovesFurtherThanGuessedUndoesTheWaves) {
    const vantri::SceneFile scene = vantri_test::parsed(R"({"start": 0, "end": 3, "objects": [
        {"type": "behaviour", "name": "give way", "params": {"CROWDBEHAV_AVOIDANCE": true,
         "CROWDBEHAV_KEEP_DIRECTION": true}},
        {"type": "world", "name": "world", "children": [
            {"type": "generator", "name": "crowd 0", "params": {"CROWDGEN_COUNT_X": 6,
             "CROWDGEN_COUNT_Z": 6, "CROWDGEN_SPACING": [300, 0, 300], "CROWDGEN_SPEED": 40,
             "CROWDGEN_ACCELERATION": 30, "CROWDGEN_SIZE_X": 2, "CROWDGEN_SIZE_Z": 2,
             "CROWDGEN_RANGE": 100, "CROWDGEN_BEHAVIOURS": ["give way"]},
             "children": [{"type": "cube", "name": "body"}]}]}]})");
    const auto column = [&]() {
        VtRecordArray* array = agents_of("crowd 0");
        ASSERT_NE(array, nullptr);
        VtAgentRecord* records = array->block + array->front;
        for (int32_t i = 0; i < 12 && i < array->count; ++i)
            records[i].mg.off = VtVector{0.0, 0.0, 8.0 * i};
    };
    const VtScheduleCounts before = counts();
    expect_same("a column", scene, column);
    EXPECT_GT(counts().undone, before.undone);
    EXPECT_GT(counts().lists_dropped, before.lists_dropped);
}

// A crew turned about its generator's origin, where its middle agent stands: that agent's
// global place is its place in the generator's space, its neighbours' are not, so the near
// lists of the generator's space must not serve its alignment and cohesion.
TEST_F(ThreadedFrameTest, ATurnedCrewIsTheSameOnEveryThreadCount) {
    const vantri::SceneFile scene = vantri_test::parsed(R"({"start": 0, "end": 4, "objects": [
        {"type": "behaviour", "name": "flock", "params": {
            "CROWDBEHAV_ALIGN": true, "CROWDBEHAV_ALIGN_RADIUS": 70, "CROWDBEHAV_COHESION": true,
            "CROWDBEHAV_COHESION_DISTANCE": 40, "CROWDBEHAV_COHESION_MAX": 90,
            "CROWDBEHAV_SEPARATION": true, "CROWDBEHAV_SEPARATION_RADIUS": 25,
            "CROWDBEHAV_AVOIDANCE": true}},
        {"type": "world", "name": "world", "children": [
            {"type": "generator", "name": "a", "rotation": [90, 0, 0], "scale": [1.5, 1, 0.5],
             "params": {"CROWDGEN_COUNT_X": 7, "CROWDGEN_COUNT_Z": 7,
             "CROWDGEN_SPACING": [30, 0, 30], "CROWDGEN_SPEED": 40, "CROWDGEN_RANGE": 100,
             "CROWDGEN_BEHAVIOURS": ["flock"]},
             "children": [{"type": "cube", "name": "a body"}]}]}]})");
    const VtScheduleCounts before = counts();
    expect_same("a turned crew", scene);
    EXPECT_GT(counts().ahead, before.ahead);
}

// A crew large enough that its records are copied for the neighbour search and the generator
// places its instances on the host's threads, each thread a share of the agents, turning by a
// limited angle per frame: the records and the instances they take back are the same as on
// one thread. Its layers make the agents pitch,
// which the update takes back from the instances, read ahead on the other threads.
TEST_F(ThreadedFrameTest, ALargeCrewIsPlacedTheSameOnEveryThreadCount) {
    const vantri::SceneFile scene = vantri_test::parsed(R"({"start": 0, "end": 3, "objects": [
        {"type": "behaviour", "name": "flock", "params": {
            "CROWDBEHAV_ALIGN": true, "CROWDBEHAV_ALIGN_RADIUS": 70, "CROWDBEHAV_COHESION": true,
            "CROWDBEHAV_COHESION_DISTANCE": 40, "CROWDBEHAV_COHESION_MAX": 90,
            "CROWDBEHAV_SEPARATION": true, "CROWDBEHAV_SEPARATION_RADIUS": 25}},
        {"type": "world", "name": "world", "children": [
            {"type": "generator", "name": "a", "position": [40, 0, -20],
             "params": {"CROWDGEN_COUNT_X": 32, "CROWDGEN_COUNT_Y": 3, "CROWDGEN_COUNT_Z": 86,
             "CROWDGEN_SPACING": [30, 20, 30], "CROWDGEN_JITTER": 0.4, "CROWDGEN_SPEED": 40,
             "CROWDGEN_MAX_TURN": 0.03, "CROWDGEN_BEHAVIOURS": ["flock"]},
             "children": [{"type": "cube", "name": "a body"}]}]}]})");
    // After the first frame, some instances are turned by hand: the update takes their pitch
    // back, and only their pitch.
    const auto tilt = [&]() {
        VtRecordArray* array = agents_of("a");
        ASSERT_NE(array, nullptr);
        VtAgentRecord* records = array->block + array->front;
        for (int32_t i = 0; i < array->count; i += 7) {
            if (vantri::SceneObject* instance = vantri::SceneObject::from(records[i].object))
                instance->set_rotation(VtVector{0.1 * (i % 5), 0.02 * (i % 3), -0.03 * (i % 4)});
        }
    };
    expect_same("a large crew", scene, tilt);

    // A host whose job table ends at parallel_for: the instances are placed on the calling
    // thread, while the world still runs on both.
    HostApi* api = host.api();
    const VtJobTable* full = api->jobs;
    VtJobTable older = *full;
    older.size = offsetof(VtJobTable, shares_move_objects);
    older.shares_move_objects = nullptr;
    api->jobs = &older;
    const VtScheduleCounts before = counts();
    const Played on_older = play_on(2, scene);
    const VtScheduleCounts after = counts();
    api->jobs = full;
    EXPECT_GT(after.ahead, before.ahead);
    EXPECT_TRUE(on_older == play_on(1, scene));
}

// Every allocation of a small crowd's frames refused in turn, on two threads (the flocking
// worked out ahead) and on four (waves). A refused block of the schedule, of the flocking
// terms or of the threads' query buffers leaves the frame to the update in array order, which
// gives the same results; any other refusal may change them, but the same refusal always
// gives the same run, nothing leaks and every agent stays finite.
TEST_F(ThreadedFrameTest, RefusedScheduleMemoryLeaksNothingAndChangesNothing) {
    const vantri::SceneFile scene = vantri_test::parsed(R"({"start": 0, "end": 3, "objects": [
        {"type": "behaviour", "name": "flock", "params": {
            "CROWDBEHAV_ALIGN": true, "CROWDBEHAV_ALIGN_RADIUS": 60, "CROWDBEHAV_COHESION": true,
            "CROWDBEHAV_COHESION_DISTANCE": 30, "CROWDBEHAV_COHESION_MAX": 90,
            "CROWDBEHAV_SEPARATION": true, "CROWDBEHAV_SEPARATION_RADIUS": 25,
            "CROWDBEHAV_AVOIDANCE": true}},
        {"type": "world", "name": "world", "children": [
            {"type": "generator", "name": "a", "params": {"CROWDGEN_COUNT_X": 9,
             "CROWDGEN_COUNT_Z": 8, "CROWDGEN_SPACING": [30, 0, 30], "CROWDGEN_JITTER": 0.5,
             "CROWDGEN_SPEED": 40, "CROWDGEN_ACCELERATION": 30, "CROWDGEN_RANGE": 40,
             "CROWDGEN_BEHAVIOURS": ["flock"]},
             "children": [{"type": "cube", "name": "a body"}]}]}]})");
    for (const int32_t threads : {2, 4}) {
        const auto run = [&](uint64_t refuse) {
            const auto arm = [refuse]() { vantri::allocator().fail_nth(refuse); };
            const Played played = play_on(threads, scene, arm, INT32_MAX, true);
            vantri::allocator().fail_nth(0);
            return played;
        };
        const VtScheduleCounts before = counts();
        const Played untroubled = run(0);
        const VtScheduleCounts after = counts();
        ASSERT_GT(threads == 2 ? after.ahead - before.ahead : after.in_waves - before.in_waves, 0)
            << threads << " threads: the crowd is updated "
            << (threads == 2 ? "with its flocking worked out ahead" : "in waves");
        ASSERT_TRUE(untroubled == play_on(1, scene, {}, INT32_MAX, true));
        const auto [refused, unchanged] =
            walk_refusals(run, untroubled, [&](uint64_t n, const Played& played) {
                if (n % 3 == 0) {
                    EXPECT_TRUE(run(n) == played) << "the same refusal, the same run";
                }
            });
        EXPECT_GT(refused, 10u) << "the frames allocate";
        EXPECT_GE(unchanged, 2u) << "the memory of the threads' work and query buffers";
    }
}

} // namespace
