// Hostile scenes and interrupted runs, run as a person runs them: nothing crashes, hangs,
// reports success for a wrong result, or deletes a user's files. Each case checks the exit
// code, the message and what is on disk afterwards.
#include "tests/support/CommandRun.h"
#include "tests/support/ScratchFolder.h"

#include <nlohmann/json.hpp>

#include <chrono>
#include <csignal>
#include <fstream>
#include <sys/stat.h>
#include <thread>

namespace {

using namespace vantri_test;

// Runs the command under `timeout`, so that a run that never ends fails the test.
CommandOutcome run_bounded(const std::string& arguments, int seconds = 120) {
    return run_vantri_prefixed("timeout " + std::to_string(seconds) + " ", arguments);
}

size_t line_count(const std::string& text) {
    return static_cast<size_t>(std::count(text.begin(), text.end(), '\n'));
}

// The flock example with some of the generator's parameters changed and `end` frames.
std::string flock_with(const nlohmann::json& generator_params, int end) {
    nlohmann::json scene =
        nlohmann::json::parse(read_text(std::string(VANTRI_SOURCE_DIR) + "/examples/flock.json"));
    scene["end"] = end;
    for (auto& object : scene["objects"]) {
        if (object["type"] != "world") continue;
        for (auto it = generator_params.begin(); it != generator_params.end(); ++it)
            object["children"][0]["params"][it.key()] = it.value();
    }
    return scene.dump();
}

TEST(HostileRun, OnlyAFolderOfEarlierResultsIsReplaced) {
    ScratchFolder scratch;
    const std::string scene = scratch.write("s.json", R"({"end": 1, "objects": []})");
    // A user's folder that happens to hold a run.json.
    const std::string mine = scratch.path("mine");
    std::filesystem::create_directories(mine + "/chapters");
    std::ofstream(mine + "/run.json") << "{}";
    std::ofstream(mine + "/thesis.tex") << "precious";
    auto outcome = run_bounded("run " + scene + " --quiet --out " + mine);
    EXPECT_EQ(outcome.exit_code, 2) << outcome.output;
    EXPECT_NE(outcome.output.find(mine + ": the folder holds other files (chapters/, thesis.tex)"),
              std::string::npos)
        << outcome.output;
    EXPECT_EQ(read_text(mine + "/thesis.tex"), "precious");
    EXPECT_EQ(read_text(mine + "/run.json"), "{}");
    EXPECT_TRUE(std::filesystem::is_directory(mine + "/chapters"));

    // A run.json that is no run's report, alone, is not results either.
    std::filesystem::remove_all(mine + "/chapters");
    std::filesystem::remove(mine + "/thesis.tex");
    outcome = run_bounded("run " + scene + " --quiet --out " + mine);
    EXPECT_EQ(outcome.exit_code, 2) << outcome.output;
    EXPECT_NE(outcome.output.find("run.json is not a vantri run's report"), std::string::npos)
        << outcome.output;
    EXPECT_EQ(read_text(mine + "/run.json"), "{}");

    // Earlier results with a user's file put beside them are kept too.
    const std::string results = scratch.path("results");
    ASSERT_EQ(run_bounded("run " + scene + " --quiet --out " + results).exit_code, 0);
    std::ofstream(results + "/notes.txt") << "mine";
    outcome = run_bounded("run " + scene + " --quiet --out " + results);
    EXPECT_EQ(outcome.exit_code, 2) << outcome.output;
    EXPECT_NE(outcome.output.find("(notes.txt) besides an earlier run's results"),
              std::string::npos)
        << outcome.output;
    EXPECT_EQ(read_text(results + "/notes.txt"), "mine");
}

TEST(HostileRun, EverythingARunWritesIsReplacedAndNothingElse) {
    ScratchFolder scratch;
    const std::string scene = scratch.write("s.json", R"({"end": 2, "objects": []})");
    const std::string out = scratch.path("out");
    auto outcome = run_bounded("run " + scene +
                               " --quiet --outputs csv,glb,html,images --images 1 --out " + out);
    ASSERT_EQ(outcome.exit_code, 0) << outcome.output;
    ASSERT_TRUE(std::filesystem::exists(out + "/scene.glb"));
    ASSERT_TRUE(std::filesystem::exists(out + "/preview.html"));
    ASSERT_FALSE(std::filesystem::is_empty(out + "/frames"));
    // A rerun replaces all of it.
    outcome = run_bounded("run " + scene + " --quiet --outputs csv --render-mode --out " + out);
    ASSERT_EQ(outcome.exit_code, 0) << outcome.output;
    EXPECT_FALSE(std::filesystem::exists(out + "/scene.glb"));
    EXPECT_FALSE(std::filesystem::exists(out + "/frames"));
    EXPECT_EQ(scratch.listing(), "out s.json");
    // A user's file among the pictures makes the folder theirs.
    ASSERT_EQ(run_bounded("run " + scene + " --quiet --images 1 --out " + out).exit_code, 0);
    std::ofstream(out + "/frames/notes.txt") << "mine";
    outcome = run_bounded("run " + scene + " --quiet --out " + out);
    EXPECT_EQ(outcome.exit_code, 2) << outcome.output;
    EXPECT_NE(outcome.output.find("(frames/)"), std::string::npos) << outcome.output;
    EXPECT_EQ(read_text(out + "/frames/notes.txt"), "mine");
}

TEST(HostileRun, AFrameRangeEndingAtTheLargestFrameEnds) {
    ScratchFolder scratch;
    const std::string scene = scratch.write("s.json", R"({"start": 2147483646, "end": 2147483647,
        "objects": [{"type": "generator", "name": "g", "children": [{"type": "null", "name": "b"}],
                     "params": {"CROWDGEN_COUNT_X": 1}}]})");
    auto outcome = run_bounded("run " + scene + " --quiet --out " + scratch.path("a"), 60);
    ASSERT_EQ(outcome.exit_code, 0) << outcome.output;
    std::string csv = read_text(scratch.path("a/agents.csv"));
    EXPECT_EQ(line_count(csv), 3u) << csv;
    EXPECT_NE(csv.find("\n2147483647,g,0,"), std::string::npos) << csv;

