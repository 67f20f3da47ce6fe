#include "host/render/ScenePicture.h"

#include "host/draw/Viewport.h"

namespace vantri {

void draw_scene(Document& document, const ShapeLibrary& shapes, DisplayList& display,
                RenderList& out) {
    out = RenderList{};
    draw_document(document, display);
    add_scene_shapes(document, shapes, out);
    add_display_list(display, out);
    add_facing_marks(out);
}

} // namespace vantri
