#include "results/FramePictures.h"

#include "host/draw/DisplayList.h"
#include "host/render/PictureOverlay.h"
#include "host/render/PngFile.h"
#include "host/render/ScenePicture.h"
#include "host/render/SvgPicture.h"
#include "host/scene/Document.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace vantri {

namespace {

bool parse_whole(const std::string& text, int64_t low, int64_t high, int32_t& out) {
    if (text.empty()) return false;
    char* end = nullptr;
    errno = 0;
    const long long value = std::strtoll(text.c_str(), &end, 10);
    if (*end != '\0' || errno != 0 || value < low || value > high) return false;
    out = static_cast<int32_t>(value);
    return true;
}

} // namespace

bool PictureSchedule::wants(int32_t frame, int32_t first) const {
    if (every > 0) return frame >= first && (static_cast<int64_t>(frame) - first) % every == 0;
    return std::binary_search(frames.begin(), frames.end(), frame);
}

Result<PictureSchedule> parse_picture_schedule(const std::string& text) {
    PictureSchedule parsed;
    const std::string prefix = "every:";
    if (text.compare(0, prefix.size(), prefix) == 0) {
        if (!parse_whole(text.substr(prefix.size()), 1, INT32_MAX, parsed.every))
            return input_error("--images every:N needs a whole number N above 0, not '" + text +
                               "'");
        return parsed;
    }
    size_t at = 0;
    while (true) {
        const size_t comma = text.find(',', at);
        const std::string item = text.substr(at, comma == std::string::npos ? comma : comma - at);
        int32_t frame = 0;
        if (!parse_whole(item, INT32_MIN, INT32_MAX, frame))
            return input_error(
                "--images needs every:N or a list of frame numbers such as 0,50,100, not '" + text +
                "'");
        parsed.frames.push_back(frame);
        if (comma == std::string::npos) break;
        at = comma + 1;
    }
    std::sort(parsed.frames.begin(), parsed.frames.end());
    parsed.frames.erase(std::unique(parsed.frames.begin(), parsed.frames.end()),
                        parsed.frames.end());
    return parsed;
}

Result<PictureSize> parse_picture_size(const std::string& text) {
    const size_t x = text.find('x');
    PictureSize size;
    if (x == std::string::npos ||
        !parse_whole(text.substr(0, x), 16, kMaxPictureSide, size.width) ||
        !parse_whole(text.substr(x + 1), 16, kMaxPictureSide, size.height))
        return input_error("--image-size needs WIDTHxHEIGHT in pixels, each 16 to " +
                           std::to_string(kMaxPictureSide) + ", such as 800x600, not '" + text +
                           "'");
    return size;
}

std::string picture_name(int32_t frame) {
    // A negative frame is its number's digits, at least four, after a minus sign: -0012, so
    // that its name is as wide as the positive ones and reads the same way.
    char name[16];
    const int64_t whole = frame;
    std::snprintf(name, sizeof name, whole < 0 ? "-%04lld" : "%04lld",
                  static_cast<long long>(whole < 0 ? -whole : whole));
    return name;
}

FramePictures::FramePictures(std::string folder, CameraView view, int32_t width, int32_t height,
                             bool svg)
    : folder_(std::move(folder)), svg_(svg), framing_(view, width, height) {}

Status FramePictures::take(Document& document, int32_t frame) {
    if (count_ == 0) {
        std::error_code ec;
        std::filesystem::create_directories(folder_, ec);
        if (ec) return failure(folder_ + ": cannot create the folder: " + ec.message());
    }
    DisplayList display;
    RenderList list;
    draw_scene(document, shapes_, display, list);
    const Camera& camera = framing_.camera_for(list);
    const PictureCaption caption{frame, static_cast<double>(frame) / std::max(document.fps(), 1),
                                 list.crowds};
    RgbImage image = rasterise(list, camera);
    draw_overlay(image, camera, caption);
    const std::string base = folder_ + "/" + picture_name(frame);
    Status png = write_png(base + ".png", image);
    if (!png) return png;
    if (svg_) {
        Status svg = write_svg(base + ".svg", list, camera, &caption);
        if (!svg) return svg;
    }
    ++count_;
    return {};
}

} // namespace vantri