    outcome = run_bounded("run " + scene + " --quiet --start 2147483647 --end 2147483647 --out " +
                              scratch.path("b"),
                          60);
    ASSERT_EQ(outcome.exit_code, 0) << outcome.output;
    EXPECT_EQ(line_count(read_text(scratch.path("b/agents.csv"))), 2u);
}

TEST(HostileRun, EveryJsonErrorIsASceneMistake) {
    struct Case {
        const char* scene;
        const char* message;
    };
    for (const Case& c : {
             Case{R"({"start": 1e309})", ":1:15: the number 1e309 is beyond the range of a double"},
             Case{"{\"comment\": [1,\n -2e400], \"objects\": []}",
                  ":2:7: the number -2e400 is beyond the range of a double"},
             Case{R"({"objects": [{"type": "generator", "name": "g",
                  "params": {"CROWDGEN_SPEED": 1e999}}]})",
                  ":2:52: the number 1e999 is beyond the range of a double"},
             Case{R"({"objects": [}")", ":1:14: not valid JSON: syntax error"},
         }) {
        SCOPED_TRACE(c.scene);
        ScratchFolder scratch;
        const std::string file = scratch.write("bad.json", c.scene);
        const auto outcome = run_bounded("run " + file + " --quiet --out " + scratch.path("out"));
        EXPECT_EQ(outcome.exit_code, 2) << outcome.output;
        EXPECT_EQ(outcome.output.rfind("vantri run: " + file + c.message, 0), 0u) << outcome.output;
        EXPECT_EQ(line_count(outcome.output), 1u) << outcome.output;
        EXPECT_EQ(scratch.listing(), "bad.json");
    }
}

TEST(HostileRun, NestingBeyondTheLimitIsRefusedBeforeAnythingRecurses) {
    const auto nested_children = [](int levels) {
        std::string text = R"({"end": 0, "objects": [)";
        for (int i = 0; i < levels; ++i)
            text += R"({"type": "null", "name": "n)" + std::to_string(i) + R"(", "children": [)";
        for (int i = 0; i < levels; ++i)
            text += "]}";
        return text + "]}";
    };
    ScratchFolder scratch;
    const std::string deep = scratch.write("deep.json", nested_children(11000));
    auto outcome = run_bounded("run " + deep + " --quiet --out " + scratch.path("out"));
    EXPECT_EQ(outcome.exit_code, 2) << outcome.output.substr(0, 500);
    EXPECT_EQ(outcome.output.rfind("vantri run: " + deep +
                                       ":1:5756: the file nests lists and objects more than 256 "
                                       "levels deep",
                                   0),
              0u)
        << outcome.output.substr(0, 500);
    const std::string comment =
        scratch.write("comment.json", R"({"comment": )" + std::string(100000, '[') +
                                          std::string(100000, ']') + "}");
    outcome = run_bounded("run " + comment + " --quiet --out " + scratch.path("out"));
    EXPECT_EQ(outcome.exit_code, 2) << outcome.output.substr(0, 500);
    EXPECT_NE(outcome.output.find("more than 256 levels deep"), std::string::npos);
    // Just under the limit the scene plays.
    const std::string fine = scratch.write("fine.json", nested_children(126));
    outcome = run_bounded("run " + fine + " --quiet --out " + scratch.path("out"));
    EXPECT_EQ(outcome.exit_code, 0) << outcome.output.substr(0, 500);
    std::filesystem::remove_all(scratch.path("out"));
    EXPECT_EQ(scratch.listing(), "comment.json deep.json fine.json");
}

TEST(HostileRun, ACrewBeyondTheMemoryLimitIsRefusedAtOnce) {
    ScratchFolder scratch;
    const std::string scene = scratch.write("huge.json", R"({"end": 3, "objects": [
        {"type": "generator", "name": "horde",
         "params": {"CROWDGEN_COUNT_X": 100000, "CROWDGEN_COUNT_Y": 100000},
         "children": [{"type": "cube", "name": "body"}]}]})");
    const auto begun = std::chrono::steady_clock::now();
    const auto outcome =
        run_bounded("run " + scene + " --quiet --max-memory 4M --out " + scratch.path("out"), 60);
    EXPECT_LT(std::chrono::steady_clock::now() - begun, std::chrono::seconds(10));
    EXPECT_EQ(outcome.exit_code, 3) << outcome.output;
    EXPECT_EQ(outcome.output.rfind("vantri run: " + scene +
                                       ": generator 'horde' would build a crew of "
                                       "10,000,000,000 agents, which needs at least 6.4 TiB, more "
                                       "than the memory limit of 4 MiB",
                                   0),
              0u)
        << outcome.output;
    EXPECT_EQ(scratch.listing(), "huge.json");

    // A crew that fits but is large says that it is being built, before the first frame.
    const std::string large = scratch.write("large.json", R"({"end": 0, "objects": [
        {"type": "generator", "name": "crowd",
         "params": {"CROWDGEN_COUNT_X": 400, "CROWDGEN_COUNT_Y": 250},
         "children": [{"type": "null", "name": "body"}]}]})");
    const auto building = run_bounded("run " + large + " --out " + scratch.path("large"), 3);
    EXPECT_EQ(
        building.output.rfind("building crews of 100,000 agents (67.1 MiB of records)...\n", 0), 0u)
        << building.output;
}

