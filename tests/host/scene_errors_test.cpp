// Mistakes in scene files and on the command line: each is one line that names the file,
// the place in it and what is wrong, exit code 2, and nothing is written.
#include "tests/support/CommandRun.h"
#include "tests/support/ScratchFolder.h"

#include <vector>

namespace {

using vantri_test::run_vantri;
using vantri_test::ScratchFolder;

struct BadScene {
    const char* what;
    const char* scene;
    const char* message; ///< expected after "bad.json"
};

// A generator with one cube under it, for cases that only change one part.
std::string with_generator_params(const std::string& params) {
    return R"({"objects": [{"type": "generator", "name": "crowd", "params": {)" + params +
           R"(}, "children": [{"type": "cube", "name": "body"}]}]})";
}

TEST(SceneErrors, EachBadSceneNamesFileAndPlaceAndWritesNothing) {
    const std::string count_text = with_generator_params(R"("CROWDGEN_COUNT_X": "ten")");
    const std::string count_real = with_generator_params(R"("CROWDGEN_COUNT_X": 2.5)");
    const std::string bad_symbol = with_generator_params(R"("CROWDGEN_COUNTX": 2)");
    const std::string bad_id = with_generator_params(R"("9999": 2)");
    const std::string bad_vector = with_generator_params(R"("CROWDGEN_SPACING": [1, 2])");
    const std::string bad_cycle = with_generator_params(R"("CROWDGEN_FORWARD_AXIS": "SIDEWAYS")");
    const std::vector<BadScene> cases = {
        {"not JSON", "{\n  \"objects\": [\n    {\"type\": }\n  ]\n}",
         ":3:14: not valid JSON: syntax error while parsing value"},
        {"not an object", "[1, 2]", ": a scene file must hold a JSON object"},
        {"unknown type", R"({"objects": [{"type": "robot", "name": "r"}]})",
         ": objects[0].type: unknown type 'robot' (known types: world, generator"},
        {"spline without points", R"({"objects": [{"type": "spline", "name": "s"}]})",
         ": objects[0]: a spline needs either \"points\" (one segment) or \"segments\""},
        {"spline of one point",
         R"({"objects": [{"type": "spline", "name": "s", "segments": [[[0, 0, 0], [1, 0, 0]],
             [[0, 0, 0]]]}]})",
         ": objects[0].segments[1]: a spline segment needs at least two points, not 1"},
        {"spline interpolation",
         R"({"objects": [{"type": "spline", "name": "s", "points": [[0, 0, 0], [1, 0, 0]],
             "interpolation": "bezier"}]})",
         ": objects[0].interpolation: a spline's \"interpolation\" must be \"linear\" or "
         "\"cubic\", not the string \"bezier\""},
        {"plane heights", R"({"objects": [{"type": "plane", "name": "p", "segments": [2, 1],
             "heights": [[0, 0, 0], [0, 0]]}]})",
         ": objects[0].heights[1]: a row of heights needs 3 numbers (segments along x + 1), not 2"},
        {"plane rows", R"({"objects": [{"type": "plane", "name": "p", "heights": [[0, 0]]}]})",
         ": objects[0].heights: a plane's \"heights\" needs 2 rows (segments along z + 1), not 1"},
        {"key of another type", R"({"objects": [{"type": "sphere", "name": "s", "width": 3}]})",
         ": objects[0].width: a sphere has no \"width\" (its keys: \"radius\", \"segments\")"},
        {"polygon face", R"({"objects": [{"type": "polygon", "name": "m",
             "points": [[0, 0, 0], [1, 0, 0], [0, 0, 1]], "faces": [[0, 1, 3]]}]})",
         ": objects[0].faces: face 0 names point 3, but there are 3 points"},
        {"key written twice",
         R"({"objects": [{"type": "null", "name": "n"},
                         {"type": "generator", "name": "g", "params": {"CROWDGEN_COUNT_X": 2},
                          "params": {"CROWDGEN_COUNT_Y": 2}}]})",
         ": objects[1].params: the key 'params' is written twice in one object"},
        {"unknown key", R"({"objects": [{"type": "null", "name": "n", "positon": [0, 0, 0]}]})",
         ": objects[0].positon: unknown key 'positon' in an object"},
        {"missing name", R"({"objects": [{"type": "null"}]})",
         ": objects[0].name: an object needs a \"name\""},
        {"duplicate name",
         R"({"objects": [{"type": "null", "name": "a", "children": [{"type": "cube", "name": "a"}]}]})",
         ": objects[0].children[0].name: the name 'a' is used by another object"},
        {"unknown symbol", bad_symbol.c_str(),
         ": objects[0].params.CROWDGEN_COUNTX: object 'crowd' (ocrowdgenerator) has no "
         "parameter 'CROWDGEN_COUNTX'"},
        {"unknown id", bad_id.c_str(),
         ": objects[0].params.9999: object 'crowd' (ocrowdgenerator) has no parameter '9999'"},
        {"string for an integer", count_text.c_str(),
         ": objects[0].params.CROWDGEN_COUNT_X: object 'crowd' (ocrowdgenerator): "
         "CROWDGEN_COUNT_X expects an integer, not the string \"ten\""},
        {"fraction for an integer", count_real.c_str(),
         ": objects[0].params.CROWDGEN_COUNT_X: object 'crowd' (ocrowdgenerator): "
         "CROWDGEN_COUNT_X expects an integer, not the number 2.5"},
        {"short vector", bad_vector.c_str(),
         ": objects[0].params.CROWDGEN_SPACING: object 'crowd' (ocrowdgenerator): "
         "CROWDGEN_SPACING expects a vector [x, y, z], not a list of 2"},
        {"unknown option of a choice", bad_cycle.c_str(),
         ": objects[0].params.CROWDGEN_FORWARD_AXIS: object 'crowd' (ocrowdgenerator): "
         "CROWDGEN_FORWARD_AXIS expects an integer (one of CROWDGEN_AXIS_XPOS (1011), "
         "CROWDGEN_AXIS_XNEG (1012)"},
        {"number for a bool",
         R"({"objects": [{"type": "behaviour", "name": "b", "params": {"CROWDBEHAV_ALIGN": 1}}]})",
         ": objects[0].params.CROWDBEHAV_ALIGN: object 'b' (ocrowdbehav): CROWDBEHAV_ALIGN "
         "expects true or false, not the number 1"},
        {"link to a missing object",
         R"({"objects": [{"type": "behaviour", "name": "b",
                          "params": {"CROWDBEHAV_FOLLOW_TARGET": "nobody"}}]})",
         ": objects[0].params.CROWDBEHAV_FOLLOW_TARGET: object 'b' (ocrowdbehav): "
         "CROWDBEHAV_FOLLOW_TARGET links to 'nobody', which is not an object of this scene"},
        {"link to an object of the wrong type",
         R"({"objects": [{"type": "cube", "name": "box"},
                         {"type": "behaviour", "name": "b",
                          "params": {"CROWDBEHAV_SPLINE_OBJECT": "box"}}]})",
         ": objects[1].params.CROWDBEHAV_SPLINE_OBJECT: object 'b' (ocrowdbehav): "
         "CROWDBEHAV_SPLINE_OBJECT accepts only"},
        {"list entry of the wrong type",
         R"({"objects": [{"type": "cube", "name": "box"},
                         {"type": "generator", "name": "crowd",
                          "params": {"CROWDGEN_BEHAVIOURS": ["box"]}}]})",
         ": objects[1].params.CROWDGEN_BEHAVIOURS[0]: object 'crowd' (ocrowdgenerator): "
         "CROWDGEN_BEHAVIOURS accepts only Crowd Behaviour, Crowd Blend objects, and 'box' is a "
         "Cube"},
        {"list entry missing",
         R"({"objects": [{"type": "generator", "name": "crowd",
                          "params": {"CROWDGEN_BEHAVIOURS": ["ghost"]}}]})",
         ": objects[0].params.CROWDGEN_BEHAVIOURS[0]: object 'crowd' (ocrowdgenerator): "
         "CROWDGEN_BEHAVIOURS links to 'ghost', which is not an object of this scene"},
        {"curve without knots",
         R"({"objects": [{"type": "behaviour", "name": "b",
                          "params": {"CROWDBEHAV_SPLINE_PROFILE": {"knots": [[0, 1], [2]]}}}]})",
         ": objects[0].params.CROWDBEHAV_SPLINE_PROFILE.knots[1]: object 'b' (ocrowdbehav): "
         "CROWDBEHAV_SPLINE_PROFILE: a knot must be [x, y], not a list of 1"},
        {"parameters on a host object",
         R"({"objects": [{"type": "cube", "name": "box", "params": {"1001": 1}}]})",
         ": objects[0].params: object 'box' (Cube) is a host object and has no parameters"},
        {"size on a null", R"({"objects": [{"type": "null", "name": "n", "size": [1, 1, 1]}]})",
         ": objects[0].size: only cubes have a \"size\""},
        {"track keys out of order",
         R"({"objects": [{"type": "null", "name": "n", "track": {"position": [
              {"frame": 10, "value": [0, 0, 0]}, {"frame": 5, "value": [1, 1, 1]}]}}]})",
         ": objects[0].track.position[1].frame: keys must be in increasing frame order"},
        {"empty frame range", R"({"start": 10, "end": 5, "objects": []})",
         ": end: the frame range is empty: end 5 comes before start 10"},
        {"fps of 0", R"({"fps": 0, "objects": []})", ": fps: fps must be above 0, not 0"},
        {"negative fps", R"({"fps": -24, "objects": []})", ": fps: fps must be above 0, not -24"},
        {"fps not a number", R"({"fps": "fast"})",
         ": fps: fps must be a whole number, not the string \"fast\""},
    };
    for (const BadScene& bad : cases) {
        SCOPED_TRACE(bad.what);
        ScratchFolder scratch;
        const std::string file = scratch.write("bad.json", bad.scene);
        const auto outcome =
            run_vantri("run " + file + " --quiet --out " + scratch.path("results"));
        EXPECT_EQ(outcome.exit_code, 2) << outcome.output;
        EXPECT_NE(outcome.output.find("vantri run: " + file + bad.message), std::string::npos)
            << outcome.output;
        EXPECT_EQ(std::count(outcome.output.begin(), outcome.output.end(), '\n'), 1)
            << outcome.output;
        EXPECT_EQ(scratch.listing(), "bad.json");
    }
}

