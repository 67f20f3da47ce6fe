// scene.glb: the run as a glTF 2.0 binary that other tools load (Blender, game engines,
// three.js), in glTF's right-handed Y-up metres (see ExportSpace.h).
//
// - One mesh per shape, shared: every agent of a source object instances that object's
//   mesh; scene pieces (obstacles, terrain, curves as line strips, scenery) have their own.
// - One node per generator (no transform, the group of its agents), one node per agent
//   (extras: "agent" index and "generator" name) and one node per scene piece (extras:
//   "kind" and "object").
// - One animation, "run", with a key at every recorded frame (time (frame - first) / fps
//   seconds): the translation and rotation of every agent, and of every piece that moves. An
//   agent that a frame lacks keeps its place and gets a scale channel that is 0 there.
//
// The file is written in one pass (GlbFile.h): the document is built as text, a few hundred
// bytes per agent, and the agents' keys go from the recording straight into the binary chunk
// as it is written, so that writing holds little besides the recording.
#pragma once

#include "host/Status.h"
#include "results/RunRecording.h"

#include <string>

namespace vantri {

/// Writes `recording` to `path`; `scene` names the scene file in the asset's extras. Fails
/// when the file cannot be written.
Status write_scene_glb(const RunRecording& recording, const std::string& scene,
                       const std::string& path);

} // namespace vantri