TEST(HostileRun, BlendsThatExpandBeyondTheLimitAreRefusedAtBuildTime) {
    // n blends, each listing a behaviour and all the others; the generator lists the first.
    const auto blends = [](int n) {
        nlohmann::json objects = nlohmann::json::array();
        objects.push_back({{"type", "behaviour"}, {"name", "steer"}});
        for (int i = 0; i < n; ++i) {
            nlohmann::json list = {"steer"};
            for (int j = 0; j < n; ++j)
                if (j != i) list.push_back("b" + std::to_string(j));
            objects.push_back({{"type", "blend"},
                               {"name", "b" + std::to_string(i)},
                               {"params", {{"CROWDBLEND_LIST", list}}}});
        }
        objects.push_back(
            {{"type", "world"},
             {"name", "w"},
             {"children",
              {{{"type", "generator"},
                {"name", "g"},
                {"params", {{"CROWDGEN_COUNT_X", 20}, {"CROWDGEN_BEHAVIOURS", {"b0"}}}},
                {"children", {{{"type", "cube"}, {"name", "body"}}}}}}}});
        return nlohmann::json{{"end", 1}, {"objects", objects}}.dump();
    };
    ScratchFolder scratch;
    const std::string many = scratch.write("many.json", blends(9));
    auto outcome = run_bounded("run " + many + " --quiet --out " + scratch.path("out"), 60);
    EXPECT_EQ(outcome.exit_code, 2) << outcome.output;
    EXPECT_EQ(outcome.output.rfind("vantri run: " + many +
                                       ": objects[10].children[0].params.CROWDGEN_BEHAVIOURS: "
                                       "generator 'g': its blends 'b0', 'b1', 'b2', 'b3', 'b4', "
                                       "'b5', 'b6', 'b7', ... list each other so that one agent's "
                                       "steering would visit more than 10000 entries",
                                   0),
              0u)
        << outcome.output;
    EXPECT_EQ(scratch.listing(), "many.json");
    // Under the limit the same kind of scene plays.
    const std::string few = scratch.write("few.json", blends(5));
    outcome = run_bounded("run " + few + " --quiet --out " + scratch.path("out"), 60);
    EXPECT_EQ(outcome.exit_code, 0) << outcome.output;
}

// Starts the command with the usual signal dispositions, waits until its agents.csv is
// being written, sends `signal` and returns the wait status.
int interrupt_run(const ScratchFolder& scratch, const std::string& scene, int signal) {
    const pid_t pid = fork();
    if (pid == 0) {
        for (int s : {SIGINT, SIGTERM, SIGHUP, SIGQUIT})
            std::signal(s, SIG_DFL);
        const std::string out = scratch.path("out");
        execl(VANTRI_COMMAND, VANTRI_COMMAND, "run", scene.c_str(), "--quiet", "--out", out.c_str(),
              static_cast<char*>(nullptr));
        _exit(127);
    }
    const std::string staging = scratch.path(".out.partial-" + std::to_string(pid));
    for (int i = 0; i < 600; ++i) {
        std::error_code ec;
        const auto size = std::filesystem::file_size(staging + "/agents.csv", ec);
        if (!ec && size > 10000) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    kill(pid, signal);
    int status = 0;
    waitpid(pid, &status, 0);
    return status;
}

TEST(HostileRun, AnInterruptedRunLeavesNothingAndADeadRunsFolderGoesNextTime) {
    ScratchFolder scratch;
    const std::string scene = scratch.write("long.json", R"({"end": 1000000, "objects": [
        {"type": "generator", "name": "g", "params": {"CROWDGEN_COUNT_X": 100},
         "children": [{"type": "null", "name": "b"}]}]})");
    for (int signal : {SIGINT, SIGTERM, SIGHUP, SIGQUIT}) {
        SCOPED_TRACE(signal);
        const int status = interrupt_run(scratch, scene, signal);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal) << status;
        EXPECT_EQ(scratch.listing(), "long.json");
    }
    // Killed outright, a run leaves its staging folder; the next run into the same place
    // removes it.
    const int status = interrupt_run(scratch, scene, SIGKILL);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
    EXPECT_NE(scratch.listing().find(".out.partial-"), std::string::npos);
    const std::string short_scene = scratch.write("short.json", R"({"end": 1})");
    const auto outcome =
        run_bounded("run " + short_scene + " --quiet --out " + scratch.path("out"));
    ASSERT_EQ(outcome.exit_code, 0) << outcome.output;
    EXPECT_EQ(scratch.listing(), "long.json out short.json");
}

