// A picture of a document as it stands: the scene's own shapes, and the guides its plug-in
// objects draw in the viewport.
#pragma once

#include "host/render/SceneShapes.h"

namespace vantri {

/// Asks the document's objects to draw (into `display`, emptied first) and collects that with
/// the scene's shapes and a facing mark on every agent into `out` (emptied first). `out`
/// refers to textures in `display`.
void draw_scene(Document& document, const ShapeLibrary& shapes, DisplayList& display,
                RenderList& out);

} // namespace vantri
