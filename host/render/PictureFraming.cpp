#include "host/render/PictureFraming.h"

#include <cmath>

namespace vantri {

std::vector<VtVector> framing_points(const RenderList& list) {
    if (list.agents.empty()) return points_of(list);
    std::vector<VtVector> points;
    points.reserve(list.agents.size() * 6);
    for (const RenderAgent& agent : list.agents) {
        const double r = std::isfinite(agent.reach) ? agent.reach : 0.0;
        const VtVector& p = agent.position;
        points.push_back({p.x - r, p.y, p.z});
        points.push_back({p.x + r, p.y, p.z});
        points.push_back({p.x, p.y - r, p.z});
        points.push_back({p.x, p.y + r, p.z});
        points.push_back({p.x, p.y, p.z - r});
        points.push_back({p.x, p.y, p.z + r});
    }
    return points;
}

bool in_picture(const Camera& camera, const VtVector& point) {
    if (!std::isfinite(point.x) || !std::isfinite(point.y) || !std::isfinite(point.z)) return false;
    if (camera.perspective() && camera.depth_of(point) < camera.near_depth()) return false;
    const ScreenPoint s = camera.project(point);
    return s.x >= 0 && s.y >= 0 && s.x <= camera.width() && s.y <= camera.height();
}

const Camera& SteadyFraming::camera_for(const RenderList& list) {
    bool keep = camera_.has_value();
    for (size_t i = 0; keep && i < list.agents.size(); ++i) {
        const VtVector& p = list.agents[i].position;
        // An agent beyond the framing's reach (see Camera::framing) never counts as gone.
        if (std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z) &&
            std::abs(p.x) <= kFarthestFramed && std::abs(p.y) <= kFarthestFramed &&
            std::abs(p.z) <= kFarthestFramed)
            keep = in_picture(*camera_, p);
    }
    if (!keep) {
        camera_ = Camera::framing(view_, width_, height_, framing_points(list));
        ++framings_;
    }
    return *camera_;
}

} // namespace vantri
