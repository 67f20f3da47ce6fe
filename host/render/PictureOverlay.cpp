#include "host/render/PictureOverlay.h"

#include "host/draw/BitmapFont.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace vantri {

namespace {

constexpr Rgb kText{235, 238, 242};
constexpr Rgb kQuiet{170, 178, 190};
/// The pixels from the picture's edge to a panel, and from a panel's edge to its text.
constexpr int32_t kEdge = 6;
constexpr int32_t kPad = 4;
/// A legend row's height and its colour swatch's side, in pixels.
constexpr int32_t kRow = 12;
constexpr int32_t kSwatch = 9;
/// Crowds beyond this many are summed up in one last row of the legend.
constexpr size_t kMostLegendRows = 12;

/// What the overlay draws, in order: darkened panels, filled rectangles and lines of text
/// (top-left corner), laid out once for both the raster and the SVG drawing.
struct OverlayItem {
    enum class Kind { Shade, Fill, Text } kind = Kind::Fill;
    int32_t left = 0, top = 0, width = 0, height = 0;
    Rgb colour;
    std::string text;
};

using OverlayItems = std::vector<OverlayItem>;

void shade_panel(OverlayItems& items, int32_t left, int32_t top, int32_t width, int32_t height) {
    items.push_back(OverlayItem{OverlayItem::Kind::Shade, left, top, width, height, {}, {}});
}

void fill(OverlayItems& items, int32_t left, int32_t top, int32_t width, int32_t height,
          Rgb colour) {
    items.push_back(OverlayItem{OverlayItem::Kind::Fill, left, top, width, height, colour, {}});
}

void text(OverlayItems& items, const std::string& line, int32_t left, int32_t top, Rgb colour) {
    items.push_back(OverlayItem{OverlayItem::Kind::Text, left, top, bitmap_font::text_width(line),
                                bitmap_font::text_height(), colour, line});
}

std::string number_text(double value, const char* format) {
    char out[48];
    std::snprintf(out, sizeof out, format, value);
    return out;
}

void lay_out_caption(OverlayItems& items, const PictureCaption& caption) {
    const std::string line = "frame " + std::to_string(caption.frame) + "  " +
                             number_text(caption.seconds, "%.2f") + " s";
    shade_panel(items, kEdge, kEdge, bitmap_font::text_width(line) + 2 * kPad,
                bitmap_font::text_height() + 2 * kPad);
    text(items, line, kEdge + kPad, kEdge + kPad, kText);
}

void lay_out_legend(OverlayItems& items, int32_t picture_width,
                    const std::vector<RenderCrowd>& crowds) {
    if (crowds.empty()) return;
    std::vector<std::string> lines;
    const size_t shown = crowds.size() > kMostLegendRows ? kMostLegendRows - 1 : crowds.size();
    for (size_t i = 0; i < shown; ++i)
        lines.push_back(crowds[i].name + " (" + std::to_string(crowds[i].agents) + ")");
    if (shown < crowds.size())
        lines.push_back("and " + std::to_string(crowds.size() - shown) + " more crowds");
    int32_t widest = 0;
    for (const std::string& line : lines)
        widest = std::max(widest, bitmap_font::text_width(line));
    const int32_t width = kSwatch + 5 + widest + 2 * kPad;
    const int32_t height = static_cast<int32_t>(lines.size()) * kRow - 3 + 2 * kPad;
    const int32_t left = picture_width - kEdge - width;
    shade_panel(items, left, kEdge, width, height);
    for (size_t i = 0; i < lines.size(); ++i) {
        const int32_t top = kEdge + kPad + static_cast<int32_t>(i) * kRow;
        if (i < shown) fill(items, left + kPad, top, kSwatch, kSwatch, crowds[i].colour);
        text(items, lines[i], left + kPad + kSwatch + 5, top, i < shown ? kText : kQuiet);
    }
}

void lay_out_scale_bar(OverlayItems& items, const Camera& camera) {
    const double units = scale_bar_length(camera.units_per_pixel(), camera.width() / 5.0);
    if (!(units > 0)) return;
    const int32_t bar = static_cast<int32_t>(std::lround(units / camera.units_per_pixel()));
    const std::string label = length_text(units);
    const int32_t width = std::max(bar, bitmap_font::text_width(label)) + 2 * kPad;
    const int32_t height = bitmap_font::text_height() + 8 + 2 * kPad;
    const int32_t left = kEdge, top = camera.height() - kEdge - height;
    shade_panel(items, left, top, width, height);
    text(items, label, left + kPad, top + kPad, kText);
    const int32_t y = top + kPad + bitmap_font::text_height() + 4;
    fill(items, left + kPad, y, bar, 2, kText);
    fill(items, left + kPad, y - 3, 1, 5, kText);
    fill(items, left + kPad + bar - 1, y - 3, 1, 5, kText);
}

OverlayItems lay_out(const Camera& camera, const PictureCaption& caption) {
    OverlayItems items;
    lay_out_caption(items, caption);
    lay_out_legend(items, camera.width(), caption.crowds);
    lay_out_scale_bar(items, camera);
    return items;
}

/// The panels' shade: a third of the picture's colour over two thirds of this.
constexpr Rgb kShade{20, 22, 26};

void paint(RgbImage& image, const OverlayItem& item) {
    if (item.kind == OverlayItem::Kind::Text) {
        bitmap_font::for_each_pixel(item.text, item.left, item.top, [&](int64_t x, int64_t y) {
            if (image.contains(static_cast<int32_t>(x), static_cast<int32_t>(y)))
                image.set(static_cast<int32_t>(x), static_cast<int32_t>(y), item.colour);
        });
        return;
    }
    const auto third = [](uint8_t under, uint8_t over) {
        return static_cast<uint8_t>((under + 2 * over) / 3);
    };
    for (int32_t y = std::max(item.top, 0); y < std::min(item.top + item.height, image.height);
         ++y) {
        for (int32_t x = std::max(item.left, 0); x < std::min(item.left + item.width, image.width);
             ++x) {
            const Rgb c = image.at(x, y);
            image.set(x, y,
                      item.kind == OverlayItem::Kind::Fill
                          ? item.colour
                          : Rgb{third(c.r, kShade.r), third(c.g, kShade.g), third(c.b, kShade.b)});
        }
    }
}

std::string hex(Rgb c) {
    char out[8];
    std::snprintf(out, sizeof out, "#%02x%02x%02x", c.r, c.g, c.b);
    return out;
}

std::string xml_escaped(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '&')
            out += "&amp;";
        else if (c == '<')
            out += "&lt;";
        else if (c == '>')
            out += "&gt;";
        else
            out += c;
    }
    return out;
}

} // namespace

