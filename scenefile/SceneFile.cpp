#include "scenefile/SceneFile.h"

#include "scenefile/JsonValues.h"

#include "abi/AngleConstants.h"

#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <unordered_set>

namespace vantri {

namespace {

// The text with its control characters written as \uXXXX, so that a message stays one line.
std::string one_line(const std::string& text) {
    std::string shown;
    for (char c : text) {
        const unsigned char byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F) {
            char code[8];
            std::snprintf(code, sizeof code, "\\u%04X", byte);
            shown += code;
        } else {
            shown += c;
        }
    }
    return shown;
}

} // namespace

std::string describe_scene_error(const Error& error, const std::string& file) {
    if (error.where.empty()) return file + ": " + one_line(error.message);
    // A position in the text reads "file:line:column", a JSON path "file: path".
    const bool position = std::isdigit(static_cast<unsigned char>(error.where[0]));
    return file + (position ? ":" : ": ") + one_line(error.where) + ": " + one_line(error.message);
}

std::string json_path(const std::string& parent, const std::string& key) {
    return parent.empty() ? key : parent + "." + key;
}

std::string json_path(const std::string& parent, size_t index) {
    return parent + "[" + std::to_string(index) + "]";
}

namespace {

constexpr double kDegree = angle::kPi / 180.0;

Status check_keys(const Json& object, const std::string& path,
                  const std::vector<const char*>& allowed, const char* what) {
    for (auto it = object.begin(); it != object.end(); ++it) {
        bool known = false;
        for (const char* key : allowed)
            known = known || it.key() == key;
        if (known) continue;
        std::string list;
        for (const char* key : allowed)
            list += std::string(list.empty() ? "" : ", ") + key;
        return scene_error(json_path(path, it.key()), "unknown key '" + it.key() + "' in " + what +
                                                          " (expected " + list + ")");
    }
    return {};
}

Status read_int(const Json& value, const std::string& path, const char* what, int32_t& out) {
    if (!json_to_int32(value, out))
        return scene_error(path,
                           std::string(what) + " must be a whole number, not " + json_kind(value));
    return {};
}

Status read_vector(const Json& value, const std::string& path, const char* what, VtVector& out) {
    if (!json_to_vector(value, out))
        return scene_error(path, std::string(what) +
                                     " must be a list of three numbers [x, y, z], not " +
                                     json_kind(value));
    return {};
}

/// Reads an optional vector member `key` of `object` into `out`.
Status read_optional_vector(const Json& object, const std::string& path, const char* key,
                            const char* what, std::optional<VtVector>& out) {
    if (!object.contains(key)) return {};
    VtVector v{};
    if (Status read = read_vector(object[key], json_path(path, key), what, v); !read) return read;
    out = v;
    return {};
}

VtVector degrees(const VtVector& v) {
    return VtVector{v.x * kDegree, v.y * kDegree, v.z * kDegree};
}

Status read_track_key(const Json& key, const std::string& key_path, bool angles,
                      std::vector<TrackKey>& track) {
    if (!key.is_object())
        return scene_error(key_path, "a key must be {\"frame\": F, \"value\": [x, y, z]}, not " +
                                         json_kind(key));
    if (Status known = check_keys(key, key_path, {"frame", "value"}, "a track key"); !known)
        return known;
    if (!key.contains("frame") || !key.contains("value"))
        return scene_error(key_path, "a key needs both \"frame\" and \"value\"");
    const Json& frame = key["frame"];
    if (!frame.is_number() || !std::isfinite(frame.get<double>()))
        return scene_error(json_path(key_path, "frame"),
                           "a key's frame must be a number, not " + json_kind(frame));
    TrackKey k;
    k.frame = frame.get<double>();
    if (Status read =
            read_vector(key["value"], json_path(key_path, "value"), "a key's value", k.value);
        !read)
        return read;
    if (angles) k.value = degrees(k.value);
    if (!track.empty() && k.frame <= track.back().frame)
        return scene_error(json_path(key_path, "frame"),
                           "keys must be in increasing frame order (frame " +
                               json_number_text(frame) + " follows frame " +
                               json_number_text(Json(track.back().frame)) + ")");
    track.push_back(k);
    return {};
}

Status read_track(const Json& keys, const std::string& path, bool angles,
                  std::vector<TrackKey>& track) {
    if (!keys.is_array() || keys.empty())
        return scene_error(path, "a track must be a non-empty list of keys {\"frame\": F, "
                                 "\"value\": [x, y, z]}, not " +
                                     json_kind(keys));
    for (size_t i = 0; i < keys.size(); ++i) {
        if (Status read = read_track_key(keys[i], json_path(path, i), angles, track); !read)
            return read;
    }
    return {};
}

class Reader {
  public:
    Result<SceneFile> read(const Json& root) {
        if (!root.is_object())
            return scene_error("", "a scene file must hold a JSON object with \"objects\", not " +
                                       json_kind(root));
        if (Status known = check_keys(
                root, "", {"$schema", "comment", "fps", "start", "end", "objects"}, "the scene");
            !known)
            return known.error();
        SceneFile scene;
        if (root.contains("fps")) {
            if (Status read = read_int(root["fps"], "fps", "fps", scene.fps); !read)
                return read.error();
            if (scene.fps <= 0)
                return scene_error("fps", "fps must be above 0, not " + std::to_string(scene.fps));
        }
        for (const char* key : {"start", "end"}) {
            if (!root.contains(key)) continue;
            int32_t& frame = key[0] == 's' ? scene.start : scene.end;
            if (Status read = read_int(root[key], key, key, frame); !read) return read.error();
        }
        if (scene.end < scene.start)
            return scene_error(root.contains("end") ? "end" : "start",
                               "the frame range is empty: end " + std::to_string(scene.end) +
                                   " comes before start " + std::to_string(scene.start));
        if (root.contains("objects")) {
            if (Status read = read_list(root["objects"], "objects", scene.objects); !read)
                return read.error();
        }
        return scene;
    }

