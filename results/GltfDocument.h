// The JSON part of a glTF file as it is built: one list of entries per top-level array
// (buffer views, accessors, meshes, materials, nodes, animation samplers and channels), each
// kept as text. A crowd's nodes and accessors are hundreds of thousands of small objects; as
// text they take a few hundred bytes per agent, where a JSON tree would take several times
// that.
#pragma once

#include <nlohmann/json.hpp>

#include <cstddef>
#include <functional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace vantri {

/// Entries of one JSON array, as text, in blocks of up to about a megabyte, so that a long
/// list grows without copying itself into a buffer twice its size.
class JsonList {
  public:
    /// Appends an entry (a JSON value as text); returns its index.
    int add(std::string_view entry);
    int add_value(const nlohmann::json& entry);
    size_t count() const { return count_; }
    /// The entries, comma-separated, without the brackets, in pieces.
    const std::vector<std::string>& blocks() const { return blocks_; }

  private:
    std::vector<std::string> blocks_;
    size_t count_ = 0;
};

/// `text` as a JSON string, quotes included; bytes that are not UTF-8 become U+FFFD.
std::string json_string(const std::string& text);
/// The shortest text that reads back as the same float.
std::string json_float(float value);
/// The shortest text that reads back as the same double.
std::string json_double(double value);

struct GltfDocument {
    std::string asset; ///< the "asset" object, as text
    JsonList views, accessors, meshes, materials, nodes, samplers, channels;
    JsonList scene_nodes; ///< the indices of the nodes at the scene's top
    std::string scene_name;
    size_t buffer_bytes = 0; ///< the binary chunk's length

    /// A buffer view over `size` bytes at `offset` of the binary chunk; `target` 0 for none.
    int add_view(size_t offset, size_t size, int target);
    /// An accessor of `count` elements of `type` ("SCALAR", "VEC3", ...) made of
    /// `component`s, at `offset` bytes into `view`; `bounds` is its "min" and "max" text
    /// (",\"min\":[...],\"max\":[...]") or empty.
    int add_accessor(int view, size_t offset, int component, const char* type, size_t count,
                     std::string_view bounds = {});
    /// The whole document's length in bytes.
    size_t size() const;
    /// Writes the whole document. Arrays without entries are left out, as glTF requires.
    void write(std::ostream& out) const;

  private:
    /// The document in pieces, in order, without joining them into one more copy.
    void each_piece(const std::function<void(std::string_view)>& piece) const;
};

} // namespace vantri
