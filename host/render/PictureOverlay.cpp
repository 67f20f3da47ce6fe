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

/// Darkens the rectangle to a third of its brightness, so that text over it reads.
void darken(RgbImage& image, int32_t left, int32_t top, int32_t width, int32_t height) {
    for (int32_t y = std::max(top, 0); y < std::min(top + height, image.height); ++y) {
        for (int32_t x = std::max(left, 0); x < std::min(left + width, image.width); ++x) {
            const Rgb c = image.at(x, y);
            image.set(x, y,
                      Rgb{static_cast<uint8_t>((c.r + 2 * 20) / 3),
                          static_cast<uint8_t>((c.g + 2 * 22) / 3),
                          static_cast<uint8_t>((c.b + 2 * 26) / 3)});
        }
    }
}

void fill(RgbImage& image, int32_t left, int32_t top, int32_t width, int32_t height, Rgb colour) {
    for (int32_t y = std::max(top, 0); y < std::min(top + height, image.height); ++y) {
        for (int32_t x = std::max(left, 0); x < std::min(left + width, image.width); ++x)
            image.set(x, y, colour);
    }
}

void text(RgbImage& image, const std::string& line, int32_t left, int32_t top, Rgb colour) {
    bitmap_font::for_each_pixel(line, left, top, [&](int64_t x, int64_t y) {
        if (image.contains(static_cast<int32_t>(x), static_cast<int32_t>(y)))
            image.set(static_cast<int32_t>(x), static_cast<int32_t>(y), colour);
    });
}

std::string number_text(double value, const char* format) {
    char out[48];
    std::snprintf(out, sizeof out, format, value);
    return out;
}

void draw_caption(RgbImage& image, const PictureCaption& caption) {
    const std::string line = "frame " + std::to_string(caption.frame) + "  " +
                             number_text(caption.seconds, "%.2f") + " s";
    const int32_t width = bitmap_font::text_width(line) + 2 * kPad;
    darken(image, kEdge, kEdge, width, bitmap_font::text_height() + 2 * kPad);
    text(image, line, kEdge + kPad, kEdge + kPad, kText);
}

void draw_legend(RgbImage& image, const std::vector<RenderCrowd>& crowds) {
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
    const int32_t left = image.width - kEdge - width;
    darken(image, left, kEdge, width, height);
    for (size_t i = 0; i < lines.size(); ++i) {
        const int32_t top = kEdge + kPad + static_cast<int32_t>(i) * kRow;
        if (i < shown) fill(image, left + kPad, top, kSwatch, kSwatch, crowds[i].colour);
        text(image, lines[i], left + kPad + kSwatch + 5, top, i < shown ? kText : kQuiet);
    }
}

void draw_scale_bar(RgbImage& image, const Camera& camera) {
    const double units = scale_bar_length(camera.units_per_pixel(), image.width / 5.0);
    if (!(units > 0)) return;
    const int32_t bar = static_cast<int32_t>(std::lround(units / camera.units_per_pixel()));
    const std::string label = length_text(units);
    const int32_t width = std::max(bar, bitmap_font::text_width(label)) + 2 * kPad;
    const int32_t height = bitmap_font::text_height() + 8 + 2 * kPad;
    const int32_t left = kEdge, top = image.height - kEdge - height;
    darken(image, left, top, width, height);
    text(image, label, left + kPad, top + kPad, kText);
    const int32_t y = top + kPad + bitmap_font::text_height() + 4;
    fill(image, left + kPad, y, bar, 2, kText);
    fill(image, left + kPad, y - 3, 1, 5, kText);
    fill(image, left + kPad + bar - 1, y - 3, 1, 5, kText);
}

} // namespace

double scale_bar_length(double units_per_pixel, double most_pixels) {
    if (!(units_per_pixel > 0) || !std::isfinite(units_per_pixel) || !(most_pixels >= 1))
        return 0;
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
    draw_caption(image, caption);
    draw_legend(image, caption.crowds);
    draw_scale_bar(image, camera);
}

} // namespace vantri
