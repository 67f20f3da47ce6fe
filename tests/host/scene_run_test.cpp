// vantri run end to end: the agents of a generator in agents.csv at their global positions,
// run.json, play and render giving the same motion, the results folder appearing whole or
// not at all, and a scene too large for the memory limit.
#include "tests/support/CommandRun.h"
#include "tests/support/ScratchFolder.h"

#include <nlohmann/json.hpp>

#include <array>
#include <cstdlib>
#include <filesystem>

namespace {

using vantri_test::read_text;
using vantri_test::run_vantri;
using vantri_test::ScratchFolder;

std::vector<std::vector<std::string>> csv_rows(const std::string& text) {
    std::vector<std::vector<std::string>> rows;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        std::vector<std::string> fields;
        std::istringstream cells(line);
        std::string cell;
        while (std::getline(cells, cell, ','))
            fields.push_back(cell);
        rows.push_back(fields);
    }
    return rows;
}

// A 2 x 1 x 3 crew with spacing (10, 20, 30), its generator at (100, 0, 0) under a world at
// (0, 0, 500).
const char* const kCrewScene = R"({"fps": 25, "start": 0, "end": 2, "objects": [
    {"type": "world", "name": "world", "position": [0, 0, 500], "children": [
        {"type": "generator", "name": "crowd", "position": [100, 0, 0],
         "params": {"CROWDGEN_COUNT_X": 2, "CROWDGEN_COUNT_Y": 1, "CROWDGEN_COUNT_Z": 3,
                    "CROWDGEN_SPACING": [10, 20, 30]},
         "children": [{"type": "cube", "name": "body", "size": [10, 10, 10]}]}]}]})";

TEST(SceneRun, TheCrewAppearsInAgentsCsvAtItsGlobalPositions) {
    ScratchFolder scratch;
    const std::string scene = scratch.write("crew.json", kCrewScene);
    const auto outcome = run_vantri("run " + scene + " --quiet --out " + scratch.path("results"));
    ASSERT_EQ(outcome.exit_code, 0) << outcome.output;
    const auto rows = csv_rows(read_text(scratch.path("results/agents.csv")));
    ASSERT_FALSE(rows.empty());
    const std::string start =
        "frame,generator,agent,x,y,z,heading,pitch,bank,speed,max_speed,waiting\n0,crowd,0,";
    EXPECT_EQ(read_text(scratch.path("results/agents.csv")).substr(0, start.size()), start);
    ASSERT_EQ(rows.size(), 1u + 3 * 6) << "six agents in each of three frames";
    const std::array<std::array<double, 3>, 6> expected = {
        {{100, 0, 500}, {100, 0, 530}, {100, 0, 560}, {110, 0, 500}, {110, 0, 530}, {110, 0, 560}}};
    for (size_t i = 0; i < 6; ++i) {
        const auto& row = rows[1 + i];
        ASSERT_EQ(row.size(), 12u);
        EXPECT_EQ(row[0], "0");
        EXPECT_EQ(row[1], "crowd");
        EXPECT_EQ(row[2], std::to_string(i));
        for (int axis = 0; axis < 3; ++axis)
            EXPECT_EQ(std::strtod(row[3 + axis].c_str(), nullptr), expected[i][axis])
                << "agent " << i << " axis " << axis;
        EXPECT_EQ(row[9], "0");  // speed at creation
        EXPECT_EQ(row[10], "5"); // the default top speed without variation
        EXPECT_EQ(row[11], "0");
    }
    EXPECT_EQ(rows[7][0], "1");
    EXPECT_EQ(rows[18][0], "2");

    const auto report = nlohmann::json::parse(read_text(scratch.path("results/run.json")));
    EXPECT_EQ(report["scene"], scene);
    EXPECT_EQ(report["start"], 0);
    EXPECT_EQ(report["end"], 2);
    EXPECT_EQ(report["frames"], 3);
    EXPECT_EQ(report["fps"], 25);
    EXPECT_EQ(report["mode"], "play");
    ASSERT_EQ(report["generators"].size(), 1u);
    EXPECT_EQ(report["generators"][0]["name"], "crowd");
    EXPECT_EQ(report["generators"][0]["agents"], 6);
    EXPECT_TRUE(report["wall_seconds"].is_number());
    EXPECT_EQ(report["console"], nlohmann::json::array({" ", " "}));
}

