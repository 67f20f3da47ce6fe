#include "host/render/Raster.h"

#include "host/scene/Transform.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>

namespace vantri {

namespace {

/// Sub-pixel steps per pixel of the fixed-point positions the rasteriser works in.
constexpr int64_t kSubpixel = 256;
/// The grid is drawn only while its line indices are exact doubles and the lines each way
/// are few; beyond that (an extent near the double range) it is left out.
constexpr double kMaxGridIndex = 9007199254740992.0; // 2^53
constexpr double kMaxGridLines = 1000.0;
/// Polygons are cut to this many picture sizes around the picture, which keeps the
/// fixed-point arithmetic far from overflow whatever the projection gives.
constexpr double kGuardBand = 2.0;

/// A polygon corner on its way to the screen: a scene point or a picture point, and values
/// that vary linearly over the polygon (texture coordinates, or colour and depth).
struct Corner {
    VtVector p{}; ///< scene point (before projection)
    double x = 0, y = 0;
    double key = 0;   ///< depth order: smaller is nearer; linear on the picture
    double a[3] = {}; ///< attributes, linear on the picture
};

Corner lerp(const Corner& c0, const Corner& c1, double t) {
    Corner c;
    c.p = {c0.p.x + (c1.p.x - c0.p.x) * t, c0.p.y + (c1.p.y - c0.p.y) * t,
           c0.p.z + (c1.p.z - c0.p.z) * t};
    c.x = c0.x + (c1.x - c0.x) * t;
    c.y = c0.y + (c1.y - c0.y) * t;
    c.key = c0.key + (c1.key - c0.key) * t;
    for (int i = 0; i < 3; ++i)
        c.a[i] = c0.a[i] + (c1.a[i] - c0.a[i]) * t;
    return c;
}

/// Keeps the part of a polygon where distance(corner) >= 0 (Sutherland and Hodgman).
template <typename Distance>
std::vector<Corner> clip(const std::vector<Corner>& polygon, Distance distance) {
    std::vector<Corner> kept;
    const size_t n = polygon.size();
    for (size_t i = 0; i < n; ++i) {
        const Corner& a = polygon[i];
        const Corner& b = polygon[(i + 1) % n];
        const double da = distance(a), db = distance(b);
        if (da >= 0) kept.push_back(a);
        if ((da >= 0) != (db >= 0)) kept.push_back(lerp(a, b, da / (da - db)));
    }
    return kept;
}

/// Projects the corners (scene points, attributes in scene terms) onto the picture, cutting
/// away what lies nearer than the camera's near depth (perspective) and far outside the
/// picture. In perspective the attributes are divided by depth and a[2] becomes 1/depth, so
/// that they stay linear on the picture.
std::vector<Corner> to_screen(std::vector<Corner> polygon, const Camera& camera) {
    if (camera.perspective()) {
        const double near = camera.near_depth();
        polygon = clip(polygon, [&](const Corner& c) { return camera.depth_of(c.p) - near; });
    }
    for (Corner& c : polygon) {
        const ScreenPoint s = camera.project(c.p);
        c.x = s.x;
        c.y = s.y;
        if (camera.perspective()) {
            const double w = 1.0 / s.depth;
            c.key = -w;
            c.a[0] *= w;
            c.a[1] *= w;
            c.a[2] = w;
        } else {
            c.key = s.depth;
            c.a[2] = 1.0;
        }
    }
    const double w = camera.width(), h = camera.height();
    const double left = -kGuardBand * w, right = (1 + kGuardBand) * w;
    const double top = -kGuardBand * h, bottom = (1 + kGuardBand) * h;
    polygon = clip(polygon, [&](const Corner& c) { return c.x - left; });
    polygon = clip(polygon, [&](const Corner& c) { return right - c.x; });
    polygon = clip(polygon, [&](const Corner& c) { return c.y - top; });
    polygon = clip(polygon, [&](const Corner& c) { return bottom - c.y; });
    // A corner beyond the double range (an overflowed projection) cannot be placed: such a
    // polygon is left out rather than cast to fixed point.
    for (const Corner& c : polygon) {
        if (!(c.x >= left && c.x <= right && c.y >= top && c.y <= bottom)) return {};
    }
    return polygon;
}

struct Fixed {
    int64_t x, y;
};

Fixed fixed(const Corner& c) {
    return Fixed{static_cast<int64_t>(std::llround(c.x * kSubpixel)),
                 static_cast<int64_t>(std::llround(c.y * kSubpixel))};
}

int64_t edge(const Fixed& a, const Fixed& b, int64_t px, int64_t py) {
    return (b.x - a.x) * (py - a.y) - (b.y - a.y) * (px - a.x);
}

/// Whether an edge is a top or left edge of a triangle wound so that its area is positive
/// (with y down): pixels exactly on such an edge belong to the triangle, on others not, so
/// triangles that share an edge never both draw its pixels.
bool top_left(const Fixed& a, const Fixed& b) {
    const int64_t dx = b.x - a.x, dy = b.y - a.y;
    return dy < 0 || (dy == 0 && dx > 0);
}

/// Calls fill(x, y, weights) for every pixel whose centre lies in the triangle, with the
/// triangle's barycentric weights at that centre.
template <typename Fill>
void triangle(const Corner& c0, const Corner& c1, const Corner& c2, int32_t width, int32_t height,
              Fill fill) {
    Fixed v[3] = {fixed(c0), fixed(c1), fixed(c2)};
    const Corner* corner[3] = {&c0, &c1, &c2};
    int64_t area = edge(v[0], v[1], v[2].x, v[2].y);
    if (area == 0) return;
    if (area < 0) {
        std::swap(v[1], v[2]);
        std::swap(corner[1], corner[2]);
        area = -area;
    }
    const int64_t min_x = std::min({v[0].x, v[1].x, v[2].x});
    const int64_t max_x = std::max({v[0].x, v[1].x, v[2].x});
    const int64_t min_y = std::min({v[0].y, v[1].y, v[2].y});
    const int64_t max_y = std::max({v[0].y, v[1].y, v[2].y});
    const int64_t first_x = std::max<int64_t>(0, min_x / kSubpixel - 1);
    const int64_t last_x = std::min<int64_t>(width - 1, max_x / kSubpixel + 1);
    const int64_t first_y = std::max<int64_t>(0, min_y / kSubpixel - 1);
    const int64_t last_y = std::min<int64_t>(height - 1, max_y / kSubpixel + 1);
    const bool owns[3] = {top_left(v[1], v[2]), top_left(v[2], v[0]), top_left(v[0], v[1])};
    for (int64_t y = first_y; y <= last_y; ++y) {
        const int64_t py = y * kSubpixel + kSubpixel / 2;
        for (int64_t x = first_x; x <= last_x; ++x) {
            const int64_t px = x * kSubpixel + kSubpixel / 2;
            const int64_t e[3] = {edge(v[1], v[2], px, py), edge(v[2], v[0], px, py),
                                  edge(v[0], v[1], px, py)};
            bool inside = true;
            for (int k = 0; k < 3; ++k) {
                if (e[k] < 0 || (e[k] == 0 && !owns[k])) inside = false;
            }
            if (!inside) continue;
            const double whole = static_cast<double>(area);
            const double weights[3] = {static_cast<double>(e[0]) / whole,
                                       static_cast<double>(e[1]) / whole,
                                       static_cast<double>(e[2]) / whole};
            fill(static_cast<int32_t>(x), static_cast<int32_t>(y), weights, corner);
        }
    }
}

/// Fills a convex polygon as a fan of triangles.
template <typename Fill>
void polygon(const std::vector<Corner>& corners, int32_t width, int32_t height, Fill fill) {
    for (size_t i = 1; i + 1 < corners.size(); ++i)
        triangle(corners[0], corners[i], corners[i + 1], width, height, fill);
}

/// A segment on the picture, with the depth order (key) of its ends.
struct ScreenSegment {
    double x0 = 0, y0 = 0, k0 = 0, x1 = 0, y1 = 0, k1 = 0;
};

/// Cuts a segment to the picture with a pixel to spare (Liang and Barsky); false when
/// nothing of it shows. The keys are cut with it: they are linear on the picture.
bool clip_segment(ScreenSegment& s, double w, double h) {
    double t0 = 0.0, t1 = 1.0;
    const double dx = s.x1 - s.x0, dy = s.y1 - s.y0, dk = s.k1 - s.k0;
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {s.x0 + 1.0, w + 1.0 - s.x0, s.y0 + 1.0, h + 1.0 - s.y0};
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0) {
            if (q[i] < 0) return false;
            continue;
        }
        const double t = q[i] / p[i];
        if (p[i] < 0)
            t0 = std::max(t0, t);
        else
            t1 = std::min(t1, t);
    }
    if (!(t0 <= t1)) return false;
    const ScreenSegment whole = s;
    s.x0 = whole.x0 + dx * t0;
    s.y0 = whole.y0 + dy * t0;
    s.k0 = whole.k0 + dk * t0;
    s.x1 = whole.x0 + dx * t1;
    s.y1 = whole.y0 + dy * t1;
    s.k1 = whole.k0 + dk * t1;
    // An end the arithmetic could not place (a difference beyond the double range) leaves
    // the segment out: the line loop runs only between pixels near the picture.
    const auto near_picture = [&](double x, double y) {
        return x >= -2.0 && x <= w + 2.0 && y >= -2.0 && y <= h + 2.0;
    };
    return near_picture(s.x0, s.y0) && near_picture(s.x1, s.y1);
}