  private:
    Status read_list(const Json& list, const std::string& path,
                     std::vector<SceneObjectEntry>& objects) {
        if (!list.is_array())
            return scene_error(path, "\"" + path.substr(path.rfind('.') + 1) +
                                         "\" must be a list of objects, not " + json_kind(list));
        for (size_t i = 0; i < list.size(); ++i) {
            objects.emplace_back();
            if (Status read = read_object(list[i], json_path(path, i), objects.back()); !read)
                return read;
        }
        return {};
    }

    Status read_object(const Json& object, const std::string& path, SceneObjectEntry& entry) {
        if (!object.is_object())
            return scene_error(path,
                               "an object must be a JSON object with \"type\" and \"name\", not " +
                                   json_kind(object));
        if (Status known =
                check_keys(object, path,
                           {"type", "name", "comment", "position", "rotation", "scale", "size",
                            "params", "children", "track", "points", "segments", "closed",
                            "interpolation", "width", "depth", "heights", "radius", "faces"},
                           "an object");
            !known)
            return known;
        entry.path = path;
        if (!object.contains("type") || !object["type"].is_string())
            return scene_error(json_path(path, "type"), "an object needs a \"type\" (a string)");
        entry.type = object["type"].get<std::string>();
        if (Status named = read_name(object, path, entry); !named) return named;
        if (Status placed = read_placement(object, path, entry); !placed) return placed;
        if (Status params = read_params(object, path, entry); !params) return params;
        if (Status tracks = read_tracks(object, path, entry); !tracks) return tracks;
        for (const char* key : {"points", "segments", "closed", "interpolation", "width", "depth",
                                "heights", "radius", "faces"}) {
            if (object.contains(key)) entry.geometry[key] = object[key];
        }
        if (object.contains("children"))
            return read_list(object["children"], json_path(path, "children"), entry.children);
        return {};
    }

    Status read_name(const Json& object, const std::string& path, SceneObjectEntry& entry) {
        if (!object.contains("name") || !object["name"].is_string() ||
            object["name"].get<std::string>().empty())
            return scene_error(json_path(path, "name"),
                               "an object needs a \"name\" (a non-empty string)");
        entry.name = object["name"].get<std::string>();
        for (size_t i = 0; i < entry.name.size(); ++i) {
            const unsigned char c = static_cast<unsigned char>(entry.name[i]);
            // A NUL would cut the name short in every file the results are written to, and
            // a line break would split a row of agents.csv.
            if (c < 0x20 || c == 0x7F) {
                char code[8];
                std::snprintf(code, sizeof code, "\\u%04X", c);
                return scene_error(json_path(path, "name"),
                                   "a name must not hold control characters (" + std::string(code) +
                                       " at byte " + std::to_string(i) + ")");
            }
        }
        if (!names_.insert(entry.name).second)
            return scene_error(json_path(path, "name"),
                               "the name '" + entry.name +
                                   "' is used by another object; names must be unique");
        return {};
    }

