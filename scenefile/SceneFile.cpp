#include "scenefile/SceneFile.h"

#include "scenefile/JsonValues.h"

#include <cctype>
#include <cmath>
#include <fstream>
#include <set>
#include <sstream>

namespace vantri {

std::string SceneError::describe(const std::string& file) const {
    if (where_.empty()) return file + ": " + what();
    // A position in the text reads "file:line:column", a JSON path "file: path".
    const bool position = !where_.empty() && std::isdigit(static_cast<unsigned char>(where_[0]));
    return file + (position ? ":" : ": ") + where_ + ": " + what();
}

std::string json_path(const std::string& parent, const std::string& key) {
    return parent.empty() ? key : parent + "." + key;
}

std::string json_path(const std::string& parent, size_t index) {
    return parent + "[" + std::to_string(index) + "]";
}

namespace {

constexpr double kDegree = 3.141592653589793 / 180.0;

void check_keys(const Json& object, const std::string& path,
                const std::vector<const char*>& allowed, const char* what) {
    for (auto it = object.begin(); it != object.end(); ++it) {
        bool known = false;
        for (const char* key : allowed)
            known = known || it.key() == key;
        if (known) continue;
        std::string list;
        for (const char* key : allowed)
            list += std::string(list.empty() ? "" : ", ") + key;
        throw SceneError(json_path(path, it.key()),
                         "unknown key '" + it.key() + "' in " + what + " (expected " + list + ")");
    }
}

int32_t read_int(const Json& value, const std::string& path, const char* what) {
    int32_t result = 0;
    if (!json_to_int32(value, result))
        throw SceneError(path,
                         std::string(what) + " must be a whole number, not " + json_kind(value));
    return result;
}

VtVector read_vector(const Json& value, const std::string& path, const char* what) {
    VtVector v{};
    if (!json_to_vector(value, v))
        throw SceneError(path, std::string(what) +
                                   " must be a list of three numbers [x, y, z], not " +
                                   json_kind(value));
    return v;
}

VtVector degrees(const VtVector& v) {
    return VtVector{v.x * kDegree, v.y * kDegree, v.z * kDegree};
}

std::vector<TrackKey> read_track(const Json& keys, const std::string& path, bool angles) {
    if (!keys.is_array() || keys.empty())
        throw SceneError(path, "a track must be a non-empty list of keys {\"frame\": F, \"value\": "
                               "[x, y, z]}, not " +
                                   json_kind(keys));
    std::vector<TrackKey> track;
    for (size_t i = 0; i < keys.size(); ++i) {
        const std::string key_path = json_path(path, i);
        const Json& key = keys[i];
        if (!key.is_object())
            throw SceneError(key_path, "a key must be {\"frame\": F, \"value\": [x, y, z]}, not " +
                                           json_kind(key));
        check_keys(key, key_path, {"frame", "value"}, "a track key");
        if (!key.contains("frame") || !key.contains("value"))
            throw SceneError(key_path, "a key needs both \"frame\" and \"value\"");
        const Json& frame = key["frame"];
        if (!frame.is_number() || !std::isfinite(frame.get<double>()))
            throw SceneError(json_path(key_path, "frame"),
                             "a key's frame must be a number, not " + json_kind(frame));
        TrackKey k;
        k.frame = frame.get<double>();
        k.value = read_vector(key["value"], json_path(key_path, "value"), "a key's value");
        if (angles) k.value = degrees(k.value);
        if (!track.empty() && k.frame <= track.back().frame)
            throw SceneError(json_path(key_path, "frame"),
                             "keys must be in increasing frame order (frame " +
                                 json_number_text(frame) + " follows frame " +
                                 json_number_text(Json(track.back().frame)) + ")");
        track.push_back(k);
    }
    return track;
}

class Reader {
  public:
    SceneFile read(const Json& root) {
        if (!root.is_object())
            throw SceneError("", "a scene file must hold a JSON object with \"objects\", not " +
                                     json_kind(root));
        check_keys(root, "", {"$schema", "comment", "fps", "start", "end", "objects"}, "the scene");
        SceneFile scene;
        if (root.contains("fps")) {
            scene.fps = read_int(root["fps"], "fps", "fps");
            if (scene.fps <= 0)
                throw SceneError("fps", "fps must be above 0, not " + std::to_string(scene.fps));
        }
        if (root.contains("start")) scene.start = read_int(root["start"], "start", "start");
        if (root.contains("end")) scene.end = read_int(root["end"], "end", "end");
        if (scene.end < scene.start)
            throw SceneError(root.contains("end") ? "end" : "start",
                             "the frame range is empty: end " + std::to_string(scene.end) +
                                 " comes before start " + std::to_string(scene.start));
        if (root.contains("objects")) scene.objects = read_list(root["objects"], "objects");
        return scene;
    }

  private:
    std::vector<SceneObjectEntry> read_list(const Json& list, const std::string& path) {
        if (!list.is_array())
            throw SceneError(path, "\"" + path.substr(path.rfind('.') + 1) +
                                       "\" must be a list of objects, not " + json_kind(list));
        std::vector<SceneObjectEntry> objects;
        for (size_t i = 0; i < list.size(); ++i)
            objects.push_back(read_object(list[i], json_path(path, i)));
        return objects;
    }

