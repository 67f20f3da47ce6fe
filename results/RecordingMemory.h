// What scene.glb and preview.html hold in memory beside the plug-in's crews, known before the
// first frame from the crews and the frame count: the recording of every agent at every
// frame, kept until the end, and what each file's writer adds while it writes. The figures
// are what the writers hold at least, so that a run refused for them could not have fitted.
#pragma once

#include "host/scene/Document.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

namespace vantri {

/// One generator's crew as the estimate takes it.
struct RecordedCrew {
    uint64_t agents = 0;
    std::string name;
};

struct RecordingMemory {
    double recording = 0; ///< the poses of every agent at every frame, and per agent its shape
    double glb = 0;       ///< scene.glb's document (nodes, accessors, channels) while written
    double html = 0;      ///< preview.html's description of the agents while written
    /// The most held at once: the recording, and the larger of the two writers' own, as
    /// one file is written after the other.
    double peak() const { return recording + std::max(glb, html); }
};

/// The estimate for `crews` over `frames` frames with `pieces` scene pieces (recording_pieces)
/// and the files asked for.
RecordingMemory recording_memory(const std::vector<RecordedCrew>& crews, uint64_t frames,
                                 size_t pieces, bool glb, bool html);

/// The least scene.glb takes on disk: the agents' keys and their part of the document.
double glb_file_bytes(const std::vector<RecordedCrew>& crews, uint64_t frames);

/// The scene pieces that a recording of `document` keeps a matrix of at every frame: the
/// objects outside the generators that are obstacles or nulls or have polygons or a curve.
size_t recording_pieces(const Document& document);

} // namespace vantri
