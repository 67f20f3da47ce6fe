// Mistakes a person makes with the command, and what it answers: a misspelt type, parameter
// symbol or object name gets the nearest known one; describe takes the scene files' type
// names and shows each parameter's label and unit; a scene file that cannot be read says why.
#include "tests/support/CommandRun.h"
#include "tests/support/ScratchFolder.h"

#include <sys/stat.h>
#include <unistd.h>

namespace {

using vantri_test::run_vantri;
using vantri_test::ScratchFolder;

// A small scene with one mistake put in by `edit` (a text replacement of the good scene).
std::string scene_with(const std::string& from, const std::string& to) {
    std::string scene = R"({ "fps": 10, "start": 0, "end": 2, "objects": [
      { "type": "behaviour", "name": "steer", "params": { "CROWDBEHAV_KEEP_DIRECTION": true } },
      { "type": "world", "name": "world", "children": [
        { "type": "generator", "name": "crowd",
          "params": { "CROWDGEN_SEED": 3, "CROWDGEN_BEHAVIOURS": ["steer"] },
          "children": [ { "type": "cube", "name": "body", "size": [20, 40, 20] } ] } ] } ] })";
    if (!from.empty()) scene.replace(scene.find(from), from.size(), to);
    return scene;
}

TEST(CommandHints, MisspeltNamesGetTheNearestKnownOne) {
    ScratchFolder scratch;
    ASSERT_EQ(run_vantri("run " + scratch.write("good.json", scene_with("", "")) + " --out " +
                         scratch.path("good") + " --quiet")
                  .exit_code,
              0);
    struct Case {
        std::string from, to, extra, message;
    };
    for (const Case& c : {
             Case{"CROWDGEN_SEED", "CROWDGEN_SEDE", "", "(did you mean 'CROWDGEN_SEED'?)"},
             Case{"CROWDBEHAV_KEEP_DIRECTION", "crowdbehav_keep_direction", "",
                  "(did you mean 'CROWDBEHAV_KEEP_DIRECTION'?)"},
             Case{"\"type\": \"generator\"", "\"type\": \"generater\"", "",
                  "unknown type 'generater' (did you mean 'generator'?)"},
             Case{"[\"steer\"]", "[\"stear\"]", "", "(did you mean 'steer'?)"},
             Case{"", "", " --set crwd.CROWDGEN_SEED=4", "(did you mean 'crowd'?)"},
         }) {
        const std::string scene = scratch.write("bad.json", scene_with(c.from, c.to));
        const auto outcome =
            run_vantri("run " + scene + " --out " + scratch.path("bad") + " --quiet" + c.extra);
        EXPECT_EQ(outcome.exit_code, 2) << c.to << c.extra << "\n" << outcome.output;
        EXPECT_NE(outcome.output.find(c.message), std::string::npos) << c.to << c.extra << "\n"
                                                                     << outcome.output;
        EXPECT_FALSE(std::filesystem::exists(scratch.path("bad"))) << "nothing written";
    }
    // Far from every name: no guess, the list of what there is.
    const auto far =
        run_vantri("run " + scratch.write("far.json", scene_with("\"cube\"", "\"teapot\"")) +
                   " --out " + scratch.path("far"));
    EXPECT_EQ(far.output.find("did you mean"), std::string::npos) << far.output;
    EXPECT_NE(far.output.find("known types: world, generator"), std::string::npos) << far.output;
}

TEST(CommandHints, DescribeTakesSceneNamesAndShowsLabelsAndUnits) {
    const auto outcome = run_vantri("describe behaviour");
    ASSERT_EQ(outcome.exit_code, 0) << outcome.output;
    // The label of the plug-in's strings and the unit of the value, on the parameter's line.
    const size_t line = outcome.output.find("CROWDBEHAV_ALIGN_RADIUS");
    ASSERT_NE(line, std::string::npos) << outcome.output;
    const std::string text = outcome.output.substr(line, outcome.output.find('\n', line) - line);
    EXPECT_NE(text.find("Radius [meter]"), std::string::npos) << text;

    const auto misspelt = run_vantri("describe generatr");
    EXPECT_EQ(misspelt.exit_code, 2);
    EXPECT_NE(misspelt.output.find("no registered object type 'generatr' (did you mean "
                                   "'generator'?)"),
              std::string::npos)
        << misspelt.output;
}

TEST(CommandHints, AnUnreadableSceneFileSaysWhy) {
    ScratchFolder scratch;
    const std::string missing = scratch.path("missing.json");
    auto outcome = run_vantri("run " + missing);
    EXPECT_NE(outcome.exit_code, 0);
    EXPECT_NE(outcome.output.find(missing + ": cannot read the scene file: there is no such file"),
              std::string::npos)
        << outcome.output;

    const std::string folder = scratch.path("folder.json");
    std::filesystem::create_directories(folder);
    outcome = run_vantri("run " + folder);
    EXPECT_NE(outcome.exit_code, 0);
    EXPECT_NE(outcome.output.find(folder + ": cannot read the scene file: it is a folder"),
              std::string::npos)
        << outcome.output;

    if (geteuid() == 0) GTEST_SKIP() << "the superuser reads any file; no permission to refuse";
    const std::string locked = scratch.write("locked.json", scene_with("", ""));
    ::chmod(locked.c_str(), 0);
    outcome = run_vantri("run " + locked);
    EXPECT_NE(outcome.exit_code, 0);
    EXPECT_NE(outcome.output.find(locked + ": cannot read the scene file: Permission denied"),
              std::string::npos)
        << outcome.output;
}

} // namespace
