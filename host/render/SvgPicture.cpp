#include "host/render/SvgPicture.h"

#include "host/render/PngFile.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <numeric>

namespace vantri {

namespace {

std::string number(double v) {
    char buffer[48];
    // -0.00 and 0.00 are the same number on the picture.
    if (std::abs(v) < 0.005) v = 0.0;
    std::snprintf(buffer, sizeof buffer, "%.2f", v);
    return buffer;
}

std::string colour(Rgb c) {
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, "#%02x%02x%02x", c.r, c.g, c.b);
    return buffer;
}

std::string base64(const std::string& bytes) {
    static const char kDigits[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    out.reserve((bytes.size() + 2) / 3 * 4);
    for (size_t i = 0; i < bytes.size(); i += 3) {
        const uint32_t b0 = static_cast<uint8_t>(bytes[i]);
        const uint32_t b1 = i + 1 < bytes.size() ? static_cast<uint8_t>(bytes[i + 1]) : 0;
        const uint32_t b2 = i + 2 < bytes.size() ? static_cast<uint8_t>(bytes[i + 2]) : 0;
        const uint32_t n = (b0 << 16) | (b1 << 8) | b2;
        out += kDigits[(n >> 18) & 63];
        out += kDigits[(n >> 12) & 63];
        out += i + 1 < bytes.size() ? kDigits[(n >> 6) & 63] : '=';
        out += i + 2 < bytes.size() ? kDigits[n & 63] : '=';
    }
    return out;
}

void line(std::string& svg, const Camera& camera, const RenderLine& l) {
    double x0, y0, x1, y1;
    if (!screen_segment(camera, l.from, l.to, x0, y0, x1, y1)) return;
    svg += "<line x1=\"" + number(x0) + "\" y1=\"" + number(y0) + "\" x2=\"" + number(x1) +
           "\" y2=\"" + number(y1) + "\" stroke=\"" + colour(l.colour) + "\"/>\n";
}

/// A texture as an image element mapped onto its quad by the affine transform through three
/// of its corners: the ones with texture coordinates (0, 1), (1, 1) and (0, 0), which hold
/// the picture's top-left, top-right and bottom-left pixels.
Status texture(std::string& svg, const Camera& camera, const RenderTexture& t) {
    if (t.count != 4) return {};
    int top_left = -1, top_right = -1, bottom_left = -1;
    for (int k = 0; k < 4; ++k) {
        const VtVector& uv = t.uvs[static_cast<size_t>(k)];
        if (uv.x == 0 && uv.y == 1) top_left = k;
        if (uv.x == 1 && uv.y == 1) top_right = k;
        if (uv.x == 0 && uv.y == 0) bottom_left = k;
    }
    if (top_left < 0 || top_right < 0 || bottom_left < 0) return {};
    for (int k = 0; k < 4; ++k) {
        if (camera.perspective() &&
            camera.depth_of(t.points[static_cast<size_t>(k)]) < camera.near_depth())
            return {};
    }
    const ScreenPoint tl = camera.project(t.points[static_cast<size_t>(top_left)]);
    const ScreenPoint tr = camera.project(t.points[static_cast<size_t>(top_right)]);
    const ScreenPoint bl = camera.project(t.points[static_cast<size_t>(bottom_left)]);
    const double w = t.texture->width, h = t.texture->height;
    const double a = (tr.x - tl.x) / w, b = (tr.y - tl.y) / w;
    const double c = (bl.x - tl.x) / h, d = (bl.y - tl.y) / h;
    // Seen edge-on, a quad covers nothing.
    if (std::abs(a * d - b * c) < 1e-9) return {};
    for (double v : {a, b, c, d, tl.x, tl.y}) {
        if (!std::isfinite(v) || std::abs(v) > 1e7) return {};
    }
    const Result<std::string> png = encode_png(*t.texture);
    if (!png) return png.error();
    svg +=
        "<image width=\"" + number(w) + "\" height=\"" + number(h) +
        "\" preserveAspectRatio=\"none\" style=\"image-rendering:pixelated\" transform=\"matrix(" +
        number(a) + " " + number(b) + " " + number(c) + " " + number(d) + " " + number(tl.x) + " " +
        number(tl.y) + ")\" href=\"data:image/png;base64," + base64(*png) + "\"/>\n";
    return {};
}

} // namespace

Result<std::string> svg_picture(const RenderList& list, const Camera& camera) {
    const std::string w = std::to_string(camera.width()), h = std::to_string(camera.height());
    std::string svg = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    svg += "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + w + "\" height=\"" + h +
           "\" viewBox=\"0 0 " + w + " " + h + "\">\n";
    svg +=
        "<rect width=\"" + w + "\" height=\"" + h + "\" fill=\"" + colour(kBackground) + "\"/>\n";
    svg += "<g stroke-width=\"1\" stroke-linecap=\"square\" fill=\"none\">\n";
    for (const RenderLine& l : grid_lines(camera))
        line(svg, camera, l);
    svg += "</g>\n";

    // Surfaces from the farthest to the nearest by their mean depth; equal depths keep the
    // order in which they were listed.
    struct Placed {
        std::vector<ScreenPoint> corners;
        double depth;
        Rgb colour;
    };
    std::vector<Placed> placed;
    for (const RenderFace& face : list.faces) {
        std::vector<ScreenPoint> corners = screen_polygon(camera, face.points.data(), face.count);
        if (corners.empty()) continue;
        double depth = 0;
        for (const ScreenPoint& p : corners)
            depth += p.depth;
        depth /= static_cast<double>(corners.size());
        const VtVector e1{face.points[1].x - face.points[0].x, face.points[1].y - face.points[0].y,
                          face.points[1].z - face.points[0].z};
        const VtVector e2{face.points[2].x - face.points[0].x, face.points[2].y - face.points[0].y,
                          face.points[2].z - face.points[0].z};
        const VtVector normal{e1.y * e2.z - e1.z * e2.y, e1.z * e2.x - e1.x * e2.z,
                              e1.x * e2.y - e1.y * e2.x};
        placed.push_back(Placed{std::move(corners), depth, shade(face.colour, normal)});
    }
    std::vector<size_t> order(placed.size());
    std::iota(order.begin(), order.end(), size_t(0));
    std::stable_sort(order.begin(), order.end(),
                     [&](size_t x, size_t y) { return placed[x].depth > placed[y].depth; });
    svg += "<g stroke-linejoin=\"round\">\n";
    for (size_t i : order) {
        std::string points;
        for (const ScreenPoint& p : placed[i].corners) {
            if (!points.empty()) points += ' ';
            points += number(p.x);
            points += ',';
            points += number(p.y);
        }
        // A thin outline in the fill colour closes the hairline gaps between neighbours.
        svg += "<polygon points=\"" + points + "\" fill=\"" + colour(placed[i].colour) +
               "\" stroke=\"" + colour(placed[i].colour) + "\" stroke-width=\"0.5\"/>\n";
    }
    svg += "</g>\n";

    svg += "<g stroke-width=\"1\" stroke-linecap=\"square\" fill=\"none\">\n";
    for (const RenderOverlay& overlay : list.overlays) {
        if (const auto* l = std::get_if<RenderLine>(&overlay))
            line(svg, camera, *l);
        else if (const auto* t = std::get_if<RenderTexture>(&overlay)) {
            const Status drawn = texture(svg, camera, *t);
            if (!drawn) return drawn.error();
        }
    }
    svg += "</g>\n</svg>\n";
    return svg;
}

Status write_svg(const std::string& path, const RenderList& list, const Camera& camera,
                 const PictureCaption* caption) {
    Result<std::string> svg = svg_picture(list, camera);
    if (!svg) return failure(path + ": " + svg.message());
    if (caption != nullptr) svg->insert(svg->rfind("</svg>"), svg_overlay(camera, *caption));
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) return failure(path + ": cannot create the file: " + std::strerror(errno));
    const bool written = std::fwrite(svg->data(), 1, svg->size(), file) == svg->size();
    const bool closed = std::fclose(file) == 0;
    if (!written || !closed) {
        Error error = failure(path + ": cannot write the file: " + std::strerror(errno));
        std::remove(path.c_str());
        return error;
    }
    return {};
}

} // namespace vantri