/// The depth order of a point at `depth`: smaller is nearer, and linear on the picture.
double depth_key(const Camera& camera, double depth) {
    return camera.perspective() ? -1.0 / depth : depth;
}

/// A scene segment on the picture: cut where it passes nearer than the camera's near depth,
/// then to the picture.
bool project_segment(const Camera& camera, const VtVector& from, const VtVector& to,
                     ScreenSegment& out) {
    Corner a, b;
    a.p = from;
    b.p = to;
    if (camera.perspective()) {
        const double near = camera.near_depth();
        const double da = camera.depth_of(a.p) - near, db = camera.depth_of(b.p) - near;
        if (!(da >= 0) && !(db >= 0)) return false;
        if (!(da >= 0))
            a = lerp(a, b, da / (da - db));
        else if (!(db >= 0))
            b = lerp(a, b, da / (da - db));
    }
    const ScreenPoint sa = camera.project(a.p), sb = camera.project(b.p);
    out = ScreenSegment{sa.x, sa.y, depth_key(camera, sa.depth),
                        sb.x, sb.y, depth_key(camera, sb.depth)};
    if (!std::isfinite(out.x0) || !std::isfinite(out.y0) || !std::isfinite(out.x1) ||
        !std::isfinite(out.y1))
        return false;
    return clip_segment(out, camera.width(), camera.height());
}

