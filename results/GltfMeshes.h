// The shapes of a run in scene.glb: one mesh per shape (agents of one source object share
// it), one material per generator and one per kind of scene piece. Curves are drawn as thin
// tubes, as viewers draw glTF lines as nothing or one pixel wide; the curves themselves go
// into their nodes' extras.
#pragma once

#include "results/GlbFile.h"
#include "results/GltfDocument.h"
#include "results/RunRecording.h"

namespace vantri {

/// Adds the materials and one mesh per shape of `recording` (mesh i shows shape i) to
/// `document`, their vertices and indices to `binary`.
void add_gltf_meshes(const RunRecording& recording, GltfDocument& document, GlbBinary& binary);

/// A shape's curves as a node's extras keep them: per curve its points in the export space,
/// x, y, z after another, and whether it closes.
nlohmann::json curve_extras(const ExportedShape& shape);

} // namespace vantri
