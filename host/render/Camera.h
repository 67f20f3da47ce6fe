// The camera a picture is taken from: orthographic from the top, the front or the side, or
// a perspective view from the front, left and above. A camera is framed once on what a
// picture shows, and can be kept for a sequence of pictures so that they line up.
#pragma once

#include "host/render/RenderList.h"

#include <optional>
#include <string>
#include <vector>

namespace vantri {

enum class CameraView { Top, Front, Side, Perspective };

/// "top", "front", "side" or "persp"; nothing for any other name.
std::optional<CameraView> camera_view_named(const std::string& name);
const char* camera_view_name(CameraView view);

/// Scene points farther than this from the origin along any axis (a thousand kilometres)
/// are left out of a framing, as are points that are not finite: a runaway value would
/// otherwise shrink everything else to a dot.
constexpr double kFarthestFramed = 1e8;

/// A point on the picture: pixels from the left and from the top (the centre of the top-left
/// pixel is (0.5, 0.5)), and a depth that grows away from the camera.
struct ScreenPoint {
    double x = 0, y = 0, depth = 0;
};

class Camera {
  public:
    /// A camera of the given view that shows the box from `low` to `high` whole, with a
    /// margin, in a picture of width x height pixels. A box of no size (or a missing one:
    /// low > high) is widened so that 200 scene units around its centre show.
    static Camera framing(CameraView view, int32_t width, int32_t height, VtVector low,
                          VtVector high);
    /// A camera of the given view that shows every one of the points (but those left out as
    /// beyond kFarthestFramed), with a margin; the
    /// points' extent is widened to 200 scene units where it is smaller (no points: the
    /// origin).
    static Camera framing(CameraView view, int32_t width, int32_t height,
                          const std::vector<VtVector>& points);

    CameraView view() const { return view_; }
    int32_t width() const { return width_; }
    int32_t height() const { return height_; }
    bool perspective() const { return view_ == CameraView::Perspective; }

    /// Depth in front of the camera of a scene point (perspective: distance along the view
    /// direction; orthographic: the same, from an arbitrary plane).
    double depth_of(const VtVector& p) const;
    /// The nearest depth a perspective picture shows; points nearer are cut away.
    double near_depth() const { return near_; }
    /// The picture point of a scene point. For a perspective camera the point must lie at
    /// or beyond near_depth().
    ScreenPoint project(const VtVector& p) const;

    /// The direction the camera looks along, and its right and up directions, in scene space.
    const VtVector& forward() const { return forward_; }
    const VtVector& right() const { return right_; }
    const VtVector& up() const { return up_; }
    /// The point the camera is framed on.
    const VtVector& centre() const { return centre_; }
    /// Scene units per pixel at the framed centre.
    double units_per_pixel() const { return units_per_pixel_; }

  private:
    CameraView view_ = CameraView::Top;
    int32_t width_ = 0, height_ = 0;
    VtVector forward_{}, right_{}, up_{};
    VtVector eye_{};     ///< perspective: the eye; orthographic: a point on the back plane
    VtVector centre_{};  ///< what the picture is centred on
    double scale_ = 1.0; ///< orthographic: pixels per scene unit; perspective: focal length
    double near_ = 1.0;
    double units_per_pixel_ = 1.0;
};

} // namespace vantri