/// A line one pixel wide (Bresenham between the pixels that hold its ends). A line that is
/// not on top is hidden where the depth buffer holds a nearer surface.
void draw_line(RgbImage& image, const Camera& camera, const RenderLine& line,
               const std::vector<double>* depth) {
    ScreenSegment s;
    if (!project_segment(camera, line.from, line.to, s)) return;
    int64_t px = static_cast<int64_t>(std::floor(s.x0)),
            py = static_cast<int64_t>(std::floor(s.y0));
    const int64_t qx = static_cast<int64_t>(std::floor(s.x1)),
                  qy = static_cast<int64_t>(std::floor(s.y1));
    const int64_t dx = std::llabs(qx - px), dy = -std::llabs(qy - py);
    const int64_t sx = px < qx ? 1 : -1, sy = py < qy ? 1 : -1;
    const double steps = static_cast<double>(std::max(dx, -dy));
    const bool tested = !line.on_top && depth != nullptr;
    int64_t error = dx + dy, step = 0;
    while (true) {
        if (image.contains(static_cast<int32_t>(px), static_cast<int32_t>(py))) {
            const size_t at = static_cast<size_t>(py) * static_cast<size_t>(image.width) +
                              static_cast<size_t>(px);
            const double key =
                steps > 0 ? s.k0 + (s.k1 - s.k0) * (static_cast<double>(step) / steps) : s.k0;
            if (!tested || !(key > (*depth)[at]))
                image.set(static_cast<int32_t>(px), static_cast<int32_t>(py), line.colour);
        }
        if (px == qx && py == qy) break;
        const int64_t twice = 2 * error;
        if (twice >= dy) {
            error += dy;
            px += sx;
        }
        if (twice <= dx) {
            error += dx;
            py += sy;
        }
        ++step;
    }
}

uint8_t blend(uint8_t under, uint16_t over, uint32_t alpha) {
    // over and alpha are 16-bit; the result rounds to 8 bits.
    const uint64_t o = over, u = widen_channel(under);
    const uint64_t mixed = (o * alpha + u * (65535 - alpha) + 32767) / 65535;
    return narrow_channel(static_cast<uint16_t>(mixed));
}