TEST(SceneRun, PlayAndRenderModeWriteTheSameMotion) {
    ScratchFolder scratch;
    const std::string scene = scratch.write("flock.json", R"({"start": 0, "end": 30, "objects": [
        {"type": "null", "name": "goal", "track": {"position": [
            {"frame": 0, "value": [0, 0, 1000]}, {"frame": 30, "value": [1000, 0, 1000]}]}},
        {"type": "behaviour", "name": "steer", "params": {
            "CROWDBEHAV_ALIGN": true, "CROWDBEHAV_ALIGN_RADIUS": 200,
            "CROWDBEHAV_SEPARATION": true, "CROWDBEHAV_SEPARATION_RADIUS": 40,
            "CROWDBEHAV_FOLLOW": true, "CROWDBEHAV_FOLLOW_TARGET": "goal"}},
        {"type": "world", "name": "world", "children": [
            {"type": "generator", "name": "crowd",
             "params": {"CROWDGEN_COUNT_X": 3, "CROWDGEN_COUNT_Z": 3, "CROWDGEN_JITTER": 0.3,
                        "CROWDGEN_SPEED_VARIATION": 0.5, "CROWDGEN_BEHAVIOURS": ["steer"]},
             "children": [{"type": "cube", "name": "body", "size": [20, 20, 40]}]}]}]})");
    const auto play = run_vantri("run " + scene + " --quiet --out " + scratch.path("play"));
    ASSERT_EQ(play.exit_code, 0) << play.output;
    const auto render =
        run_vantri("run " + scene + " --quiet --render-mode --out " + scratch.path("render"));
    ASSERT_EQ(render.exit_code, 0) << render.output;
    const std::string played = read_text(scratch.path("play/agents.csv"));
    EXPECT_EQ(played, read_text(scratch.path("render/agents.csv")));
    const auto rows = csv_rows(played);
    ASSERT_EQ(rows.size(), 1u + 31 * 9);
    // The world moved them: the first agent is elsewhere at the last frame.
    EXPECT_EQ(rows[1][0], "0");
    EXPECT_EQ(rows[1 + 30 * 9][0], "30");
    EXPECT_NE(rows[1][3] + "," + rows[1][5], rows[1 + 30 * 9][3] + "," + rows[1 + 30 * 9][5]);
    EXPECT_EQ(nlohmann::json::parse(read_text(scratch.path("render/run.json")))["mode"], "render");
    // A rerun gives the same bytes.
    const auto again = run_vantri("run " + scene + " --quiet --out " + scratch.path("play"));
    ASSERT_EQ(again.exit_code, 0) << again.output;
    EXPECT_EQ(read_text(scratch.path("play/agents.csv")), played);
}

TEST(SceneRun, ResultsAppearWholeOrNotAtAllAndNeverOverwriteOtherFolders) {
    ScratchFolder scratch;
    const std::string good = scratch.write("good.json", R"({"end": 1, "objects": []})");
    const std::string bad =
        scratch.write("bad.json", R"({"end": 1, "objects": [{"type": "robot", "name": "r"}]})");
    const std::string out = scratch.path("out/nested/results");

    // Missing parent folders are made; a failed run leaves none of them behind.
    auto outcome = run_vantri("run " + bad + " --quiet --out " + out);
    EXPECT_EQ(outcome.exit_code, 2);
    EXPECT_EQ(scratch.listing(), "bad.json good.json");
    outcome = run_vantri("run " + good + " --quiet --out " + out);
    ASSERT_EQ(outcome.exit_code, 0) << outcome.output;
    EXPECT_EQ(read_text(out + "/agents.csv"),
              "frame,generator,agent,x,y,z,heading,pitch,bank,speed,max_speed,waiting\n");
    const std::string first_report = read_text(out + "/run.json");

    // A failed run keeps the earlier results as they were; a good one replaces them whole.
    outcome = run_vantri("run " + bad + " --quiet --out " + out);
    EXPECT_EQ(outcome.exit_code, 2);
    EXPECT_EQ(read_text(out + "/run.json"), first_report);
    // A file the user put among the results makes the folder theirs: it is kept.
    std::ofstream(out + "/notes.txt") << "mine";
    outcome = run_vantri("run " + good + " --quiet --render-mode --out " + out);
    EXPECT_EQ(outcome.exit_code, 2) << outcome.output;
    EXPECT_EQ(read_text(out + "/notes.txt"), "mine");
    std::filesystem::remove(out + "/notes.txt");
    outcome = run_vantri("run " + good + " --quiet --render-mode --out " + out);
    ASSERT_EQ(outcome.exit_code, 0) << outcome.output;
    EXPECT_NE(read_text(out + "/run.json").find("\"render\""), std::string::npos);
    size_t entries = 0;
    for (const auto& entry : std::filesystem::directory_iterator(scratch.path("out/nested"))) {
        EXPECT_EQ(entry.path().filename(), "results") << "no staging folder is left behind";
        ++entries;
    }
    EXPECT_EQ(entries, 1u);

    // A folder that is not a results folder is never replaced.
    const std::string mine = scratch.path("mine");
    std::filesystem::create_directory(mine);
    std::ofstream(mine + "/thesis.txt") << "precious";
    outcome = run_vantri("run " + good + " --quiet --out " + mine);
    EXPECT_EQ(outcome.exit_code, 2) << outcome.output;
    EXPECT_NE(outcome.output.find(mine + ": the folder holds other files"), std::string::npos)
        << outcome.output;
    EXPECT_EQ(read_text(mine + "/thesis.txt"), "precious");
    outcome = run_vantri("run " + good + " --quiet --out " + mine + "/..");
    EXPECT_EQ(outcome.exit_code, 2) << outcome.output;
    EXPECT_NE(outcome.output.find("the results need a folder of their own"), std::string::npos)
        << outcome.output;
}

