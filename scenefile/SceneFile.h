// A crowd scene as written in a scene file (JSON): the frame range and frame rate, and a
// tree of objects with their transforms, parameters and keyframed tracks.
//
// Reading checks the file's shape (keys, value kinds, unique names, a sensible frame
// range); what the parameters mean is checked when the scene is built (SceneBuilder),
// against the descriptions of the loaded plug-in. docs/scene-format.md is the reference.
#pragma once

#include "abi/host_abi.h"
#include "host/Status.h"

#include <nlohmann/json.hpp>

#include <optional>
#include <string>
#include <vector>

namespace vantri {

/// JSON with its objects' keys in file order.
using Json = nlohmann::ordered_json;

/// A mistake in a scene file, at a place in it (Error::where): a JSON path such as
/// "objects[0].children[1].params.CROWDGEN_COUNT_X", or "line:column" for a file that is
/// not JSON. Its fault is Input; one the plug-in refused although the file is fine is Failed.
inline Error scene_error(std::string where, std::string message) {
    return input_error(std::move(message), std::move(where));
}

/// The plug-in refused what the file asks at `where`, although the file is fine: Failed.
inline Error plugin_scene_error(std::string where, std::string message) {
    return {Fault::Failed, std::move(message), std::move(where)};
}

/// "FILE: WHERE: MESSAGE" (or "FILE:LINE:COLUMN: MESSAGE"), one line.
std::string describe_scene_error(const Error& error, const std::string& file);

/// One key of a track: a frame (fractional frames allowed) and the value there.
struct TrackKey {
    double frame = 0.0;
    VtVector value{0, 0, 0};
};

/// A parameter as written: its key (a symbol or a numeric id) and its JSON value.
struct SceneParameter {
    std::string key;
    Json value;
    std::string path;
};

struct SceneObjectEntry {
    std::string type; ///< as written: a description name, an alias or a host type
    std::string name;
    std::string path; ///< JSON path of the object, e.g. "objects[2]"
    std::optional<VtVector> position;
    std::optional<VtVector> rotation; ///< heading, pitch, bank in radians (degrees in the file)
    std::optional<VtVector> scale;
    std::optional<VtVector> size; ///< cubes: the edge lengths
    /// The geometry keys as written (points, segments, closed, interpolation, width, depth,
    /// heights, radius, faces), checked against the type when the object is built.
    Json geometry = Json::object();
    std::vector<SceneParameter> params;
    std::vector<TrackKey> position_track; ///< keys in increasing frame order
    std::vector<TrackKey> rotation_track; ///< radians
    std::vector<SceneObjectEntry> children;
};

struct SceneFile {
    int32_t fps = 25;
    int32_t start = 0; ///< first frame played, also the document's minimum time
    int32_t end = 100; ///< last frame played (included)
    std::vector<SceneObjectEntry> objects;
};

/// The deepest nesting of lists and objects a scene file may have: checked while the file
/// is parsed, before anything walks the tree, so that no reader recurses deeper. 256
/// levels allow some 120 levels of "children".
constexpr size_t kMaxSceneNesting = 256;

/// Reads a scene from JSON text; a scene_error where the text is wrong.
Result<SceneFile> parse_scene(const std::string& text);

/// Reads the scene file at `path`; an Input error with a one-line message naming the file.
Result<SceneFile> load_scene_file(const std::string& path);

/// "objects[0]" + "children" + 1 -> "objects[0].children[1]", and the like.
std::string json_path(const std::string& parent, const std::string& key);
std::string json_path(const std::string& parent, size_t index);

} // namespace vantri