void draw_texture(RgbImage& image, const Camera& camera, const RenderTexture& texture) {
    const TextureSnapshot& t = *texture.texture;
    std::vector<Corner> corners(static_cast<size_t>(texture.count));
    for (int32_t k = 0; k < texture.count; ++k) {
        corners[k].p = texture.points[k];
        corners[k].a[0] = texture.uvs[k].x;
        corners[k].a[1] = texture.uvs[k].y;
    }
    corners = to_screen(corners, camera);
    polygon(corners, image.width, image.height,
            [&](int32_t x, int32_t y, const double* w, const Corner* const* c) {
                double a[3];
                for (int i = 0; i < 3; ++i)
                    a[i] = w[0] * c[0]->a[i] + w[1] * c[1]->a[i] + w[2] * c[2]->a[i];
                if (!(a[2] > 0)) return;
                const double u = a[0] / a[2], v = a[1] / a[2];
                if (!std::isfinite(u) || !std::isfinite(v)) return;
                // Nearest texel; v = 0 is the bottom row of the texture.
                const auto tx =
                    static_cast<int32_t>(std::clamp(std::floor(u * t.width), 0.0, t.width - 1.0));
                const auto ty = static_cast<int32_t>(
                    std::clamp(std::floor((1.0 - v) * t.height), 0.0, t.height - 1.0));
                const Pixel16 texel = t.pixel(tx, ty);
                if (texel.a == 0) return;
                const Rgb under = image.at(x, y);
                image.set(x, y,
                          Rgb{blend(under.r, texel.r, texel.a), blend(under.g, texel.g, texel.a),
                              blend(under.b, texel.b, texel.a)});
            });
}

/// 1, 2 or 5 times a power of ten, the least at or above `x`.
double nice_step(double x) {
    if (!(x > 0) || !std::isfinite(x)) return 1.0;
    double power = 1.0;
    while (power * 10 <= x)
        power *= 10;
    while (power > x && power > 1e-6)
        power /= 10;
    for (double m : {1.0, 2.0, 5.0, 10.0}) {
        if (power * m >= x) return power * m;
    }
    return power * 10;
}

} // namespace

bool screen_segment(const Camera& camera, const VtVector& from, const VtVector& to, double& x0,
                    double& y0, double& x1, double& y1) {
    ScreenSegment s;
    if (!project_segment(camera, from, to, s)) return false;
    x0 = s.x0;
    y0 = s.y0;
    x1 = s.x1;
    y1 = s.y1;
    return true;
}

std::vector<ScreenPoint> screen_polygon(const Camera& camera, const VtVector* points,
                                        int32_t count) {
    std::vector<Corner> corners(static_cast<size_t>(std::max(count, 0)));
    for (int32_t k = 0; k < count; ++k)
        corners[k].p = points[k];
    corners = to_screen(corners, camera);
    std::vector<ScreenPoint> out;
    if (corners.size() < 3) return out;
    for (const Corner& c : corners)
        out.push_back(ScreenPoint{c.x, c.y, camera.depth_of(c.p)});
    return out;
}

RgbImage::RgbImage(int32_t w, int32_t h, Rgb fill)
    : width(std::clamp(w, 1, kMaxPictureSide)), height(std::clamp(h, 1, kMaxPictureSide)),
      rgb(static_cast<size_t>(width) * static_cast<size_t>(height) * 3) {
    for (size_t i = 0; i < rgb.size(); i += 3) {
        rgb[i] = fill.r;
        rgb[i + 1] = fill.g;
        rgb[i + 2] = fill.b;
    }
}

Rgb RgbImage::at(int32_t x, int32_t y) const {
    const size_t i =
        (static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)) * 3;
    return Rgb{rgb[i], rgb[i + 1], rgb[i + 2]};
}

void RgbImage::set(int32_t x, int32_t y, Rgb c) {
    const size_t i =
        (static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)) * 3;
    rgb[i] = c.r;
    rgb[i + 1] = c.g;
    rgb[i + 2] = c.b;
}

Rgb shade(Rgb colour, const VtVector& normal) {
    const double length = std::sqrt(dot(normal, normal)) * std::sqrt(dot(kLightFrom, kLightFrom));
    const double facing = length > 0 ? std::abs(dot(normal, kLightFrom)) / length : 0.0;
    const double light = 0.35 + 0.65 * facing;
    const auto lit = [&](uint8_t c) {
        return static_cast<uint8_t>(std::clamp(std::lround(c * light), 0L, 255L));
    };
    return Rgb{lit(colour.r), lit(colour.g), lit(colour.b)};
}