    static Status read_placement(const Json& object, const std::string& path,
                                 SceneObjectEntry& entry) {
        Status read = read_optional_vector(object, path, "position", "position", entry.position);
        if (read)
            read =
                read_optional_vector(object, path, "rotation",
                                     "rotation (heading, pitch, bank in degrees)", entry.rotation);
        if (read && entry.rotation) entry.rotation = degrees(*entry.rotation);
        if (read) read = read_optional_vector(object, path, "scale", "scale", entry.scale);
        if (read) read = read_optional_vector(object, path, "size", "size", entry.size);
        return read;
    }

    static Status read_params(const Json& object, const std::string& path,
                              SceneObjectEntry& entry) {
        if (!object.contains("params")) return {};
        const std::string params_path = json_path(path, "params");
        const Json& params = object["params"];
        if (!params.is_object())
            return scene_error(params_path,
                               "\"params\" must be an object of parameter values, not " +
                                   json_kind(params));
        for (auto it = params.begin(); it != params.end(); ++it)
            entry.params.push_back({it.key(), it.value(), json_path(params_path, it.key())});
        return {};
    }

    static Status read_tracks(const Json& object, const std::string& path,
                              SceneObjectEntry& entry) {
        if (!object.contains("track")) return {};
        const std::string track_path = json_path(path, "track");
        const Json& track = object["track"];
        if (!track.is_object())
            return scene_error(track_path, "\"track\" must be an object with \"position\" and/or "
                                           "\"rotation\" keys, not " +
                                               json_kind(track));
        if (Status known = check_keys(track, track_path, {"position", "rotation"}, "a track");
            !known)
            return known;
        Status read;
        if (track.contains("position"))
            read = read_track(track["position"], json_path(track_path, "position"), false,
                              entry.position_track);
        if (read && track.contains("rotation"))
            read = read_track(track["rotation"], json_path(track_path, "rotation"), true,
                              entry.rotation_track);
        return read;
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

// The first byte at which the text's brackets, outside strings, open more than `limit`
// levels; npos when they never do. Counts as the JSON parser does for well-formed text.
size_t first_byte_too_deep(const std::string& text, size_t limit) {
    size_t depth = 0;
    bool in_string = false;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (in_string) {
            if (c == '\\')
                ++i;
            else if (c == '"')
                in_string = false;
        } else if (c == '"') {
            in_string = true;
        } else if (c == '[' || c == '{') {
            if (++depth > limit) return i;
        } else if ((c == ']' || c == '}') && depth > 0) {
            --depth;
        }
    }
    return std::string::npos;
}

// Builds the JSON tree from the parser's events, without recursion: refuses a key written
// twice in one object (the parser would keep one of the two values silently, and a second
// "params" would lose the first's parameters) and nesting deeper than kMaxSceneNesting, and
// keeps the first error the parser reports (a syntax error, a number beyond the range of a
// double) with its position instead of throwing it.
class TreeBuilder {
  public:
    explicit TreeBuilder(Json& root) : root_(root) {}

    bool null() { return value(Json(nullptr)); }
    bool boolean(bool v) { return value(Json(v)); }
    bool number_integer(Json::number_integer_t v) { return value(Json(v)); }
    bool number_unsigned(Json::number_unsigned_t v) { return value(Json(v)); }
    bool number_float(Json::number_float_t v, const Json::string_t&) { return value(Json(v)); }
    bool string(Json::string_t& v) { return value(Json(std::move(v))); }
    bool binary(Json::binary_t&) { return fail(std::string::npos, "binary values are not JSON"); }
    bool start_object(std::size_t) { return open(Json::object()); }
    bool start_array(std::size_t) { return open(Json::array()); }
    bool end_object() { return close(); }
    bool end_array() { return close(); }
    bool key(Json::string_t& key) {
        Level& level = levels_.back();
        if (!level.keys.insert(key).second) {
            duplicate_ = key;
            return false;
        }
        level.key = key;
        return true;
    }
    bool parse_error(std::size_t position, const std::string&,
                     const nlohmann::detail::exception& e) {
        return fail(position, e.what());
    }

    /// The error that stopped the parse, with its place in `text`.
    Error error(const std::string& text) const;

  private:
    struct Level {
        Json* value;
        std::string key; ///< the key being read, in an object
        std::unordered_set<std::string> keys;
    };