    SceneObjectEntry read_object(const Json& object, const std::string& path) {
        if (!object.is_object())
            throw SceneError(path,
                             "an object must be a JSON object with \"type\" and \"name\", not " +
                                 json_kind(object));
        check_keys(object, path,
                   {"type", "name", "comment", "position", "rotation", "scale", "size", "params",
                    "children", "track", "points", "segments", "closed", "interpolation", "width",
                    "depth", "heights", "radius", "faces"},
                   "an object");
        SceneObjectEntry entry;
        entry.path = path;
        if (!object.contains("type") || !object["type"].is_string())
            throw SceneError(json_path(path, "type"), "an object needs a \"type\" (a string)");
        entry.type = object["type"].get<std::string>();
        if (!object.contains("name") || !object["name"].is_string() ||
            object["name"].get<std::string>().empty())
            throw SceneError(json_path(path, "name"),
                             "an object needs a \"name\" (a non-empty string)");
        entry.name = object["name"].get<std::string>();
        if (!names_.insert(entry.name).second)
            throw SceneError(json_path(path, "name"),
                             "the name '" + entry.name +
                                 "' is used by another object; names must be unique");
        if (object.contains("position"))
            entry.position =
                read_vector(object["position"], json_path(path, "position"), "position");
        if (object.contains("rotation"))
            entry.rotation = degrees(read_vector(object["rotation"], json_path(path, "rotation"),
                                                 "rotation (heading, pitch, bank in degrees)"));
        if (object.contains("scale"))
            entry.scale = read_vector(object["scale"], json_path(path, "scale"), "scale");
        if (object.contains("size"))
            entry.size = read_vector(object["size"], json_path(path, "size"), "size");
        if (object.contains("params")) {
            const std::string params_path = json_path(path, "params");
            const Json& params = object["params"];
            if (!params.is_object())
                throw SceneError(params_path,
                                 "\"params\" must be an object of parameter values, not " +
                                     json_kind(params));
            for (auto it = params.begin(); it != params.end(); ++it)
                entry.params.push_back({it.key(), it.value(), json_path(params_path, it.key())});
        }
        if (object.contains("track")) {
            const std::string track_path = json_path(path, "track");
            const Json& track = object["track"];
            if (!track.is_object())
                throw SceneError(track_path, "\"track\" must be an object with \"position\" and/or "
                                             "\"rotation\" keys, not " +
                                                 json_kind(track));
            check_keys(track, track_path, {"position", "rotation"}, "a track");
            if (track.contains("position"))
                entry.position_track =
                    read_track(track["position"], json_path(track_path, "position"), false);
            if (track.contains("rotation"))
                entry.rotation_track =
                    read_track(track["rotation"], json_path(track_path, "rotation"), true);
        }
        for (const char* key : {"points", "segments", "closed", "interpolation", "width", "depth",
                                "heights", "radius", "faces"}) {
            if (object.contains(key)) entry.geometry[key] = object[key];
        }
        if (object.contains("children"))
            entry.children = read_list(object["children"], json_path(path, "children"));
        return entry;
    }

    std::set<std::string> names_;
};

// "line:column" of a byte offset (1-based, as the JSON parser counts) in `text`.
std::string text_position(const std::string& text, size_t byte) {
    const size_t end = std::min(byte == 0 ? 0 : byte - 1, text.size());
    size_t line = 1, column = 1;
    for (size_t i = 0; i < end; ++i) {
        if (text[i] == '\n') {
            ++line;
            column = 1;
        } else {
            ++column;
        }
    }
    return std::to_string(line) + ":" + std::to_string(column);
}

// The parser's reason without its own prefix and position.
std::string parse_reason(const std::string& what) {
    const size_t at = what.find("parse error");
    if (at == std::string::npos) return what;
    const size_t colon = what.find(": ", at);
    return colon == std::string::npos ? what : what.substr(colon + 2);
}

// Refuses a key written twice in one JSON object: the parser would keep one of the two
// values silently (a second "params" would lose the first's parameters).
class DuplicateKeyCheck {
  public:
    bool operator()(int, Json::parse_event_t event, const Json& parsed) {
        using Event = Json::parse_event_t;
        if ((event == Event::object_start || event == Event::array_start ||
             event == Event::value) &&
            !stack_.empty() && stack_.back().array)
            ++stack_.back().index;
        switch (event) {
        case Event::object_start:
            stack_.push_back(Frame{false, 0, {}, {}});
            break;
        case Event::array_start:
            stack_.push_back(Frame{true, 0, {}, {}});
            break;
        case Event::object_end:
        case Event::array_end:
            if (!stack_.empty()) stack_.pop_back();
            break;
        case Event::key: {
            const std::string key = parsed.get<std::string>();
            if (!stack_.back().keys.insert(key).second) {
                std::string path;
                for (size_t i = 0; i + 1 < stack_.size(); ++i)
                    path = stack_[i].array ? json_path(path, stack_[i].index - 1)
                                           : json_path(path, stack_[i].key);
                throw SceneError(json_path(path, key),
                                 "the key '" + key + "' is written twice in one object");
            }
            stack_.back().key = key;
            break;
        }
        default:
            break;
        }
        return true;
    }

  private:
    struct Frame {
        bool array;
        size_t index; // elements seen so far
        std::string key;
        std::set<std::string> keys;
    };
    std::vector<Frame> stack_;
};

} // namespace

SceneFile parse_scene(const std::string& text) {
    Json root;
    try {
        root = Json::parse(text, DuplicateKeyCheck());
    } catch (const Json::parse_error& e) {
        throw SceneError(text_position(text, e.byte), "not valid JSON: " + parse_reason(e.what()));
    }
    return Reader().read(root);
}

bool load_scene_file(const std::string& path, SceneFile& out, std::string& error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = path + ": cannot read the scene file";
        return false;
    }
    std::ostringstream text;
    text << in.rdbuf();
    try {
        out = parse_scene(text.str());
    } catch (const SceneError& e) {
        error = e.describe(path);
        return false;
    }
    return true;
}

} // namespace vantri
