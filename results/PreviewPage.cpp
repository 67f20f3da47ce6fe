#include "results/PreviewPage.h"

#include "host/resources/JsonText.h"
#include "results/EmbeddedFiles.h"
#include "results/Palette.h"

#include <nlohmann/json.hpp>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>

namespace vantri {

namespace {

using Json = nlohmann::ordered_json;

constexpr std::string_view kScriptsMark = "<!-- vantri:scripts -->";
constexpr std::string_view kTitle = "<title>Vantri preview</title>";

// A float as the shortest decimal that has 7 significant digits, so that the page's
// numbers stay short (float precision is all the page uses).
double short_number(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.7g", value);
    return std::strtod(text, nullptr);
}

Json number_list(const std::vector<float>& values) {
    Json list = Json::array();
    for (float v : values)
        list.push_back(short_number(v));
    return list;
}

std::string html_escaped(const std::string& text) {
    std::string out;
    for (char c : text) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        default:
            out += c;
        }
    }
    return out;
}

// Text placed inside a <script> element must not end it early: "</" becomes "<\/", which
// means the same in JavaScript strings and regular expressions (and cannot occur in code).
void write_script_text(std::ostream& out, std::string_view text) {
    size_t from = 0;
    for (size_t at = text.find("</"); at != std::string_view::npos; at = text.find("</", at + 2)) {
        out << text.substr(from, at - from) << "<\\/";
        from = at + 2;
    }
    out << text.substr(from);
}

// Whether code written into a <script> element could change how the HTML parser reads the
// page: "<!--" followed by "<script" makes it swallow the following scripts whole. The code
// we embed (three.js, the player) holds neither; a new version that does is refused.
bool unsafe_in_script(std::string_view text) {
    for (size_t at = text.find('<'); at != std::string_view::npos; at = text.find('<', at + 1)) {
        if (text.compare(at, 4, "<!--") == 0) return true;
        std::string tag(text.substr(at + 1, 6));
        for (char& c : tag)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (tag == "script") return true;
    }
    return false;
}

void write_script(std::ostream& out, std::string_view attributes, std::string_view text) {
    out << "<script" << attributes << ">";
    write_script_text(out, text);
    out << "</script>\n";
}

// JSON data inside a <script> element: every "<" becomes "\u003c", which JSON reads back as
// the same character (it occurs only inside strings), so that no name can open a comment or
// a tag or end the element early.
void write_json_script(std::ostream& out, std::string_view attributes, std::string_view json) {
    out << "<script" << attributes << ">";
    size_t from = 0;
    for (size_t at = json.find('<'); at != std::string_view::npos; at = json.find('<', at + 1)) {
        out << json.substr(from, at - from) << "\\u003c";
        from = at + 1;
    }
    out << json.substr(from) << "</script>\n";
}

Json transform_list(const ExportTransform& t) {
    return Json::array({short_number(t.translation.x), short_number(t.translation.y),
                        short_number(t.translation.z), short_number(t.rotation[0]),
                        short_number(t.rotation[1]), short_number(t.rotation[2]),
                        short_number(t.rotation[3]), short_number(t.scale.x),
                        short_number(t.scale.y), short_number(t.scale.z)});
}

Json shapes_json(const RunRecording& recording) {
    Json shapes = Json::array();
    for (const RecordedShape& shape : recording.shapes()) {
        const ExportedShape exported = export_shape(shape.shape);
        Json entry;
        entry["name"] = shape.name;
        entry["positions"] = number_list(exported.positions);
        entry["normals"] = exported.normals.empty() ? Json() : number_list(exported.normals);
        entry["indices"] = exported.indices;
        Json lines = Json::array();
        for (const ExportedShape::Line& line : exported.lines) {
            if (line.points.size() >= 6)
                lines.push_back({{"points", number_list(line.points)}, {"closed", line.closed}});
        }
        entry["lines"] = std::move(lines);
        shapes.push_back(std::move(entry));
    }
    return shapes;
}

// The generators' names, colours and counts per frame, which agents each instanced mesh
// draws, and the agents' scales (null when every one is 1).
void add_generators_json(const RunRecording& recording, Json& run) {
    Json generators = Json::array();
    Json batches = Json::array();
    Json scales = Json::array();
    bool scaled = false;
    size_t slot = 0;
    for (size_t g = 0; g < recording.generators().size(); ++g) {
        const RecordedGenerator& generator = recording.generators()[g];
        generators.push_back({{"name", generator.name},
                              {"colour", colour_hex(crowd_colour(g))},
                              {"agents", generator.agent_shapes.size()},
                              {"counts", generator.counts}});
        std::map<int32_t, std::vector<size_t>> by_shape;
        for (size_t a = 0; a < generator.agent_shapes.size(); ++a, ++slot) {
            const VtVector s = generator.agent_scales[a];
            scaled = scaled || s.x != 1.0 || s.y != 1.0 || s.z != 1.0;
            for (double c : {s.x, s.y, s.z})
                scales.push_back(short_number(c));
            if (generator.agent_shapes[a] >= 0) by_shape[generator.agent_shapes[a]].push_back(slot);
        }
        for (const auto& [shape, slots] : by_shape)
            batches.push_back({{"generator", g}, {"shape", shape}, {"slots", slots}});
    }
    run["generators"] = std::move(generators);
    run["batches"] = std::move(batches);
    run["scales"] = scaled ? scales : Json();
}

