#include "render/Camera.h"

#include "scene/Transform.h"

#include <algorithm>
#include <cmath>

namespace vantri {

namespace {

VtVector unit(const VtVector& v) {
    return v * (1.0 / std::sqrt(dot(v, v)));
}

/// A quarter of the framed size is left free on each side.
constexpr double kMargin = 0.25;
/// The least size a framed box has, in scene units.
constexpr double kSmallestBox = 200.0;
/// The perspective camera's vertical field of view is 40 degrees: tan(20 degrees).
constexpr double kTanHalfFov = 0.36397023426620234;
/// It looks at the scene from the front, the left and above (a direction, not normalised).
constexpr VtVector kPerspectiveFrom{-0.6, 0.7, -1.0};

} // namespace

std::optional<CameraView> camera_view_named(const std::string& name) {
    if (name == "top") return CameraView::Top;
    if (name == "front") return CameraView::Front;
    if (name == "side") return CameraView::Side;
    if (name == "persp") return CameraView::Perspective;
    return std::nullopt;
}

const char* camera_view_name(CameraView view) {
    switch (view) {
    case CameraView::Top:
        return "top";
    case CameraView::Front:
        return "front";
    case CameraView::Side:
        return "side";
    case CameraView::Perspective:
        return "persp";
    }
    return "top";
}

Camera Camera::framing(CameraView view, int32_t width, int32_t height, VtVector low,
                       VtVector high) {
    Camera camera;
    camera.view_ = view;
    camera.width_ = std::max(width, 1);
    camera.height_ = std::max(height, 1);
    if (!(low.x <= high.x && low.y <= high.y && low.z <= high.z)) low = high = VtVector{0, 0, 0};
    const VtVector centre = (low + high) * 0.5;
    // The box, widened where it is thinner than the least size.
    VtVector half = (high - low) * 0.5;
    half.x = std::max(half.x, kSmallestBox / 2);
    half.y = std::max(half.y, kSmallestBox / 2);
    half.z = std::max(half.z, kSmallestBox / 2);
    camera.centre_ = centre;

    // The host's space is left-handed with +Y up: the front view looks along +Z with +X to
    // the right, the side view along -X with +Z to the right, the top view down -Y with +X to
    // the right and +Z up the picture.
    switch (view) {
    case CameraView::Top:
        camera.forward_ = {0, -1, 0};
        camera.right_ = {1, 0, 0};
        camera.up_ = {0, 0, 1};
        break;
    case CameraView::Front:
        camera.forward_ = {0, 0, 1};
        camera.right_ = {1, 0, 0};
        camera.up_ = {0, 1, 0};
        break;
    case CameraView::Side:
        camera.forward_ = {-1, 0, 0};
        camera.right_ = {0, 0, 1};
        camera.up_ = {0, 1, 0};
        break;
    case CameraView::Perspective: {
        camera.forward_ = unit(kPerspectiveFrom * -1.0);
        camera.right_ = unit(cross(VtVector{0, 1, 0}, camera.forward_));
        camera.up_ = cross(camera.forward_, camera.right_);
        break;
    }
    }

    const double w = camera.width_, h = camera.height_;
    if (view != CameraView::Perspective) {
        // The extent of the box across and up the picture.
        const double across = std::abs(camera.right_.x) * half.x +
                              std::abs(camera.right_.y) * half.y +
                              std::abs(camera.right_.z) * half.z;
        const double upward = std::abs(camera.up_.x) * half.x + std::abs(camera.up_.y) * half.y +
                              std::abs(camera.up_.z) * half.z;
        const double deep = std::abs(camera.forward_.x) * half.x +
                            std::abs(camera.forward_.y) * half.y +
                            std::abs(camera.forward_.z) * half.z;
        camera.scale_ =
            std::min(w / (2 * across * (1 + 2 * kMargin)), h / (2 * upward * (1 + 2 * kMargin)));
        camera.eye_ = centre - camera.forward_ * (deep * 2);
        camera.units_per_pixel_ = 1.0 / camera.scale_;
        return camera;
    }
    // Near enough that every corner of the box shows, with the margin left free around the
    // box as in the orthographic views.
    const double tan_up = kTanHalfFov / (1 + 2 * kMargin);
    const double tan_across = tan_up * w / h;
    double distance = 0.0;
    for (int32_t i = 0; i < 8; ++i) {
        const VtVector c{(i & 1) ? half.x : -half.x, (i & 2) ? half.y : -half.y,
                         (i & 4) ? half.z : -half.z};
        const double along = dot(c, camera.forward_);
        distance = std::max({distance, std::abs(dot(c, camera.right_)) / tan_across - along,
                             std::abs(dot(c, camera.up_)) / tan_up - along, kSmallestBox - along});
    }
    camera.eye_ = centre - camera.forward_ * distance;
    camera.scale_ = (h / 2) / kTanHalfFov;
    camera.near_ = std::max(distance / 1000.0, 1e-3);
    camera.units_per_pixel_ = distance / camera.scale_;
    return camera;
}

double Camera::depth_of(const VtVector& p) const {
    return dot((p - eye_), forward_);
}

ScreenPoint Camera::project(const VtVector& p) const {
    const VtVector d = (p - eye_);
    const double depth = dot(d, forward_);
    if (view_ == CameraView::Perspective) {
        const double f = scale_ / depth;
        return ScreenPoint{width_ / 2.0 + dot(d, right_) * f, height_ / 2.0 - dot(d, up_) * f,
                           depth};
    }
    const VtVector c = (p - centre_);
    return ScreenPoint{width_ / 2.0 + dot(c, right_) * scale_, height_ / 2.0 - dot(c, up_) * scale_,
                       depth};
}

} // namespace vantri