    // Where the next value goes: the root, the end of the open list, or the open object's key.
    Json* place(Json&& v) {
        if (levels_.empty()) {
            root_ = std::move(v);
            return &root_;
        }
        Json& parent = *levels_.back().value;
        if (parent.is_array()) {
            parent.get_ref<Json::array_t&>().push_back(std::move(v));
            return &parent.get_ref<Json::array_t&>().back();
        }
        // The key is new to this object (checked in key()), so it is appended without the
        // ordered map's search for an existing one.
        auto& members = parent.get_ref<Json::object_t&>();
        members.std::vector<Json::object_t::value_type>::emplace_back(levels_.back().key,
                                                                      std::move(v));
        return &members.back().second;
    }
    bool value(Json&& v) {
        place(std::move(v));
        return true;
    }
    bool open(Json&& container) {
        if (levels_.size() >= kMaxSceneNesting) {
            too_deep_ = true;
            return false;
        }
        levels_.push_back(Level{place(std::move(container)), {}, {}});
        return true;
    }
    bool close() {
        levels_.pop_back();
        return true;
    }
    bool fail(std::size_t position, const std::string& what) {
        position_ = position;
        error_ = what;
        return false;
    }
    // The JSON path of the open levels, for the duplicate key's message.
    std::string path() const {
        std::string text;
        for (size_t i = 0; i + 1 < levels_.size(); ++i) {
            const Json& value = *levels_[i].value;
            text = value.is_array() ? json_path(text, value.size() - 1)
                                    : json_path(text, levels_[i].key);
        }
        return text;
    }

    Json& root_;
    std::vector<Level> levels_;
    std::string duplicate_;
    bool too_deep_ = false;
    std::size_t position_ = 0;
    std::string error_;
};

// The library's reason without its own prefix ("[json.exception.parse_error.101] parse
// error at line 1, column 2: ") and position.
std::string library_reason(const std::string& what) {
    std::string reason = what;
    if (reason.compare(0, 16, "[json.exception.") == 0) {
        const size_t close = reason.find("] ");
        if (close != std::string::npos) reason = reason.substr(close + 2);
    }
    return parse_reason(reason);
}

Error TreeBuilder::error(const std::string& text) const {
    if (!duplicate_.empty())
        return scene_error(json_path(path(), duplicate_),
                           "the key '" + duplicate_ + "' is written twice in one object");
    if (too_deep_)
        return scene_error(text_position(text, first_byte_too_deep(text, kMaxSceneNesting) + 1),
                           "the file nests lists and objects more than " +
                               std::to_string(kMaxSceneNesting) + " levels deep");
    const std::string reason = library_reason(error_);
    const std::string overflow = "number overflow parsing '";
    if (reason.compare(0, overflow.size(), overflow) == 0)
        return scene_error(text_position(text, position_),
                           "the number " +
                               reason.substr(overflow.size(), reason.size() - overflow.size() - 1) +
                               " is beyond the range of a double");
    const bool syntax = error_.find("parse_error") != std::string::npos;
    return scene_error(text_position(text, position_),
                       syntax ? "not valid JSON: " + reason : "cannot read the value: " + reason);
}

} // namespace

Result<SceneFile> parse_scene(const std::string& text) {
    Json root;
    TreeBuilder builder(root);
    if (!Json::sax_parse(text, &builder)) return builder.error(text);
    try {
        return Reader().read(root);
    } catch (const Json::exception& e) {
        // The reader checks every value's kind before it takes it; this is the last guard.
        return scene_error("", "cannot read the file: " + library_reason(e.what()));
    }
}

Result<SceneFile> load_scene_file(const std::string& path) {
    errno = 0;
    std::ifstream in(path, std::ios::binary);
    const int open_error = errno;
    std::error_code ec;
    const std::filesystem::file_status status = std::filesystem::status(path, ec);
    if (status.type() == std::filesystem::file_type::not_found)
        return input_error(path + ": cannot read the scene file: there is no such file");
    if (status.type() == std::filesystem::file_type::directory)
        return input_error(path + ": cannot read the scene file: it is a folder, not a file");
    if (!in)
        return input_error(path + ": cannot read the scene file: " +
                           (open_error != 0 ? std::strerror(open_error) : "it cannot be opened"));
    std::ostringstream text;
    text << in.rdbuf();
    Result<SceneFile> scene = parse_scene(text.str());
    if (!scene) return input_error(describe_scene_error(scene.error(), path));
    return scene;
}

} // namespace vantri