double scale_bar_length(double units_per_pixel, double most_pixels) {
    if (!(units_per_pixel > 0) || !std::isfinite(units_per_pixel) || !(most_pixels >= 1)) return 0;
    const double most = units_per_pixel * most_pixels;
    double power = std::pow(10.0, std::floor(std::log10(most)));
    // log10 may round either way at a power of ten: step to the right one.
    while (power > most)
        power /= 10;
    while (power * 10 <= most)
        power *= 10;
    for (double m : {5.0, 2.0, 1.0}) {
        if (power * m <= most) return power * m;
    }
    return power;
}

std::string length_text(double units) {
    if (units >= 100000) return number_text(units / 100000, "%g") + " km";
    if (units >= 100) return number_text(units / 100, "%g") + " m";
    if (units >= 1) return number_text(units, "%g") + " cm";
    return number_text(units * 10, "%g") + " mm";
}

void draw_overlay(RgbImage& image, const Camera& camera, const PictureCaption& caption) {
    for (const OverlayItem& item : lay_out(camera, caption))
        paint(image, item);
}

// The text is stretched to the bitmap font's width, so that it fits its panel in any font.
std::string svg_overlay(const Camera& camera, const PictureCaption& caption) {
    std::string svg = "<g font-family=\"monospace\" font-size=\"9\">\n";
    const auto attribute = [&svg](const char* name, const std::string& value) {
        svg += ' ';
        svg += name;
        svg += "=\"";
        svg += value;
        svg += '"';
    };
    for (const OverlayItem& item : lay_out(camera, caption)) {
        const bool is_text = item.kind == OverlayItem::Kind::Text;
        svg += is_text ? "<text" : "<rect";
        attribute("x", std::to_string(item.left));
        // Text stands on its baseline, the seventh row of the font's cell.
        attribute("y", std::to_string(is_text ? item.top + 7 : item.top));
        if (is_text) {
            attribute("textLength", std::to_string(item.width));
            attribute("lengthAdjust", "spacingAndGlyphs");
        } else {
            attribute("width", std::to_string(item.width));
            attribute("height", std::to_string(item.height));
        }
        const bool shade = item.kind == OverlayItem::Kind::Shade;
        attribute("fill", hex(shade ? kShade : item.colour));
        if (shade) attribute("fill-opacity", "0.67");
        if (is_text) {
            svg += '>';
            svg += xml_escaped(item.text);
            svg += "</text>\n";
        } else {
            svg += "/>\n";
        }
    }
    svg += "</g>\n";
    return svg;
}

} // namespace vantri