TEST(SceneRun, ProgressGoesToStderrUnlessQuiet) {
    ScratchFolder scratch;
    const std::string scene = scratch.write("s.json", R"({"end": 4, "objects": []})");
    auto outcome = run_vantri("run " + scene + " --out " + scratch.path("a"));
    ASSERT_EQ(outcome.exit_code, 0) << outcome.output;
    EXPECT_NE(outcome.output.find("frame 4 (5 of 5), 0 agents"), std::string::npos)
        << outcome.output;
    EXPECT_NE(outcome.output.find("results in " + scratch.path("a")), std::string::npos);
    outcome = run_vantri("run " + scene + " --quiet --out " + scratch.path("b"));
    ASSERT_EQ(outcome.exit_code, 0) << outcome.output;
    EXPECT_EQ(outcome.output, "");
}

// A run that only measures its time writes run.json alone, with the same agent counts, and
// says so.
TEST(SceneRun, AnEmptyListOfOutputsWritesTheReportAlone) {
    ScratchFolder scratch;
    const std::string scene = scratch.write("crew.json", kCrewScene);
    const auto outcome =
        run_vantri("run " + scene + " --outputs '' --out " + scratch.path("timed"));
    ASSERT_EQ(outcome.exit_code, 0) << outcome.output;
    EXPECT_NE(outcome.output.find("results in " + scratch.path("timed") + "/ (run.json)"),
              std::string::npos)
        << outcome.output;
    EXPECT_EQ(ScratchFolder::listing_of(scratch.path("timed")), "run.json");
    const auto report = nlohmann::json::parse(read_text(scratch.path("timed/run.json")));
    EXPECT_EQ(report["generators"][0]["agents"], 6);
}

TEST(SceneRun, ACrowdTooLargeForTheMemoryLimitFailsCleanly) {
    ScratchFolder scratch;
    const std::string scene = scratch.write("huge.json", R"({"end": 3, "objects": [
        {"type": "generator", "name": "horde",
         "params": {"CROWDGEN_COUNT_X": 14, "CROWDGEN_COUNT_Y": 10, "CROWDGEN_COUNT_Z": 10},
         "children": [{"type": "cube", "name": "body"}]}]})");
    // The crews' records fit; beside them, the recording for scene.glb and preview.html does
    // not, which is known before the first frame. Without those, the plug-in's own memory
    // runs out while it builds the crew.
    auto outcome =
        run_vantri("run " + scene + " --quiet --max-memory 1M --out " + scratch.path("results"));
    EXPECT_EQ(outcome.exit_code, 3) << outcome.output;
    EXPECT_EQ(
        outcome.output.rfind("vantri run: " + scene +
                                 ": scene.glb and preview.html keep 1,400 agents at each of 4 "
                                 "frames",
                             0),
        0u)
        << outcome.output;
    outcome = run_vantri("run " + scene + " --quiet --outputs csv --max-memory 1M --out " +
                         scratch.path("results"));
    EXPECT_EQ(outcome.exit_code, 3) << outcome.output;
    EXPECT_NE(outcome.output.find("vantri run: " + scene +
                                  ": frame 0: the plug-in ran out of memory at the limit of 1 MiB"),
              std::string::npos)
        << outcome.output;
    EXPECT_EQ(scratch.listing(), "huge.json");
}

TEST(SceneRun, TheExampleSceneRuns) {
    ScratchFolder scratch;
    const auto outcome = run_vantri("run " + std::string(VANTRI_SOURCE_DIR) +
                                    "/examples/flock.json --quiet --out " + scratch.path("flock"));
    ASSERT_EQ(outcome.exit_code, 0) << outcome.output;
    EXPECT_TRUE(std::filesystem::exists(scratch.path("flock/agents.csv")));
    const auto report = nlohmann::json::parse(read_text(scratch.path("flock/run.json")));
    EXPECT_EQ(report["generators"].size(), 1u);
}

} // namespace
