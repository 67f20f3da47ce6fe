// Scenes for the environment tests: spline, polygon and primitive objects built in the
// host, and an agent set up at a chosen point before one simulated frame.
#pragma once

#include "tests/support/world_test_scene.h"

#include "parameter_ids/ocrowdobstacle.h"

#include "host/geometry/Primitives.h"
#include "host/geometry/SplinePath.h"
#include "host/plugin/ObjectTypes.h"
#include "host/scene/SplineCurve.h"

#include <functional>
#include <memory>

namespace vantri_test {

class EnvironmentScene : public WorldScene {
  protected:
    vantri::SceneObject*
    add_spline(const std::string& name, std::vector<VtVector> points, bool closed = false,
               vantri::SplineInterpolation kind = vantri::SplineInterpolation::Linear) {
        vantri::SceneObject* spline = add(vantri::kSplineType, name);
        spline->set_spline(std::make_shared<vantri::SplinePath>(std::move(points), closed, kind));
        return spline;
    }

    vantri::SceneObject* add_mesh(int32_t type, const std::string& name, vantri::Mesh mesh) {
        vantri::SceneObject* object = add(type, name);
        object->set_mesh(std::make_shared<vantri::Mesh>(std::move(mesh)));
        return object;
    }

    /// A plane of one quad, `size` wide and deep, whose height is y = slope_x * x + slope_z * z.
    vantri::SceneObject* add_slope(const std::string& name, double size, double slope_x,
                                   double slope_z) {
        vantri::PlaneSettings plane;
        plane.width = plane.depth = size;
        const double h = size / 2;
        plane.heights = std::vector<double>{-slope_x * h - slope_z * h, slope_x * h - slope_z * h,
                                            -slope_x * h + slope_z * h, slope_x * h + slope_z * h};
        return add_mesh(vantri::kPlaneType, name, vantri::make_plane(plane));
    }

    static void set_profile(vantri::SceneObject* behaviour, double y0, double y1) {
        auto curve = std::make_unique<vantri::SplineCurve>();
        curve->add_knot(0.0, y0);
        curve->add_knot(1.0, y1);
        behaviour->data().set(CROWDBEHAV_SPLINE_PROFILE,
                              vantri::Value::of_custom(std::move(curve)));
        behaviour->touch();
    }

    /// One generator of one agent under the world, its body 10 across, and its turn limit
    /// lifted.
    void SetUp() override {
        WorldScene::SetUp();
        generator = add_generator("Crowd", 1, 1, 1, world);
        set_real(generator, CROWDGEN_SIZE_X, 10.0);
        set_real(generator, CROWDGEN_SIZE_Z, 10.0);
    }

    /// Lists `items`, puts the agent at `at` facing `facing`, lets `prepare` adjust its record
    /// and simulates one frame; returns the record.
    VtAgentRecord& step(const std::vector<vantri::SceneObject*>& items, VtVector at,
                        VtVector facing = vec(0, 0, 1),
                        const std::function<void(VtAgentRecord&)>& prepare = {}) {
        set_list(generator, CROWDGEN_BEHAVIOURS, items);
        if (frame == 0) create_crew();
        VtAgentRecord& a = agent(generator, 0);
        place(a, at, facing);
        if (prepare) prepare(a);
        simulate(++frame);
        return agent(generator, 0);
    }

    vantri::SceneObject* generator = nullptr;
    int32_t frame = 0;
};

inline double heading_of(const VtVector& v) {
    return std::atan2(-v.x, v.z);
}

inline VtVector unit(const VtVector& v) {
    const double norm = std::sqrt(vantri::dot(v, v));
    return vec(v.x / norm, v.y / norm, v.z / norm);
}

} // namespace vantri_test