TEST(SceneErrors, BadCommandLinesAndMissingFilesWriteNothing) {
    ScratchFolder scratch;
    const std::string scene = scratch.write("empty.json", R"({"start": 0, "end": 3})");
    const std::string out = " --out " + scratch.path("results");
    struct Case {
        std::string arguments;
        std::string message;
    };
    const std::vector<Case> cases = {
        {scene + " --start 5 --end 2" + out,
         scene + ": the frame range is empty: end 2 comes before start 5"},
        {scene + " --start 4" + out,
         scene + ": the frame range is empty: end 3 comes before start 4"},
        {scene + " --start soon" + out, "--start needs a whole frame number, not 'soon'"},
        {scene + " --max-memory lots" + out, "--max-memory needs a size above 0"},
        {scene + " --max-memory 0" + out, "--max-memory needs a size above 0"},
        {scene + " --frobnicate" + out, "unknown option '--frobnicate'"},
        {scratch.path("missing.json") + out,
         scratch.path("missing.json") + ": cannot read the scene file"},
        {out, "which scene file?"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments);
        const auto outcome = run_vantri("run " + c.arguments);
        EXPECT_EQ(outcome.exit_code, 2) << outcome.output;
        EXPECT_NE(outcome.output.find("vantri run: " + c.message), std::string::npos)
            << outcome.output;
        EXPECT_EQ(scratch.listing(), "empty.json");
    }
}

} // namespace
