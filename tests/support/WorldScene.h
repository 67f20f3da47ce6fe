// Scenes for the world's tests: a world with generators under it, behaviours and blends in
// their lists, and access to the agent records that a generator hands out with message 23;
// and, for the environment tests, spline, polygon and primitive objects built in the host,
// with an agent set up at a chosen point before one simulated frame.
#pragma once

#include "tests/support/PluginFixture.h"

#include "parameter_ids/ocrowdBlend.h"
#include "parameter_ids/ocrowdbehav.h"
#include "parameter_ids/ocrowdgenerator.h"
#include "parameter_ids/ocrowdobstacle.h"
#include "parameter_ids/ocrowdworld.h"
#include "tests/support/GeneratorScene.h"

#include "host/geometry/Primitives.h"
#include "host/geometry/SplinePath.h"
#include "host/plugin/ObjectTypes.h"
#include "host/scene/InExcludeList.h"
#include "host/scene/SplineCurve.h"

#include <cmath>
#include <cstring>
#include <functional>
#include <memory>
#include <vector>

namespace vantri_test {

/// The world's answer to message 23.
struct WorldAnswer {
    VtAgentRecord* agent;
    int32_t agent_index;
    int32_t crowd_index;
};

/// The bytes of an agent record that do not depend on where the scene lives in memory.
struct RecordValues {
    std::vector<unsigned char> bytes;
    bool operator==(const RecordValues& other) const { return bytes == other.bytes; }
};

inline RecordValues values_of(const VtAgentRecord& record) {
    VtAgentRecord copy{};
    std::memcpy(static_cast<void*>(&copy), &record, sizeof copy);
    copy.object = nullptr;
    copy.hit_obstacle = nullptr;
    copy.crowd = nullptr;
    RecordValues values;
    const unsigned char* raw = reinterpret_cast<const unsigned char*>(&copy);
    values.bytes.assign(raw, raw + sizeof copy);
    return values;
}

inline bool finite(const VtVector& v) {
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

inline bool finite(const VtMatrix& m) {
    return finite(m.off) && finite(m.v1) && finite(m.v2) && finite(m.v3);
}

/// Every numeric field of the record is finite.
inline bool finite(const VtAgentRecord& a) {
    return std::isfinite(a.speed) && std::isfinite(a.acceleration) && std::isfinite(a.look_ahead) &&
           std::isfinite(a.random_value) && std::isfinite(a.max_speed) && finite(a.size) &&
           finite(a.direction) && finite(a.rotation) && finite(a.global_mg) && finite(a.mg) &&
           finite(a.parent_mg) && finite(a.hit_normal) && finite(a.hit_point) &&
           finite(a.collision_steer) && finite(a.avoid_steer) && finite(a.extra_velocity) &&
           finite(a.steer_vector) && finite(a.nearest_offset) && finite(a.spline_mg);
}

/// The time step the world uses for a jump of `frames` frames at `fps`.
inline double step_of(int frames, int fps) {
    return static_cast<double>(static_cast<float>(frames) / static_cast<float>(fps));
}

class WorldScene : public StartedPlugin {
  protected:
    void SetUp() override {
        StartedPlugin::SetUp();
        world = add(kWorldType, "World");
    }

    void TearDown() override {
        host.set_animation_running(false);
        StartedPlugin::TearDown();
    }

    static void set_link(vantri::SceneObject* object, int32_t id, vantri::SceneObject* target) {
        object->data().set(id, vantri::Value::of_link(target));
        object->touch();
    }
    static void set_list(vantri::SceneObject* object, int32_t id,
                         const std::vector<vantri::SceneObject*>& items) {
        auto list = std::make_unique<vantri::InExcludeList>();
        for (vantri::SceneObject* item : items)
            list->append(item);
        object->data().set(id, vantri::Value::of_custom(std::move(list)));
        object->touch();
    }

    /// A generator of nx * ny * nz agents with one null as its source object. Its turn limit
    /// is lifted, so that an agent takes its target heading within one frame.
    vantri::SceneObject* add_generator(const std::string& name, int32_t nx, int32_t ny, int32_t nz,
                                       vantri::SceneObject* parent) {
        vantri::SceneObject* generator = add(kGeneratorType, name, parent);
        set_int(generator, CROWDGEN_COUNT_X, nx);
        set_int(generator, CROWDGEN_COUNT_Y, ny);
        set_int(generator, CROWDGEN_COUNT_Z, nz);
        set_real(generator, CROWDGEN_MAX_TURN, 10.0);
        add(5140, name + " source", generator);
        return generator;
    }

    /// A behaviour with every switch as its Init left it.
    vantri::SceneObject* add_behaviour(const std::string& name) {
        return add(kBehaviourType, name);
    }

    /// A behaviour that only follows `target`, with the given strength.
    vantri::SceneObject* add_follower(const std::string& name, vantri::SceneObject* target,
                                      double strength) {
        vantri::SceneObject* behaviour = add_behaviour(name);
        set_int(behaviour, CROWDBEHAV_FOLLOW, 1);
        set_link(behaviour, CROWDBEHAV_FOLLOW_TARGET, target);
        set_real(behaviour, CROWDBEHAV_STRENGTH, strength);
        return behaviour;
    }

    /// A null at a point, as a follow target.
    vantri::SceneObject* add_target(const std::string& name, VtVector at) {
        vantri::SceneObject* target = add(5140, name);
        target->set_position(at);
        return target;
    }

    /// The generator's agent array, as it answers message 23.
    VtRecordArray* agents(vantri::SceneObject* generator) {
        VtCrowdEntry entry{};
        VtPrivateData request{0, &entry};
        send(generator, 23, &request);
        EXPECT_EQ(request.answered, 1);
        return entry.agents;
    }

    VtAgentRecord& agent(vantri::SceneObject* generator, int32_t k) {
        VtRecordArray* array = agents(generator);
        EXPECT_NE(array, nullptr);
        EXPECT_LT(k, array->count);
        return record_at(*array, k);
    }

    /// Creates the crew at frame 0 with the animation stopped (the world only notes the
    /// frame), so that records can be set up before the first simulated frame.
    void create_crew() {
        host.set_animation_running(false);
        evaluate(0);
    }

    /// Puts an agent at `at`, facing +Z, standing still, with clean steering fields.
    void place(VtAgentRecord& a, VtVector at, VtVector facing = vec(0, 0, 1)) {
        a.mg = vantri::identity_matrix();
        a.mg.off = at;
        a.global_mg = a.mg;
        a.parent_mg = vantri::identity_matrix();
        a.direction = facing;
        a.rotation = vec(std::atan2(-facing.x, facing.z), 0, 0);
        a.mg.v3 = facing;
        a.mg.v1 = vec(facing.z, 0, -facing.x);
        a.global_mg = a.mg;
        a.speed = 0;
        a.waiting = 0;
        a.wait_frames = 0;
        a.steer_vector = VtVector{};
        a.extra_velocity = VtVector{};
        a.avoid_steer = VtVector{};
    }

    /// Evaluates one frame with the animation running.
    void simulate(int32_t frame) {
        host.set_animation_running(true);
        evaluate(frame);
    }

    /// The heading (radians about Y, 0 facing +Z) of an agent's direction after a frame.
    static double heading_after(const VtAgentRecord& a) {
        return std::atan2(-a.direction.x, a.direction.z);
    }

    vantri::SceneObject* world = nullptr;
};

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
