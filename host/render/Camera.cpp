#include "host/render/Camera.h"

#include "host/scene/Transform.h"

#include <algorithm>
#include <cmath>

namespace vantri {

namespace {

VtVector unit(const VtVector& v) {
    return v * (1.0 / std::sqrt(dot(v, v)));
}

/// An eighth of the framed size is left free on each side.
constexpr double kMargin = 0.125;
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
    std::vector<VtVector> corners;
    if (low.x <= high.x && low.y <= high.y && low.z <= high.z) {
        for (int32_t i = 0; i < 8; ++i)
            corners.push_back(
                {(i & 1) ? high.x : low.x, (i & 2) ? high.y : low.y, (i & 4) ? high.z : low.z});
    }
    return framing(view, width, height, corners);
}

// The orthographic views centre the points' extent across and up the picture and scale it to
// fit with the margin. The perspective view keeps its direction and moves the eye: it starts
// aimed at the centre of the points' box, backs off until every point shows with the margin,
// then re-aims a few times so that what it sees is centred, backing off again each time.
Camera Camera::framing(CameraView view, int32_t width, int32_t height,
                       const std::vector<VtVector>& given) {
    Camera camera;
    camera.view_ = view;
    camera.width_ = std::max(width, 1);
    camera.height_ = std::max(height, 1);
    std::vector<VtVector> points;
    for (const VtVector& p : given) {
        if (std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z) &&
            std::abs(p.x) <= kFarthestFramed && std::abs(p.y) <= kFarthestFramed &&
            std::abs(p.z) <= kFarthestFramed)
            points.push_back(p);
    }
    if (points.empty()) points.push_back({0, 0, 0});

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

    // The extent of the points along the camera's three directions.
    struct Range {
        double low = 0, high = 0;
        double mid() const { return (low + high) / 2; }
        double size() const { return std::max(high - low, kSmallestBox); }
    };
    const auto range = [&](const VtVector& axis, const VtVector& from) {
        Range r{dot(points[0] - from, axis), dot(points[0] - from, axis)};
        for (const VtVector& p : points) {
            const double d = dot(p - from, axis);
            r.low = std::min(r.low, d);
            r.high = std::max(r.high, d);
        }
        return r;
    };
    const double w = camera.width_, h = camera.height_;
    const VtVector origin{0, 0, 0};
    const Range across = range(camera.right_, origin), upward = range(camera.up_, origin),
                deep = range(camera.forward_, origin);

    if (view != CameraView::Perspective) {
        camera.centre_ =
            camera.right_ * across.mid() + camera.up_ * upward.mid() + camera.forward_ * deep.mid();
        camera.scale_ = std::min(w / (across.size() * (1 + 2 * kMargin)),
                                 h / (upward.size() * (1 + 2 * kMargin)));
        camera.eye_ = camera.centre_ - camera.forward_ * deep.size();
        camera.units_per_pixel_ = 1.0 / camera.scale_;
        return camera;
    }

    const double tan_up = kTanHalfFov / (1 + 2 * kMargin);
    const double tan_across = tan_up * w / h;
    // How far back from `centre` the eye must be for every point to show.
    const auto fit = [&](const VtVector& centre) {
        double distance = (kSmallestBox / 2) / tan_up;
        for (const VtVector& p : points) {
            const VtVector d = p - centre;
            const double along = dot(d, camera.forward_);
            distance =
                std::max({distance, std::abs(dot(d, camera.right_)) / tan_across - along,
                          std::abs(dot(d, camera.up_)) / tan_up - along, kSmallestBox / 2 - along});
        }
        return distance;
    };
    VtVector centre =
        camera.right_ * across.mid() + camera.up_ * upward.mid() + camera.forward_ * deep.mid();
    double distance = fit(centre);
    for (int32_t round = 0; round < 8; ++round) {
        const VtVector eye = centre - camera.forward_ * distance;
        double u_low = 0, u_high = 0, v_low = 0, v_high = 0;
        for (size_t i = 0; i < points.size(); ++i) {
            const VtVector d = points[i] - eye;
            const double z = dot(d, camera.forward_);
            const double u = dot(d, camera.right_) / z, v = dot(d, camera.up_) / z;
            u_low = i == 0 ? u : std::min(u_low, u);
            u_high = i == 0 ? u : std::max(u_high, u);
            v_low = i == 0 ? v : std::min(v_low, v);
            v_high = i == 0 ? v : std::max(v_high, v);
        }
        centre = centre + camera.right_ * ((u_low + u_high) / 2 * distance) +
                 camera.up_ * ((v_low + v_high) / 2 * distance);
        distance = fit(centre);
    }
    camera.centre_ = centre;
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
