#include "host/render/RenderList.h"

#include "host/scene/Transform.h"

#include <algorithm>
#include <cmath>

namespace vantri {

namespace {

uint8_t channel(double c) {
    if (!(c > 0.0)) return 0;
    if (c >= 1.0) return 255;
    return static_cast<uint8_t>(std::lround(c * 255.0));
}

VtVector add(const VtVector& a, const VtVector& b) {
    return {a.x + b.x, a.y + b.y, a.z + b.z};
}
VtVector scale(const VtVector& a, double s) {
    return {a.x * s, a.y * s, a.z * s};
}

void add_circle(const DrawItem& item, const drawn::Circle& circle, RenderList& out) {
    const Rgb colour = to_rgb(item.pen);
    VtVector previous = transform_point(item.matrix, add(circle.m.off, circle.m.v1));
    for (int32_t i = 1; i <= kCircleSegments; ++i) {
        const UnitPoint u = unit_circle_point(i);
        const VtVector local =
            add(circle.m.off, add(scale(circle.m.v1, u.c), scale(circle.m.v2, u.s)));
        const VtVector point = transform_point(item.matrix, local);
        out.line(previous, point, colour);
        previous = point;
    }
}

void add_box(const DrawItem& item, const drawn::Box& box, RenderList& out) {
    const Rgb colour = to_rgb(box.colour);
    VtVector corner[8];
    for (int32_t i = 0; i < 8; ++i) {
        const double sx = (i & 1) ? box.size : -box.size;
        const double sy = (i & 2) ? box.size : -box.size;
        const double sz = (i & 4) ? box.size : -box.size;
        const VtVector local =
            add(box.m.off, add(scale(box.m.v1, sx), add(scale(box.m.v2, sy), scale(box.m.v3, sz))));
        corner[i] = transform_point(item.matrix, local);
    }
    if (box.wire) {
        // The twelve edges: pairs of corners that differ in one bit.
        for (int32_t i = 0; i < 8; ++i) {
            for (int32_t bit = 1; bit < 8; bit <<= 1) {
                if ((i & bit) == 0) out.line(corner[i], corner[i | bit], colour);
            }
        }
        return;
    }
    static const int32_t kFaces[6][4] = {{0, 2, 3, 1}, {4, 5, 7, 6}, {0, 1, 5, 4},
                                         {2, 6, 7, 3}, {0, 4, 6, 2}, {1, 3, 7, 5}};
    for (const auto& face : kFaces) {
        RenderFace f;
        f.count = 4;
        for (int32_t k = 0; k < 4; ++k)
            f.points[k] = corner[face[k]];
        f.colour = colour;
        out.faces.push_back(f);
    }
}

void add_quad(const DrawItem& item, const drawn::TexturedQuad& quad, RenderList& out) {
    if (quad.count < 3 || quad.count > 4 || quad.texture.width <= 0 || quad.texture.height <= 0)
        return;
    RenderTexture texture;
    texture.count = quad.count;
    for (int32_t k = 0; k < quad.count; ++k) {
        texture.points[k] = transform_point(item.matrix, quad.points[k]);
        texture.uvs[k] = quad.uvs[k];
    }
    texture.texture = &quad.texture;
    out.overlays.push_back(texture);
}

void grow(const VtVector& p, VtVector& low, VtVector& high, bool& any) {
    if (!std::isfinite(p.x) || !std::isfinite(p.y) || !std::isfinite(p.z)) return;
    if (!any) {
        low = high = p;
        any = true;
        return;
    }
    low = {std::min(low.x, p.x), std::min(low.y, p.y), std::min(low.z, p.z)};
    high = {std::max(high.x, p.x), std::max(high.y, p.y), std::max(high.z, p.z)};
}

} // namespace

UnitPoint unit_circle_point(int32_t k) {
    // cos and sin of multiples of 2 pi / 64 from IEEE arithmetic alone (square roots and
    // products, which are exactly rounded everywhere), so that pictures do not depend on the
    // math library's last bit. The first quadrant is built by halving the right angle four
    // times and stepping with the angle-sum formulas; the others follow by symmetry.
    static const std::array<UnitPoint, 17> quadrant = [] {
        std::array<UnitPoint, 17> q{};
        double c = 0.0, s = 1.0; // pi / 2
        for (int32_t i = 0; i < 4; ++i) {
            const double half_c = std::sqrt((1.0 + c) / 2.0);
            s = std::sqrt((1.0 - c) / 2.0);
            c = half_c;
        }
        q[0] = {1.0, 0.0};
        q[16] = {0.0, 1.0};
        for (int32_t i = 1; i < 16; ++i)
            q[i] = {q[i - 1].c * c - q[i - 1].s * s, q[i - 1].s * c + q[i - 1].c * s};
        // Symmetric about 45 degrees, exactly.
        q[8] = {std::sqrt(0.5), std::sqrt(0.5)};
        for (int32_t i = 9; i < 16; ++i)
            q[i] = {q[16 - i].s, q[16 - i].c};
        return q;
    }();
    static_assert(kCircleSegments == 64, "the table holds a quarter of 64 steps");
    const int32_t step = ((k % 64) + 64) % 64;
    const int32_t turn = step / 16, i = step % 16;
    const UnitPoint p = quadrant[static_cast<size_t>(i)];
    switch (turn) {
    case 0:
        return p;
    case 1:
        return {-p.s, p.c};
    case 2:
        return {-p.c, -p.s};
    default:
        return {p.s, -p.c};
    }
}

Rgb to_rgb(const VtVector& colour) {
    return Rgb{channel(colour.x), channel(colour.y), channel(colour.z)};
}

void add_display_list(const DisplayList& list, RenderList& out) {
    for (const DrawItem& item : list.items) {
        if (const auto* line = std::get_if<drawn::Line>(&item.shape)) {
            out.line(transform_point(item.matrix, line->from),
                     transform_point(item.matrix, line->to), to_rgb(item.pen),
                     (line->flags & VT_DRAW_LINE_ON_TOP) != 0);
        } else if (const auto* circle = std::get_if<drawn::Circle>(&item.shape)) {
            add_circle(item, *circle, out);
        } else if (const auto* box = std::get_if<drawn::Box>(&item.shape)) {
            add_box(item, *box, out);
        } else if (const auto* quad = std::get_if<drawn::TexturedQuad>(&item.shape)) {
            add_quad(item, *quad, out);
        }
    }
}

std::vector<VtVector> points_of(const RenderList& list) {
    std::vector<VtVector> points;
    for (const RenderFace& face : list.faces)
        points.insert(points.end(), face.points.begin(), face.points.begin() + face.count);
    for (const RenderOverlay& overlay : list.overlays) {
        if (const auto* line = std::get_if<RenderLine>(&overlay)) {
            points.push_back(line->from);
            points.push_back(line->to);
        } else if (const auto* texture = std::get_if<RenderTexture>(&overlay)) {
            points.insert(points.end(), texture->points.begin(),
                          texture->points.begin() + texture->count);
        }
    }
    return points;
}

// The arrow reaches a little beyond the agent's front and lies in the plane of the agent's facing
// and the scene's up, so that from the top camera it points the way the agent walks.
void add_facing_marks(RenderList& list) {
    for (const RenderAgent& agent : list.agents) {
        if (dot(agent.forward, agent.forward) == 0 || !(agent.front > 0)) continue;
        VtVector side = cross(VtVector{0, 1, 0}, agent.forward);
        const double side_length = std::sqrt(dot(side, side));
        side = side_length > 1e-9 ? side * (1.0 / side_length) : VtVector{1, 0, 0};
        const VtVector tip = agent.position + agent.forward * (agent.front * 1.6);
        const VtVector back = tip - agent.forward * (agent.front * 0.6);
        list.line(agent.position, tip, kFacingMark);
        list.line(tip, back + side * (agent.front * 0.4), kFacingMark);
        list.line(tip, back - side * (agent.front * 0.4), kFacingMark);
    }
}

bool bounds_of(const RenderList& list, VtVector& low, VtVector& high) {
    bool any = false;
    for (const VtVector& p : points_of(list))
        grow(p, low, high, any);
    return any;
}

} // namespace vantri
