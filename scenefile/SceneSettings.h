// Settings given on the command line that change a scene file's parameters for one run
// (`vantri run SCENE --set crowd.CROWDGEN_SEED=7`), so that a wedge of runs needs no copies
// of the file. A setting's value is written as in a scene file (7, 0.5, true, [1, 2, 3],
// ["steer", "mix"], {"knots": ...}); a value that is not JSON is a string, so that links and
// choices can be written bare (crowd.CROWDGEN_FORWARD_AXIS=CROWDGEN_AXIS_XNEG).
#pragma once

#include "scenefile/SceneFile.h"

#include <string>
#include <vector>

namespace vantri {

struct SceneSetting {
    std::string object;    ///< the object's name in the scene
    std::string parameter; ///< a parameter symbol or numeric id
    std::string value;     ///< as written after the '='
    std::string text;      ///< as given: "crowd.CROWDGEN_SEED=7"
};

/// Reads "OBJECT.PARAMETER=VALUE" (the object's name may hold dots: the parameter follows the
/// last dot before the '='); an Input error when the text has no such form.
Result<SceneSetting> read_scene_setting(const std::string& text);

/// Applies `settings` in order to the objects of `scene`: each replaces the object's value
/// of that parameter, or adds it after the file's. A scene_error at "--set TEXT" when the
/// scene has no object of that name; what the parameter accepts is checked when the scene is
/// built, with the same path in its messages.
Status apply_scene_settings(SceneFile& scene, const std::vector<SceneSetting>& settings);

} // namespace vantri
