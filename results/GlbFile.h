// A glTF binary file (.glb) written in one pass: the header, the JSON chunk and the binary
// chunk. The binary chunk is planned before it is written: small parts (meshes, key times)
// are held in memory, and large ones (a crowd's keys) are reserved by size and produced by
// a function while the file is written, so that they never exist whole in memory.
#pragma once

#include "host/Status.h"

#include <cstddef>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

namespace vantri {

/// Where a reserved part of the binary chunk is written; counts what it is given.
class GlbPartStream {
  public:
    explicit GlbPartStream(std::ostream& out) : out_(out) {}
    void write(const void* bytes, size_t size);
    /// Floats as little-endian 32-bit values.
    void write(const std::vector<float>& values);
    size_t written() const { return written_; }

  private:
    std::ostream& out_;
    size_t written_ = 0;
};

/// The binary chunk's plan. Every part starts at a multiple of 4 bytes.
class GlbBinary {
  public:
    using Filler = std::function<void(GlbPartStream& out)>;

    /// Keeps a copy of `bytes` for the file; returns where it starts in the chunk.
    size_t add(const void* bytes, size_t size);
    /// Reserves `size` bytes that `fill` writes, exactly, when the file is written; returns
    /// where they start in the chunk.
    size_t reserve(size_t size, Filler fill);
    /// The chunk's length so far, padding included.
    size_t size() const { return size_; }

    /// Writes the chunk's parts in order; fails when a filler wrote another size than it
    /// reserved.
    Status write(std::ostream& out) const;

  private:
    struct Part {
        size_t offset = 0, size = 0;
        std::vector<unsigned char> bytes; ///< empty for a reserved part
        Filler fill;
    };
    size_t start_part(size_t size);

    std::vector<Part> parts_;
    size_t size_ = 0;
};

struct GltfDocument;

/// Writes `json` (a glTF document whose one buffer is the binary chunk) and `binary` to
/// `path` as a .glb file. Fails, naming the file, when it cannot be written or would pass
/// the 4 GiB that a .glb file can hold.
Status write_glb(const std::string& path, const GltfDocument& json, const GlbBinary& binary);

} // namespace vantri