TEST(HostileRun, ReplacingEarlierResultsLeavesNothingBehindEvenWhenTheyAreReadOnly) {
    ScratchFolder scratch;
    const std::string scene = scratch.write("s.json", R"({"end": 1, "objects": []})");
    // Run as an ordinary user, for whom read-only means read-only.
    const bool root = geteuid() == 0;
    if (root) {
        ASSERT_EQ(chown(scratch.path().c_str(), 65534, 65534), 0);
        ASSERT_EQ(chown(scene.c_str(), 65534, 65534), 0);
    }
    const std::string as_user = root ? "setpriv --reuid=65534 --regid=65534 --clear-groups " : "";
    const std::string out = scratch.path("out");
    auto outcome = run_vantri_prefixed(as_user, "run " + scene + " --quiet --out " + out);
    ASSERT_EQ(outcome.exit_code, 0) << outcome.output;
    const std::string first = read_text(out + "/run.json");
    chmod((out + "/run.json").c_str(), 0444);
    chmod((out + "/agents.csv").c_str(), 0444);
    chmod(out.c_str(), 0555);
    outcome = run_vantri_prefixed(as_user, "run " + scene + " --quiet --render-mode --out " + out);
    ASSERT_EQ(outcome.exit_code, 0) << outcome.output;
    EXPECT_NE(read_text(out + "/run.json").find("\"render\""), std::string::npos);
    EXPECT_EQ(scratch.listing(), "out s.json");
}

TEST(HostileRun, NamesWithControlCharactersAreRefused) {
    for (const char* name : {R"(g\u0000x)", R"(two\nlines)", R"(tab\there)", R"(del\u007f)"}) {
        SCOPED_TRACE(name);
        ScratchFolder scratch;
        const std::string file = scratch.write(
            "bad.json", std::string(R"({"end": 1, "objects": [{"type": "generator", "name": ")") +
                            name + R"(", "children": [{"type": "null", "name": "b"}]}]})");
        const auto outcome = run_bounded("run " + file + " --quiet --out " + scratch.path("out"));
        EXPECT_EQ(outcome.exit_code, 2) << outcome.output;
        EXPECT_EQ(outcome.output.rfind("vantri run: " + file +
                                           ": objects[0].name: a name must not hold control "
                                           "characters",
                                       0),
                  0u)
            << outcome.output;
        EXPECT_EQ(line_count(outcome.output), 1u);
        EXPECT_EQ(scratch.listing(), "bad.json");
    }
}

TEST(HostileRun, ARunThatWouldWriteANonFiniteValueStops) {
    ScratchFolder scratch;
    const std::string scene = scratch.write(
        "overflow.json",
        flock_with({{"CROWDGEN_SPACING", {1e308, 1e308, 1e308}}, {"CROWDGEN_SIZE_X", 1e308}}, 5));
    const auto outcome = run_bounded("run " + scene + " --quiet --out " + scratch.path("out"));
    EXPECT_EQ(outcome.exit_code, 4) << outcome.output;
    EXPECT_EQ(outcome.output.rfind("vantri run: " + scene +
                                       ": frame 0, generator 'flock', agent 2: x came out as -nan",
                                   0),
              0u)
        << outcome.output;
    EXPECT_NE(outcome.output.find("nothing was written"), std::string::npos);
    EXPECT_EQ(scratch.listing(), "overflow.json");
}

TEST(HostileRun, StartingBeforeTheFilesStartIsRefused) {
    ScratchFolder scratch;
    const std::string scene = scratch.write("s.json", R"({"start": 10, "end": 12})");
    const auto outcome = run_bounded("run " + scene + " --start 8 --out " + scratch.path("out"));
    EXPECT_EQ(outcome.exit_code, 2) << outcome.output;
    EXPECT_EQ(outcome.output.rfind("vantri run: " + scene +
                                       ": --start 8 comes before the scene's start, frame 10",
                                   0),
              0u)
        << outcome.output;
    EXPECT_EQ(scratch.listing(), "s.json");
}

// A spline near the largest double: its speed overflows inside its pieces, so no arc length
// can be measured there. Sampling it once a frame stays as cheap as for any long spline
// (about 2 s for these 50 frames, where every sample once took the full 50 measuring steps
// in vain: 0.4 s a frame).
TEST(HostileRun, FollowingASplineWhoseLengthsOverflowStaysCheap) {
    ScratchFolder scratch;
    // The same crew follows a spline whose lengths overflow and an ordinary one long enough to
    // be sampled as finely (65,536 samples a frame): the first may cost no more than a few
    // times the second. Measuring each sample to no end made it about 25 times as slow.
    const auto seconds_to_follow = [&](const std::string& name, const std::string& segments) {
        const std::string scene = scratch.write(name + ".json", R"({"end": 30, "objects": [
            {"type": "spline", "name": "path", "closed": true, "segments": [)" +
                                                                    segments + R"(]},
            {"type": "behaviour", "name": "walk", "params": {"CROWDBEHAV_SPLINE": true,
             "CROWDBEHAV_SPLINE_OBJECT": "path", "CROWDBEHAV_SPLINE_RADIUS": 1e308}},
            {"type": "world", "name": "w", "children": [
              {"type": "generator", "name": "g", "params": {"CROWDGEN_COUNT_X": 10,
               "CROWDGEN_SIZE_X": 10, "CROWDGEN_SIZE_Z": 10, "CROWDGEN_BEHAVIOURS": ["walk"]},
               "children": [{"type": "null", "name": "b"}]}]}]})");
        const auto begun = std::chrono::steady_clock::now();
        const auto outcome = run_bounded("run " + scene + " --quiet --outputs csv --out " +
                                         scratch.path(name + "-out"));
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - begun).count();
        EXPECT_EQ(outcome.exit_code, 0) << outcome.output;
        EXPECT_EQ(line_count(read_text(scratch.path(name + "-out/agents.csv"))), 1u + 31u * 10u);
        return seconds;
    };
    const double ordinary =
        seconds_to_follow("ordinary", R"([[0, 0, -1e6], [1e6, 0, 0], [0, 0, 1e6], [-1e6, 0, 0]])");
    const double far = seconds_to_follow(
        "far",
        R"([[0, -4.7e291, 0], [1.5e303, 0, -9.5e307], [0, 0, -2.4e305], [-3.5e295, 0, 2.2e305]],
           [[-8.9e295, 2.3e291, -4.8e296], [0, 1.5e296, -1.8e291], [0, -3.5e304, 4.4e305],
            [1.7e300, 6.7e306, 0]])");
    EXPECT_LT(far, 4 * ordinary + 1.0) << "ordinary spline: " << ordinary << " s";
}

