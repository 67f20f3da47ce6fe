// preview.html: one self-contained page that plays the run in 3D in any browser, opened
// from disk with no network: three.js, the player script and the whole run are inlined.
// Agents are drawn with one instanced mesh per source object, coloured by generator; the
// obstacles, terrain, curves and scenery stand where they are. The page has an orbit
// camera, play/pause, a frame slider with the frame number, a speed choice and a top view.
#pragma once

#include "host/Status.h"
#include "results/RunRecording.h"

#include <string>

namespace vantri {

/// Writes the page for `recording` to `path`; `scene` is the scene file's path (its name
/// titles the page). Fails when the file cannot be written.
Status write_preview_page(const RunRecording& recording, const std::string& scene,
                          const std::string& path);

} // namespace vantri
