// How pictures of a run are framed: on the crowd rather than on everything the scene holds
// (a goal far away would shrink the agents to dots), and kept steady across a sequence so
// that the pictures line up, until the crowd walks out of the picture.
#pragma once

#include "host/render/Camera.h"

#include <optional>
#include <vector>

namespace vantri {

/// The points a picture is framed on: each agent's body (its position widened by its reach
/// along the scene's axes) when the list shows agents, else every point of the list.
std::vector<VtVector> framing_points(const RenderList& list);

/// A camera kept across a sequence of pictures: framed on the first picture's framing points
/// and framed again only when an agent of a later picture stands outside the picture.
class SteadyFraming {
  public:
    SteadyFraming(CameraView view, int32_t width, int32_t height)
        : view_(view), width_(width), height_(height) {}

    /// The camera for a picture of `list`.
    const Camera& camera_for(const RenderList& list);
    /// The camera of the last picture, if there was one.
    const std::optional<Camera>& camera() const { return camera_; }
    /// How many times the camera was framed.
    size_t framings() const { return framings_; }

  private:
    CameraView view_;
    int32_t width_, height_;
    std::optional<Camera> camera_;
    size_t framings_ = 0;
};

/// Whether a scene point shows inside the camera's picture.
bool in_picture(const Camera& camera, const VtVector& point);

} // namespace vantri