// A choice outside its options, or a number below its description's minimum, is a mistake of
// the file or of --set: exit 2 naming the object and the parameter, nothing written.
TEST(HostileRun, ValuesOutsideAParametersOptionsOrBelowItsMinimumAreRefused) {
    struct Case {
        const char* params;
        const char* setting;
        const char* message;
    };
    for (const Case& c : {
             Case{R"("CROWDOBSTACLE_SHAPE": 9999)", "",
                  "objects[1].params.CROWDOBSTACLE_SHAPE: object 'rock' (ocrowdobstacle): "
                  "CROWDOBSTACLE_SHAPE expects an integer (one of CROWDOBSTACLE_SHAPE_SPHERE "
                  "(1001), CROWDOBSTACLE_SHAPE_BOX (1002), CROWDOBSTACLE_SHAPE_OBJECT (1005)), "
                  "not the number 9999"},
             Case{R"("CROWDOBSTACLE_SHAPE": -1)", "", "CROWDOBSTACLE_SHAPE expects an integer"},
             Case{R"("CROWDOBSTACLE_SHAPE": 1003)", "", "not the number 1003"},
             Case{R"("CROWDOBSTACLE_RADIUS": -5)", "",
                  "objects[1].params.CROWDOBSTACLE_RADIUS: object 'rock' (ocrowdobstacle): "
                  "CROWDOBSTACLE_RADIUS is at least 0, not the number -5"},
             Case{"", " --set rock.CROWDOBSTACLE_SIZE_Y=-0.5",
                  "--set rock.CROWDOBSTACLE_SIZE_Y=-0.5: object 'rock' (ocrowdobstacle): "
                  "CROWDOBSTACLE_SIZE_Y is at least 0, not the number -0.5"},
             Case{"", " --set walk.CROWDBEHAV_SPLINE_RADIUS=-1e-300",
                  "CROWDBEHAV_SPLINE_RADIUS is at least 0"},
             Case{"", " --set walk.CROWDBEHAV_SEPARATION_RADIUS=-3",
                  "CROWDBEHAV_SEPARATION_RADIUS is at least 0, not the number -3"},
         }) {
        SCOPED_TRACE(c.message);
        ScratchFolder scratch;
        const std::string file = scratch.write(
            "bad.json", std::string(R"({"end": 1, "objects": [{"type": "behaviour", "name": "walk"},
                {"type": "obstacle", "name": "rock", "params": {)") +
                            c.params + "}}]}");
        const auto outcome =
            run_bounded("run " + file + c.setting + " --quiet --out " + scratch.path("out"));
        EXPECT_EQ(outcome.exit_code, 2) << outcome.output;
        EXPECT_EQ(outcome.output.rfind("vantri run: " + file + ": ", 0), 0u) << outcome.output;
        EXPECT_NE(outcome.output.find(c.message), std::string::npos) << outcome.output;
        EXPECT_EQ(scratch.listing(), "bad.json");
    }
}

// A terrain or a geometry obstacle's object must have polygons to be met. A link to anything
// else is kept, and the run warns about it, naming the object, the link and its target.
TEST(HostileRun, GeometryLinksToObjectsWithoutPolygonsAreWarnedAbout) {
    ScratchFolder scratch;
    const std::string file = scratch.write("links.json", R"({"end": 1, "objects": [
        {"type": "null", "name": "spot"},
        {"type": "cube", "name": "block"},
        {"type": "obstacle", "name": "rock", "params": {
         "CROWDOBSTACLE_SHAPE": "CROWDOBSTACLE_SHAPE_OBJECT", "CROWDOBSTACLE_OBJECT": "spot"}},
        {"type": "obstacle", "name": "box", "params": {"CROWDOBSTACLE_OBJECT": "spot"}},
        {"type": "world", "name": "w", "params": {"CROWDWORLD_TERRAIN": "w"}, "children": [
          {"type": "generator", "name": "g", "children": [{"type": "null", "name": "b"}]}]}]})");
    auto outcome = run_bounded("run " + file + " --quiet --out " + scratch.path("out"));
    EXPECT_EQ(outcome.exit_code, 0) << outcome.output;
    EXPECT_EQ(outcome.output,
              "vantri run: warning: " + file +
                  ": objects[2].params.CROWDOBSTACLE_OBJECT: object 'rock' (ocrowdobstacle): "
                  "CROWDOBSTACLE_OBJECT links to 'spot' (null), which has no polygons: the agents "
                  "will never meet this obstacle\n"
                  "vantri run: warning: " +
                  file +
                  ": objects[4].params.CROWDWORLD_TERRAIN: object 'w' (ocrowdworld): "
                  "CROWDWORLD_TERRAIN links to 'w' (ocrowdworld), which has no polygons: the "
                  "agents will find no ground\n");
    EXPECT_TRUE(std::filesystem::exists(scratch.path("out/agents.csv")));
    // Linked to objects with polygons, the run says nothing.
    outcome = run_bounded("run " + file +
                          " --quiet --set w.CROWDWORLD_TERRAIN=block --set "
                          "rock.CROWDOBSTACLE_OBJECT=block --out " +
                          scratch.path("out"));
    EXPECT_EQ(outcome.exit_code, 0) << outcome.output;
    EXPECT_EQ(outcome.output, "");
}

