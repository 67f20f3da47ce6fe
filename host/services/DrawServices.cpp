// Viewport drawing: what an object's Draw asks for is recorded into the viewport's display
// list.
#include "host/services/Services.h"

#include "host/draw/Bitmap.h"
#include "host/draw/Viewport.h"
#include "host/scene/SceneObject.h"

namespace vantri {

namespace {

Viewport* viewport_of(VtDraw* h) {
    return Viewport::from(h);
}

void set_matrix(VtDraw* draw, VtAtom* object, const VtMatrix* m) {
    Viewport* viewport = viewport_of(draw);
    if (viewport == nullptr || m == nullptr) return;
    viewport->set_matrix(object != nullptr ? SceneObject::from(object) : nullptr, *m);
}

void set_pen(VtDraw* draw, const VtVector* colour, int32_t flags) {
    Viewport* viewport = viewport_of(draw);
    if (viewport == nullptr || colour == nullptr) return;
    viewport->set_pen(*colour, flags);
}

void line(VtDraw* draw, const VtVector* from, const VtVector* to, int32_t flags) {
    Viewport* viewport = viewport_of(draw);
    if (viewport == nullptr || from == nullptr || to == nullptr) return;
    viewport->line(*from, *to, flags);
}

void circle(VtDraw* draw, const VtMatrix* m) {
    Viewport* viewport = viewport_of(draw);
    if (viewport == nullptr || m == nullptr) return;
    viewport->circle(*m);
}

void box(VtDraw* draw, const VtMatrix* m, double size, const VtVector* colour, int32_t wire) {
    Viewport* viewport = viewport_of(draw);
    if (viewport == nullptr || m == nullptr || colour == nullptr) return;
    viewport->box(*m, size, *colour, wire != 0);
}

/// The bitmap's pixels as they are now, and where they came from.
TextureSnapshot snapshot(const Bitmap& bitmap) {
    TextureSnapshot t;
    t.width = bitmap.width();
    t.height = bitmap.height();
    t.pixels = bitmap.pixels();
    t.serial = bitmap.serial();
    t.copied_from = bitmap.copied_from();
    t.from_clip_map = bitmap.owned_by_clip_map();
    if (const Bitmap* source = t.copied_from != 0 ? Bitmap::find_serial(t.copied_from) : nullptr) {
        t.source_pixels = source->pixels();
        t.source_from_clip_map = source->owned_by_clip_map();
    }
    return t;
}

void textured_polygon(VtDraw* draw, const VtBitmap* bitmap, const VtVector* points,
                      const VtVector* colours, const VtVector* normals, const VtVector* uvs,
                      int32_t count, int32_t alpha_mode, int32_t flags) {
    Viewport* viewport = viewport_of(draw);
    if (viewport == nullptr || bitmap == nullptr || points == nullptr || colours == nullptr ||
        normals == nullptr || uvs == nullptr || count < 3 || count > 4)
        return;
    drawn::TexturedQuad quad;
    quad.count = count;
    for (int32_t k = 0; k < count; ++k) {
        quad.points[k] = points[k];
        quad.colours[k] = colours[k];
        quad.normals[k] = normals[k];
        quad.uvs[k] = uvs[k];
    }
    quad.alpha_mode = alpha_mode;
    quad.texture_flags = flags;
    quad.texture = snapshot(*reinterpret_cast<const Bitmap*>(bitmap));
    viewport->textured_quad(std::move(quad));
}

void help_get_mg(VtDrawHelp* help, VtMatrix* out) {
    DrawContext* context = DrawContext::from(help);
    if (out == nullptr) return;
    *out = context != nullptr ? context->global : kIdentityMatrix;
}

const VtDrawTable kDraw = {
    .size = sizeof(VtDrawTable),
    .set_matrix = set_matrix,
    .set_pen = set_pen,
    .line = line,
    .circle = circle,
    .box = box,
    .textured_polygon = textured_polygon,
    .help_get_mg = help_get_mg,
};

} // namespace

const VtDrawTable* draw_table() {
    return &kDraw;
}

} // namespace vantri
