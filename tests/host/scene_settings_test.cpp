// vantri run's choices for one run: --set changing the scene file's parameters (and every
// mistake in a setting named), and --outputs choosing which files the run writes.
#include "tests/support/CommandRun.h"
#include "tests/support/ScratchFolder.h"

#include <nlohmann/json.hpp>

namespace {

using vantri_test::read_text;
using vantri_test::run_vantri;
using vantri_test::ScratchFolder;

// A jittered crew, so that its seed decides where the agents stand.
const char* const kCrewScene = R"({"end": 3, "objects": [
    {"type": "world", "name": "world", "children": [
        {"type": "generator", "name": "crowd.one",
         "params": {"CROWDGEN_COUNT_X": 3, "CROWDGEN_COUNT_Z": 3, "CROWDGEN_JITTER": 0.5,
                    "CROWDGEN_SEED": 1},
         "children": [{"type": "cube", "name": "body", "size": [10, 10, 10]}]}]}]})";

TEST(SceneSettings, SetReplacesTheFilesValueForThisRunOnly) {
    ScratchFolder scratch;
    const std::string scene = scratch.write("crew.json", kCrewScene);
    const auto run = [&](const std::string& name, const std::string& extra) {
        const auto outcome = run_vantri("run " + scene + " --quiet --outputs csv --out " +
                                        scratch.path(name) + extra);
        EXPECT_EQ(outcome.exit_code, 0) << outcome.output;
        return read_text(scratch.path(name + "/agents.csv"));
    };
    const std::string file = run("file", "");
    // The object's name holds a dot: the parameter is what follows the last one.
    EXPECT_NE(run("seven", " --set crowd.one.CROWDGEN_SEED=7"), file);
    EXPECT_EQ(run("same", " --set crowd.one.CROWDGEN_SEED=1"), file);
    // The last of two settings wins, also when it names the parameter by its id; a setting
    // may come before the scene file.
    EXPECT_EQ(run("last", " --set crowd.one.CROWDGEN_SEED=7 --set crowd.one.1021=1"), file);
    EXPECT_EQ(run("id", " --set crowd.one.1021=7"),
              run("seven", " --set crowd.one.CROWDGEN_SEED=7"));
    const auto before = run_vantri("run --set crowd.one.CROWDGEN_COUNT_X=1 " + scene +
                                   " --quiet --outputs csv --out " + scratch.path("before"));
    ASSERT_EQ(before.exit_code, 0) << before.output;
    const auto report = nlohmann::json::parse(read_text(scratch.path("before/run.json")));
    EXPECT_EQ(report["generators"][0]["agents"], 3);
    EXPECT_EQ(report["settings"], nlohmann::json::array({"crowd.one.CROWDGEN_COUNT_X=1"}));
    EXPECT_EQ(read_text(scene), kCrewScene) << "the scene file is left as it was";
}

TEST(SceneSettings, EveryMistakeNamesTheSettingObjectAndParameter) {
    ScratchFolder scratch;
    const std::string scene = scratch.write("crew.json", kCrewScene);
    const struct {
        const char* setting;
        const char* message;
    } cases[] = {
        {"ghost.CROWDGEN_SEED=7", ": --set ghost.CROWDGEN_SEED=7: the scene has no object named "
                                  "'ghost'"},
        {"crowd.one.CROWDGEN_SEEDS=7", ": --set crowd.one.CROWDGEN_SEEDS=7: object 'crowd.one' "
                                       "(ocrowdgenerator) has no parameter 'CROWDGEN_SEEDS'"},
        {"crowd.one.CROWDGEN_SEED=seven",
         ": --set crowd.one.CROWDGEN_SEED=seven: object 'crowd.one' (ocrowdgenerator): "
         "CROWDGEN_SEED expects an integer, not the string \"seven\""},
        {"crowd.one.CROWDGEN_SPACING=[1,2]", "CROWDGEN_SPACING expects a vector [x, y, z]"},
        {"body.size=3", ": --set body.size=3: object 'body' (Cube) is a host object and has no "
                        "parameters"},
        {"CROWDGEN_SEED=7", "--set needs OBJECT.PARAMETER=VALUE, such as crowd.CROWDGEN_SEED=7, "
                            "not 'CROWDGEN_SEED=7'"},
        {"crowd.one.CROWDGEN_SEED", "not 'crowd.one.CROWDGEN_SEED'"},
    };
    for (const auto& c : cases) {
        const auto outcome = run_vantri("run " + scene + " --quiet --out " + scratch.path("out") +
                                        " --set '" + c.setting + "'");
        EXPECT_EQ(outcome.exit_code, 2) << c.setting;
        EXPECT_NE(outcome.output.find(c.message), std::string::npos) << c.setting << ":\n"
                                                                     << outcome.output;
        EXPECT_EQ(scratch.listing(), "crew.json") << "nothing written for " << c.setting;
    }
}

TEST(SceneOutputs, OutputsChooseTheFilesAndRunJsonIsAlwaysWritten) {
    ScratchFolder scratch;
    const std::string scene = scratch.write("crew.json", kCrewScene);
    const struct {
        const char* outputs;
        const char* files;
    } cases[] = {
        {"", "agents.csv preview.html run.json scene.glb"},
        {" --outputs none", "run.json"},
        {" --outputs csv", "agents.csv run.json"},
        {" --outputs html,glb", "preview.html run.json scene.glb"},
        {" --outputs glb --outputs csv", "agents.csv run.json"},
    };
    for (const auto& c : cases) {
        const auto outcome =
            run_vantri("run " + scene + " --quiet --out " + scratch.path("out") + c.outputs);
        ASSERT_EQ(outcome.exit_code, 0) << c.outputs << "\n" << outcome.output;
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(scratch.path("out")))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        std::string files;
        for (const auto& name : names)
            files += (files.empty() ? "" : " ") + name;
        EXPECT_EQ(files, c.files) << c.outputs;
        const auto report = nlohmann::json::parse(read_text(scratch.path("out/run.json")));
        EXPECT_EQ(report["files"].size(), names.size());
        EXPECT_EQ(report["files"].back(), "run.json");
    }
    const auto wrong = run_vantri("run " + scene + " --outputs csv,gif --out " + scratch.path("x"));
    EXPECT_EQ(wrong.exit_code, 2);
    EXPECT_NE(wrong.output.find("--outputs needs a comma-separated list of csv, glb, html and "
                                "images, or none, not 'csv,gif'"),
              std::string::npos)
        << wrong.output;
    const auto told = run_vantri("run " + scene + " --out " + scratch.path("told"));
    EXPECT_NE(told.output.find("(agents.csv, scene.glb, preview.html, run.json)"),
              std::string::npos)
        << told.output;
    EXPECT_NE(told.output.find("open " + scratch.path("told") + "/preview.html"),
              std::string::npos);
}

} // namespace