// A plug-in whose Execute fails (here: the host's frame rate throws from frame 3 on, through a
// stand-in module around the real one) fails the run: exit 1 naming the object and the frame,
// nothing written.
TEST(HostileRun, APluginExecuteThatFailsEndsTheRunWithExit1) {
    ScratchFolder scratch;
    const std::string scene = scratch.write("s.json", R"({"end": 10, "objects": [
        {"type": "world", "name": "w", "children": [
          {"type": "generator", "name": "g", "children": [{"type": "null", "name": "b"}]}]}]})");
    for (const char* mode : {"", " --render-mode"}) {
        SCOPED_TRACE(mode);
        const auto outcome =
            run_bounded("run " + scene + mode + " --plugin " + VANTRI_THROWING_SHIM +
                        " --quiet --out " + scratch.path("out"));
        EXPECT_EQ(outcome.exit_code, 1) << outcome.output;
        EXPECT_EQ(outcome.output, "vantri run: " + scene +
                                      ": frame 3, object 'w' (ocrowdworld): the plug-in failed to "
                                      "execute it; nothing was written\n");
        EXPECT_EQ(scratch.listing(), "s.json");
    }
}

// Extents near or beyond the largest double, seen from every camera: each picture is taken
// at once (the grid once ran ~2^63 lines from a NaN cast to an integer), PNG and SVG.
TEST(HostileRun, PicturesOfExtentsBeyondTheDoubleRangeEnd) {
    const char* scenes[] = {
        R"([{"type": "cube", "name": "huge", "size": [1.7e308, 1.7e308, 1.7e308]}])",
        R"([{"type": "spline", "name": "far", "points": [[0, 0, 0], [1.7e308, 0, -1.7e308]]}])",
        R"([{"type": "polygon", "name": "wide", "points": [[0, 0, 0], [1.7e308, 0, 0],
             [0, 0, 1.7e308]], "faces": [[0, 1, 2]]}])",
        R"([{"type": "null", "name": "east", "position": [1e308, 0, 1e308]},
            {"type": "null", "name": "west", "position": [-1e308, 0, -1e308]}])"};
    for (const char* objects : scenes) {
        SCOPED_TRACE(objects);
        ScratchFolder scratch;
        const std::string scene =
            scratch.write("far.json", std::string(R"({"end": 0, "objects": )") + objects + "}");
        for (const char* camera : {"top", "front", "side", "persp"}) {
            SCOPED_TRACE(camera);
            const std::string out = scratch.path(camera);
            const auto outcome = run_bounded("run " + scene +
                                                 " --quiet --outputs images --images 0 --svg "
                                                 "--image-size 64x48 --camera " +
                                                 camera + " --out " + out,
                                             30);
            EXPECT_EQ(outcome.exit_code, 0) << outcome.output;
            EXPECT_EQ(ScratchFolder::listing_of(out + "/frames"), "0000.png 0000.svg");
        }
    }
}
// Pictures of negative frames are named with their sign, and a rerun into the same folder
// replaces them as it replaces any earlier run's pictures.
TEST(HostileRun, PicturesOfNegativeFramesAreReplacedByTheNextRun) {
    ScratchFolder scratch;
    const std::string scene = scratch.write("s.json", R"({"start": -12, "end": 1, "objects": [
        {"type": "generator", "name": "g", "children": [{"type": "null", "name": "b"}]}]})");
    const std::string out = scratch.path("out");
    const std::string run = "run " + scene +
                            " --quiet --outputs images --images -12,-1,0,1 --image-size 16x16 "
                            "--out " +
                            out;
    for (int round = 0; round < 2; ++round) {
        const auto outcome = run_bounded(run);
        EXPECT_EQ(outcome.exit_code, 0) << outcome.output;
        EXPECT_EQ(ScratchFolder::listing_of(out + "/frames"),
                  "-0001.png -0012.png 0000.png 0001.png");
    }
}
// Names that HTML would read as markup inside the page's data script: the page keeps every
// script it had, and each name reads back as it was written.
TEST(HostileRun, NamesThatLookLikeMarkupShowAsWrittenInThePreview) {
    const std::vector<std::string> names = {
        "<!--<script>", "</script><script>alert(1)</script>", "<!--", "a<\\/b", "<SCRIPT", "-->"};
    nlohmann::json objects = nlohmann::json::array();
    for (size_t i = 0; i < names.size(); ++i)
        objects.push_back({{"type", "generator"},
                           {"name", names[i] + std::to_string(i)},
                           {"children", {{{"type", "cube"}, {"name", names[i]}}}}});
    ScratchFolder scratch;
    const std::string scene =
        scratch.write("markup.json", nlohmann::json({{"end", 1}, {"objects", objects}}).dump());
    const auto outcome =
        run_bounded("run " + scene + " --quiet --outputs html --out " + scratch.path("out"));
    ASSERT_EQ(outcome.exit_code, 0) << outcome.output;
    const std::string page = read_text(scratch.path("out/preview.html"));
    const std::string open = "<script id=\"vantri-run\" type=\"application/json\">";
    const size_t from = page.find(open);
    ASSERT_NE(from, std::string::npos);
    const size_t to = page.find("</script>", from);
    const std::string data = page.substr(from + open.size(), to - from - open.size());
    EXPECT_EQ(data.find('<'), std::string::npos);
    // As many scripts as the page of a scene without such names: none was swallowed.
    const auto scripts = [](const std::string& text) {
        size_t n = 0;
        for (size_t at = text.find("<script"); at != std::string::npos;
             at = text.find("<script", at + 1))
            ++n;
        return n;
    };
    EXPECT_EQ(scripts(page), 5u);
    const nlohmann::json run = nlohmann::json::parse(data);
    std::vector<std::string> shown;
    for (const auto& generator : run["generators"])
        shown.push_back(generator["name"]);
    ASSERT_EQ(shown.size(), names.size());
    for (size_t i = 0; i < names.size(); ++i)
        EXPECT_EQ(shown[i], names[i] + std::to_string(i));
}
// A scene file named with bytes that are not UTF-8 runs, and its name is shown with U+FFFD in
// what the run writes; a --set that is not UTF-8 is the user's mistake (exit 2).
TEST(HostileRun, TextThatIsNotUtf8IsShownReplacedOrRefused) {
    ScratchFolder scratch;
    const std::string objects = R"({"end": 1, "objects": [{"type": "generator", "name": "g",
        "children": [{"type": "null", "name": "b"}]}]})";
    const std::string scene = scratch.write("bad\xff.json", objects);
    auto outcome = run_bounded("run '" + scene + "' --quiet --out " + scratch.path("out"));
    ASSERT_EQ(outcome.exit_code, 0) << outcome.output;
    const std::string glb = read_text(scratch.path("out/scene.glb"));
    EXPECT_NE(glb.find("bad\xef\xbf\xbd.json\""), std::string::npos);
    EXPECT_EQ(glb.find("bad\xff"), std::string::npos);
    EXPECT_EQ(read_text(scratch.path("out/preview.html")).find("\xff"), std::string::npos);
    EXPECT_EQ(read_text(scratch.path("out/run.json")).find("\xff"), std::string::npos);

    const std::string fine = scratch.write("fine.json", objects);
    for (const char* setting : {"g.CROWDGEN_COUNT_X=\xff", "g.CROWDGEN_\xff=1", "\xff.X=1"}) {
        SCOPED_TRACE(setting);
        outcome = run_bounded("run " + fine + " --quiet --set '" + setting + "' --out " +
                              scratch.path("set"));
        EXPECT_EQ(outcome.exit_code, 2) << outcome.output;
        EXPECT_EQ(outcome.output.rfind("vantri run: " + fine + ": --set ", 0), 0u)
            << outcome.output;
        EXPECT_NE(outcome.output.find("not valid UTF-8"), std::string::npos) << outcome.output;
        EXPECT_FALSE(std::filesystem::exists(scratch.path("set")));
    }
}
// Finite values that a 32-bit float cannot hold (beyond 3.4e38 m): scene.glb and preview.html
// would hold inf or null. A scene-file value is refused (exit 2), a simulated one stops the
// run (exit 4), naming the object; nothing is written, and agents.csv alone is written.
TEST(HostileRun, ValuesBeyondTheFloatRangeAreRefusedForGlbAndHtml) {
    struct Case {
        const char* objects;
        int exit_code;
        const char* message;
    };
    const Case cases[] = {
        {R"([{"type": "generator", "name": "far", "position": [1e41, 0, 0],
             "children": [{"type": "null", "name": "b"}]}])",
         4, "frame 0, generator 'far', agent 0: x = 1e+39 m"},
        {R"([{"type": "cube", "name": "huge", "size": [1e308, 1, 1]}])", 2,
         "object 'huge': its shape (size, radius, width, depth, heights or points) reaches x = "},
        {R"([{"type": "spline", "name": "keyed", "points": [[0, 0, 0], [1, 0, 0]],
             "track": {"position": [{"frame": 0, "value": [0, 0, 0]},
                                    {"frame": 1, "value": [0, 1e300, 0]}]}}])",
         2, "frame 1, object 'keyed': its position reaches y = 1e+298 m"},
        {R"([{"type": "sphere", "name": "wide", "radius": 1, "scale": [1e300, 1, 1]}])", 2,
         "frame 0, object 'wide': its scale reaches x scale = inf"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.objects);
        ScratchFolder scratch;
        const std::string scene =
            scratch.write("far.json", std::string(R"({"end": 1, "objects": )") + c.objects + "}");
        for (const char* outputs : {"glb", "html"}) {
            auto outcome = run_bounded("run " + scene + " --quiet --outputs csv," + outputs +
                                       " --out " + scratch.path("out"));
            EXPECT_EQ(outcome.exit_code, c.exit_code) << outcome.output;
            EXPECT_EQ(outcome.output.rfind("vantri run: " + scene + ": " + c.message, 0), 0u)
                << outcome.output;
            EXPECT_NE(outcome.output.find("--outputs csv,images; nothing was written"),
                      std::string::npos)
                << outcome.output;
            EXPECT_EQ(scratch.listing(), "far.json");
        }
        const auto csv =
            run_bounded("run " + scene + " --quiet --outputs csv --out " + scratch.path("csv"));
        EXPECT_EQ(csv.exit_code, 0) << csv.output;
    }
}
// What the host's meshes and the recording for scene.glb and preview.html will hold is known
// before they are built: beyond --max-memory the run is refused at once (exit 3).
TEST(HostileRun, MeshesAndTheRecordingBeyondTheMemoryLimitAreRefusedBeforeBuilding) {
    ScratchFolder scratch;
    const std::string sphere = scratch.write("sphere.json", R"({"end": 1, "objects": [
        {"type": "sphere", "name": "ball", "segments": 4096}]})");
    const std::string plane = scratch.write("plane.json", R"({"end": 1, "objects": [
        {"type": "world", "name": "w", "params": {"CROWDWORLD_TERRAIN": "ground"}},
        {"type": "plane", "name": "ground", "segments": [4096, 4096]}]})");
    const auto begun = std::chrono::steady_clock::now();
    auto outcome =
        run_bounded("run " + sphere + " --quiet --max-memory 64M --out " + scratch.path("out"), 60);
    EXPECT_EQ(outcome.exit_code, 3) << outcome.output;
    EXPECT_EQ(outcome.output.rfind("vantri run: " + sphere +
                                       ": objects[0] (sphere 'ball'): its 8,388,608 faces need at "
                                       "least ",
                                   0),
              0u)
        << outcome.output;
    EXPECT_NE(outcome.output.find("more than the memory limit of 64 MiB"), std::string::npos);
    outcome = run_bounded("run " + plane + " --quiet --outputs csv --max-memory 64M --out " +
                              scratch.path("out"),
                          60);
    EXPECT_EQ(outcome.exit_code, 3) << outcome.output;
    EXPECT_EQ(outcome.output.rfind("vantri run: " + plane +
                                       ": objects[1] (plane 'ground'): its 16,777,216 faces need "
                                       "at least 640.2 MiB, more than the memory limit of 64 MiB",
                                   0),
              0u)
        << outcome.output;
    EXPECT_LT(std::chrono::steady_clock::now() - begun, std::chrono::seconds(5));

    // 1,000 agents at 10,001 frames: the crews fit, the recording does not.
    const std::string long_run = scratch.write("long.json", R"({"end": 10000, "objects": [
        {"type": "generator", "name": "g", "params": {"CROWDGEN_COUNT_X": 1000},
         "children": [{"type": "null", "name": "b"}]}]})");
    outcome =
        run_bounded("run " + long_run + " --quiet --outputs csv,html --max-memory 64M --out " +
                        scratch.path("out"),
                    60);
    EXPECT_EQ(outcome.exit_code, 3) << outcome.output;
    EXPECT_EQ(outcome.output.rfind("vantri run: " + long_run +
                                       ": preview.html keeps 1,000 agents at each of 10,001 "
                                       "frames",
                                   0),
              0u)
        << outcome.output;
    EXPECT_NE(outcome.output.find("leave it out with --outputs csv)"), std::string::npos);

    // A million agents at 200 frames: more keys than a .glb file can hold, whatever the limit.
    const std::string wide = scratch.write("wide.json", R"({"end": 199, "objects": [
        {"type": "generator", "name": "g",
         "params": {"CROWDGEN_COUNT_X": 1000, "CROWDGEN_COUNT_Z": 1000},
         "children": [{"type": "null", "name": "b"}]}]})");
    outcome = run_bounded("run " + wide + " --quiet --outputs glb,html --max-memory 1T --out " +
                              scratch.path("out"),
                          60);
    EXPECT_EQ(outcome.exit_code, 2) << outcome.output;
    EXPECT_EQ(outcome.output.rfind("vantri run: " + wide +
                                       ": scene.glb would hold 1,000,000 agents at each of 200 "
                                       "frames",
                                   0),
              0u)
        << outcome.output;
    EXPECT_NE(outcome.output.find("leave it out with --outputs html)"), std::string::npos);
    EXPECT_EQ(scratch.listing(), "long.json plane.json sphere.json wide.json");
}

