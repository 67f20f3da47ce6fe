#include "results/GltfDocument.h"

#include <algorithm>
#include <charconv>

namespace vantri {

namespace {

/// Blocks start small, for the short lists, and double up to a megabyte.
constexpr size_t kFirstBlockBytes = size_t(4) << 10;
constexpr size_t kBlockBytes = size_t(1) << 20;

} // namespace

int JsonList::add(std::string_view entry) {
    if (blocks_.empty() || blocks_.back().size() + entry.size() + 1 > blocks_.back().capacity()) {
        const size_t last = blocks_.empty() ? kFirstBlockBytes / 2 : blocks_.back().capacity();
        blocks_.emplace_back();
        blocks_.back().reserve(std::max(std::min(2 * last, kBlockBytes), entry.size() + 1));
    }
    if (count_ > 0) blocks_.back() += ',';
    blocks_.back() += entry;
    return static_cast<int>(count_++);
}

int JsonList::add_value(const nlohmann::json& entry) {
    return add(entry.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace));
}

std::string json_string(const std::string& text) {
    return nlohmann::json(text).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

std::string json_float(float value) {
    char text[32];
    const auto end = std::to_chars(text, text + sizeof text, value).ptr;
    return std::string(text, end);
}

std::string json_double(double value) {
    char text[32];
    const auto end = std::to_chars(text, text + sizeof text, value).ptr;
    return std::string(text, end);
}

int GltfDocument::add_view(size_t offset, size_t size, int target) {
    std::string view = "{\"buffer\":0,\"byteOffset\":" + std::to_string(offset) +
                       ",\"byteLength\":" + std::to_string(size);
    if (target != 0) view += ",\"target\":" + std::to_string(target);
    return views.add(view + "}");
}

int GltfDocument::add_accessor(int view, size_t offset, int component, const char* type,
                               size_t count, std::string_view bounds) {
    std::string accessor = "{\"bufferView\":" + std::to_string(view);
    if (offset != 0) accessor += ",\"byteOffset\":" + std::to_string(offset);
    accessor += ",\"componentType\":" + std::to_string(component) +
                ",\"count\":" + std::to_string(count) + ",\"type\":\"" + type + "\"";
    accessor += bounds;
    return accessors.add(accessor + "}");
}

void GltfDocument::each_piece(const std::function<void(std::string_view)>& piece) const {
    piece("{\"asset\":" + asset);
    piece(",\"scene\":0,\"scenes\":[{\"name\":" + json_string(scene_name));
    if (scene_nodes.count() > 0) {
        piece(",\"nodes\":[");
        for (const std::string& block : scene_nodes.blocks())
            piece(block);
        piece("]");
    }
    piece("}]");
    const auto list = [&piece](std::string_view name, const JsonList& entries) {
        if (entries.count() == 0) return;
        piece(",\"");
        piece(name);
        piece("\":[");
        for (const std::string& block : entries.blocks())
            piece(block);
        piece("]");
    };
    list("nodes", nodes);
    list("meshes", meshes);
    list("materials", materials);
    list("accessors", accessors);
    list("bufferViews", views);
    if (buffer_bytes > 0)
        piece(",\"buffers\":[{\"byteLength\":" + std::to_string(buffer_bytes) + "}]");
    if (channels.count() > 0) {
        piece(",\"animations\":[{\"name\":\"run\",\"channels\":[");
        for (const std::string& block : channels.blocks())
            piece(block);
        piece("],\"samplers\":[");
        for (const std::string& block : samplers.blocks())
            piece(block);
        piece("]}]");
    }
    piece("}");
}

size_t GltfDocument::size() const {
    size_t size = 0;
    each_piece([&size](std::string_view piece) { size += piece.size(); });
    return size;
}

void GltfDocument::write(std::ostream& out) const {
    each_piece([&out](std::string_view piece) {
        out.write(piece.data(), static_cast<std::streamsize>(piece.size()));
    });
}

} // namespace vantri