Json pieces_json(const RunRecording& recording) {
    Json pieces = Json::array();
    for (const RecordedPiece& piece : recording.pieces()) {
        const Colour colour = piece_colour(piece.kind);
        Json transforms = Json::array();
        const size_t shown =
            piece.moves() ? piece.matrices.size() : std::min<size_t>(1, piece.matrices.size());
        for (size_t f = 0; f < shown; ++f)
            transforms.push_back(transform_list(export_transform(piece.matrices[f])));
        if (transforms.empty()) transforms.push_back(transform_list(ExportTransform{}));
        pieces.push_back({{"name", piece.name},
                          {"kind", piece_kind_name(piece.kind)},
                          {"shape", piece.shape},
                          {"colour", colour_hex(colour)},
                          {"opacity", colour.a},
                          {"transforms", std::move(transforms)}});
    }
    return pieces;
}

// What the player needs besides the poses: the shapes, which agents each instanced mesh
// draws, the generators' names, colours and counts per frame, and the pieces.
Json run_description(const RunRecording& recording, const std::string& scene) {
    Json run;
    run["scene"] = std::filesystem::path(scene).filename().string();
    run["fps"] = recording.fps();
    run["start"] = recording.frames().empty() ? 0 : recording.frames().front();
    run["count"] = recording.frames().size();
    run["slots"] = recording.agent_count();
    run["shapes"] = shapes_json(recording);
    add_generators_json(recording, run);
    run["pieces"] = pieces_json(recording);
    return run;
}

// The poses as base64 of little-endian floats, frame after frame, agent slot after slot.
void write_poses(std::ostream& out, const RunRecording& recording) {
    static const char kDigits[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::vector<unsigned char> pending;
    std::string text;
    const auto flush = [&](bool last) {
        size_t i = 0;
        text.clear();
        for (; i + 3 <= pending.size(); i += 3) {
            const unsigned v = (pending[i] << 16) | (pending[i + 1] << 8) | pending[i + 2];
            text += {kDigits[v >> 18], kDigits[(v >> 12) & 63], kDigits[(v >> 6) & 63],
                     kDigits[v & 63]};
        }
        if (last && i < pending.size()) {
            const size_t left = pending.size() - i;
            const unsigned v = (pending[i] << 16) | (left > 1 ? pending[i + 1] << 8 : 0);
            text += {kDigits[v >> 18], kDigits[(v >> 12) & 63],
                     left > 1 ? kDigits[(v >> 6) & 63] : '=', '='};
            i = pending.size();
        }
        pending.erase(pending.begin(), pending.begin() + static_cast<std::ptrdiff_t>(i));
        out << text;
    };
    static_assert(sizeof(float) == 4, "poses are written as 32-bit floats");
    for (size_t f = 0; f < recording.frames().size(); ++f) {
        for (size_t g = 0; g < recording.generators().size(); ++g) {
            for (size_t a = 0; a < recording.generators()[g].agent_shapes.size(); ++a) {
                const AgentPose pose = recording.pose(f, g, a);
                float values[7] = {pose.translation[0], pose.translation[1], pose.translation[2],
                                   pose.rotation[0],    pose.rotation[1],    pose.rotation[2],
                                   pose.rotation[3]};
                for (float v : values) {
                    unsigned char bytes[4];
                    std::memcpy(bytes, &v, 4); // the machines we build for are little-endian
                    pending.insert(pending.end(), bytes, bytes + 4);
                }
            }
            if (pending.size() >= 3 * 4096) flush(false);
        }
    }
    flush(true);
}

} // namespace

Status write_preview_page(const RunRecording& recording, const std::string& scene,
                          const std::string& path) {
    for (std::string_view code :
         {three_js_script(), orbit_controls_script(), preview_player_script()}) {
        if (unsafe_in_script(code))
            return failure(path + ": an embedded script holds \"<!--\" or \"<script\", which "
                                  "would break the page");
    }
    std::ofstream out(path, std::ios::binary);
    if (!out) return failure(path + ": cannot create the file: " + std::strerror(errno));
    std::string page(preview_page_template());
    const size_t title = page.find(kTitle);
    if (title != std::string::npos)
        page.replace(
            title, kTitle.size(),
            "<title>Vantri preview: " +
                html_escaped(valid_utf8(std::filesystem::path(scene).filename().string())) +
                "</title>");
    const size_t mark = page.find(kScriptsMark);
    out << page.substr(0, mark) << "\n";
    write_script(out, "", three_js_script());
    write_script(out, "", orbit_controls_script());
    write_json_script(
        out, " id=\"vantri-run\" type=\"application/json\"",
        run_description(recording, scene).dump(-1, ' ', false, Json::error_handler_t::replace));
    out << "<script id=\"vantri-poses\" type=\"text/plain\">";
    write_poses(out, recording);
    out << "</script>\n";
    write_script(out, "", preview_player_script());
    if (mark != std::string::npos) out << page.substr(mark + kScriptsMark.size());
    out.close();
    if (!out) return failure(path + ": could not write the file (is the disk full?)");
    return {};
}

} // namespace vantri