// The machine's memory running out while the preview is written (here: an address-space
// limit on the command, between what playing and what writing needs): exit 3 with a message,
// never an abort from the JSON library's destructors, and nothing left behind.
TEST(HostileRun, RunningOutOfMemoryWhileWritingThePreviewLeavesNothing) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the address sanitizer cannot run under an address-space limit";
#endif
    nlohmann::json objects = nlohmann::json::array();
    for (int i = 0; i < 50; ++i)
        objects.push_back({{"type", "cube"},
                           {"name", "c" + std::to_string(i)},
                           {"track",
                            {{"position",
                              {{{"frame", 0}, {"value", {0, 0, 0}}},
                               {{"frame", 20000}, {"value", {i, 1000, 0}}}}}}}});
    ScratchFolder scratch;
    const std::string scene =
        scratch.write("pieces.json", nlohmann::json({{"end", 20000}, {"objects", objects}}).dump());
    bool while_writing = false;
    for (const char* kilobytes : {"250000", "300000", "350000"}) {
        SCOPED_TRACE(kilobytes);
        const auto outcome = run_vantri_prefixed(
            std::string("ulimit -v ") + kilobytes + "; timeout 120 ",
            "run " + scene + " --quiet --outputs html --out " + scratch.path("out"));
        EXPECT_TRUE(outcome.exit_code == 3 || outcome.exit_code == 0) << outcome.output;
        if (outcome.exit_code == 3) {
            EXPECT_EQ(
                outcome.output.rfind("vantri run: " + scene + ": there was not enough memory", 0),
                0u)
                << outcome.output;
            while_writing =
                while_writing ||
                outcome.output.find("to write scene.glb and preview.html") != std::string::npos;
            EXPECT_EQ(scratch.listing(), "pieces.json");
        }
        std::filesystem::remove_all(scratch.path("out"));
    }
    EXPECT_TRUE(while_writing);
}

} // namespace
