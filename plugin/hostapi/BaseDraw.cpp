#include "plugin/hostapi/BaseDraw.h"

#include "plugin/hostapi/host_binding.h"

void BaseDraw::SetDrawingMatrix(BaseObject* op, const LMatrix& m) {
    const VtMatrix abi = ToAbi(m);
    if (const VtDrawTable* draw = vt::DrawTable())
        draw->set_matrix(Handle(), op != nullptr ? op->Handle() : nullptr, &abi);
}

void BaseDraw::SetPen(const LVector& colour, int32_t flags) {
    const VtVector abi = ToAbi(colour);
    if (const VtDrawTable* draw = vt::DrawTable()) draw->set_pen(Handle(), &abi, flags);
}

void BaseDraw::DrawLine(const LVector& from, const LVector& to, int32_t flags) {
    const VtVector a = ToAbi(from), b = ToAbi(to);
    if (const VtDrawTable* draw = vt::DrawTable()) draw->line(Handle(), &a, &b, flags);
}

void BaseDraw::DrawCircle(const LMatrix& m) {
    const VtMatrix abi = ToAbi(m);
    if (const VtDrawTable* draw = vt::DrawTable()) draw->circle(Handle(), &abi);
}

void BaseDraw::DrawBox(const LMatrix& m, double size, const LVector& colour, Bool wire) {
    const VtMatrix abi = ToAbi(m);
    const VtVector c = ToAbi(colour);
    if (const VtDrawTable* draw = vt::DrawTable())
        draw->box(Handle(), &abi, size, &c, wire ? 1 : 0);
}

void BaseDraw::DrawTexture(const BaseBitmap* bitmap, const LVector* points, const LVector* colours,
                           const LVector* normals, const LVector* uvs, int32_t count,
                           int32_t alpha_mode, int32_t flags) {
    // The host takes polygons of 3 or 4 vertices; anything else draws nothing.
    if (count < 3 || count > 4 || points == nullptr || colours == nullptr || normals == nullptr ||
        uvs == nullptr)
        return;
    VtVector p[4], c[4], n[4], t[4];
    for (int32_t k = 0; k < count; ++k) {
        p[k] = ToAbi(points[k]);
        c[k] = ToAbi(colours[k]);
        n[k] = ToAbi(normals[k]);
        t[k] = ToAbi(uvs[k]);
    }
    if (const VtDrawTable* draw = vt::DrawTable())
        draw->textured_polygon(Handle(), bitmap != nullptr ? bitmap->Handle() : nullptr, p, c, n, t,
                               count, alpha_mode, flags);
}

LMatrix BaseDrawHelp::GetMg() {
    VtMatrix m = ToAbi(LMatrix());
    if (const VtDrawTable* draw = vt::DrawTable()) draw->help_get_mg(Handle(), &m);
    return FromAbi(m);
}
