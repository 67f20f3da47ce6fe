#include "results/GlbFile.h"

#include "results/GltfDocument.h"

#include <cassert>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <fstream>

namespace vantri {

namespace {

constexpr uint32_t kMagic = 0x46546C67;     // "glTF"
constexpr uint32_t kJsonChunk = 0x4E4F534A; // "JSON"
constexpr uint32_t kBinChunk = 0x004E4942;  // "BIN\0"
constexpr uint32_t kVersion = 2;

size_t padded(size_t size) {
    return (size + 3) & ~size_t(3);
}

void put_word(std::ostream& out, uint32_t word) {
    const unsigned char bytes[4] = {
        static_cast<unsigned char>(word), static_cast<unsigned char>(word >> 8),
        static_cast<unsigned char>(word >> 16), static_cast<unsigned char>(word >> 24)};
    out.write(reinterpret_cast<const char*>(bytes), 4);
}

void put_padding(std::ostream& out, size_t count, char fill) {
    for (size_t i = 0; i < count; ++i)
        out.put(fill);
}

} // namespace

void GlbPartStream::write(const void* bytes, size_t size) {
    out_.write(static_cast<const char*>(bytes), static_cast<std::streamsize>(size));
    written_ += size;
}

void GlbPartStream::write(const std::vector<float>& values) {
    static_assert(sizeof(float) == 4, "glTF floats are 32-bit");
    // The machines we build for are little-endian, as glTF's binary chunk is.
    write(values.data(), values.size() * sizeof(float));
}

size_t GlbBinary::start_part(size_t size) {
    Part part;
    part.offset = padded(size_);
    part.size = size;
    size_ = part.offset + size;
    parts_.push_back(std::move(part));
    return parts_.back().offset;
}

size_t GlbBinary::add(const void* bytes, size_t size) {
    const size_t offset = start_part(size);
    const auto* first = static_cast<const unsigned char*>(bytes);
    parts_.back().bytes.assign(first, first + size);
    return offset;
}

size_t GlbBinary::reserve(size_t size, Filler fill) {
    const size_t offset = start_part(size);
    parts_.back().fill = std::move(fill);
    return offset;
}

Status GlbBinary::write(std::ostream& out) const {
    size_t at = 0;
    for (const Part& part : parts_) {
        put_padding(out, part.offset - at, '\0');
        if (part.fill) {
            GlbPartStream stream(out);
            part.fill(stream);
            assert(stream.written() == part.size && "a part writes what it reserved");
            if (stream.written() != part.size)
                return failure("a part of the binary chunk wrote " +
                               std::to_string(stream.written()) + " bytes instead of " +
                               std::to_string(part.size));
        } else {
            out.write(reinterpret_cast<const char*>(part.bytes.data()),
                      static_cast<std::streamsize>(part.size));
        }
        at = part.offset + part.size;
    }
    put_padding(out, padded(at) - at, '\0');
    return {};
}

Status write_glb(const std::string& path, const GltfDocument& json, const GlbBinary& binary) {
    const size_t json_bytes = json.size();
    const size_t json_size = padded(json_bytes);
    const size_t bin_size = padded(binary.size());
    const size_t total = 12 + 8 + json_size + (bin_size > 0 ? 8 + bin_size : 0);
    if (total > UINT32_MAX)
        return failure(path + ": the scene would take " + std::to_string(total) +
                       " bytes, more than a .glb file can hold (4 GiB); play fewer frames or "
                       "leave scene.glb out with --outputs");
    std::ofstream out(path, std::ios::binary);
    if (!out) return failure(path + ": cannot create the file: " + std::strerror(errno));
    put_word(out, kMagic);
    put_word(out, kVersion);
    put_word(out, static_cast<uint32_t>(total));
    put_word(out, static_cast<uint32_t>(json_size));
    put_word(out, kJsonChunk);
    json.write(out);
    put_padding(out, json_size - json_bytes, ' ');
    if (bin_size > 0) {
        put_word(out, static_cast<uint32_t>(bin_size));
        put_word(out, kBinChunk);
        if (Status written = binary.write(out); !written) return written;
    }
    out.close();
    if (!out) return failure(path + ": could not write the file (is the disk full?)");
    return {};
}

} // namespace vantri