std::vector<RenderLine> grid_lines(const Camera& camera) {
    // The plane of the grid, as two scene axes, and the visible extent along them.
    VtVector across{1, 0, 0}, along{0, 0, 1};
    if (camera.view() == CameraView::Front) along = {0, 1, 0};
    if (camera.view() == CameraView::Side) across = {0, 0, 1}, along = {0, 1, 0};
    const double extent = std::max(camera.width(), camera.height()) * camera.units_per_pixel() *
                          (camera.perspective() ? 1.5 : 0.5);
    if (!std::isfinite(extent) || !(extent > 0)) return {};
    const double step = nice_step(extent / 6);
    const VtVector c = camera.centre();
    const double ca = dot(c, across), cb = dot(c, along);
    // The indices of the first and last line each way. A framing far from the origin (or
    // beyond the double range) would give indices no int64 holds or a loop of ~2^63 lines:
    // then there is no grid.
    const auto index_range = [&](double centre) -> std::optional<std::pair<int64_t, int64_t>> {
        const double first = std::floor((centre - extent) / step);
        const double last = std::ceil((centre + extent) / step);
        if (!(std::abs(first) < kMaxGridIndex && std::abs(last) < kMaxGridIndex &&
              last - first < kMaxGridLines))
            return std::nullopt;
        return std::pair<int64_t, int64_t>{static_cast<int64_t>(first), static_cast<int64_t>(last)};
    };
    const auto a_range = index_range(ca), b_range = index_range(cb);
    if (!a_range || !b_range) return {};
    const auto [a0, a1] = *a_range;
    const auto [b0, b1] = *b_range;
    // The grid lies on the ground for the top and perspective views; for the front and side
    // views it stands across the view, where its depth does not matter.
    const auto point = [&](double a, double b) {
        return VtVector{across.x * a + along.x * b, across.y * a + along.y * b,
                        across.z * a + along.z * b};
    };
    std::vector<RenderLine> lines;
    const auto add = [&](int64_t i, const VtVector& from, const VtVector& to) {
        lines.push_back(RenderLine{from, to, i % 5 == 0 ? kGridMajor : kGridMinor});
    };
    // The grid's indices are small (about a dozen lines each way), so they are exact doubles.
    const auto at = [&](int64_t i) { return static_cast<double>(i) * step; };
    for (int64_t i = a0; i <= a1; ++i)
        add(i, point(at(i), at(b0)), point(at(i), at(b1)));
    for (int64_t i = b0; i <= b1; ++i)
        add(i, point(at(a0), at(i)), point(at(a1), at(i)));
    return lines;
}

RgbImage rasterise(const RenderList& list, const Camera& camera) {
    RgbImage image(camera.width(), camera.height(), kBackground);
    for (const RenderLine& line : grid_lines(camera))
        draw_line(image, camera, line, nullptr);

    std::vector<double> depth(static_cast<size_t>(image.width) * static_cast<size_t>(image.height),
                              std::numeric_limits<double>::infinity());
    for (const RenderFace& face : list.faces) {
        const Rgb colour = shade(face.colour, cross((face.points[1] - face.points[0]),
                                                    (face.points[2] - face.points[0])));
        std::vector<Corner> corners(static_cast<size_t>(face.count));
        for (int32_t k = 0; k < face.count; ++k)
            corners[k].p = face.points[k];
        corners = to_screen(corners, camera);
        polygon(corners, image.width, image.height,
                [&](int32_t x, int32_t y, const double* w, const Corner* const* c) {
                    const double key = w[0] * c[0]->key + w[1] * c[1]->key + w[2] * c[2]->key;
                    double& held = depth[static_cast<size_t>(y) * image.width + x];
                    if (!(key < held)) return;
                    held = key;
                    image.set(x, y, colour);
                });
    }
    for (const RenderOverlay& overlay : list.overlays) {
        if (const auto* line = std::get_if<RenderLine>(&overlay))
            draw_line(image, camera, *line, &depth);
        else if (const auto* texture = std::get_if<RenderTexture>(&overlay))
            draw_texture(image, camera, *texture);
    }
    return image;
}

} // namespace vantri
