// Generators in the host and the records of their crews: the records as the host sees them,
// in the boundary's layout (abi/CrowdRecordLayout.h, which the plug-in's own records are
// checked against) with the host's arithmetic on their vectors; a fixture that builds
// generator scenes and reads the records the way the world does (message 23 into a crowd
// entry); and the documented random sequence, to predict a crew.
#pragma once

#include "tests/support/PluginFixture.h"

#include "abi/CrowdRecordLayout.h"
#include "host/scene/Transform.h"
#include "parameter_ids/ocrowdgenerator.h"

#include <cstdint>
#include <cstring>
#include <vector>

// The host's sums, differences and scalings of vectors, and equality by components, where
// the boundary's types live, so that every test (and GoogleTest's EXPECT_EQ) finds them.
using vantri::operator+;
using vantri::operator-;
using vantri::operator*;
inline bool operator==(const VtVector& a, const VtVector& b) {
    return a.x == b.x && a.y == b.y && a.z == b.z;
}
inline bool operator!=(const VtVector& a, const VtVector& b) {
    return !(a == b);
}
inline bool operator==(const VtMatrix& a, const VtMatrix& b) {
    return a.off == b.off && a.v1 == b.v1 && a.v2 == b.v2 && a.v3 == b.v3;
}
inline bool operator!=(const VtMatrix& a, const VtMatrix& b) {
    return !(a == b);
}

namespace vantri_test {

/// A vector from its components.
inline VtVector vec(double x, double y, double z) {
    return VtVector{x, y, z};
}

/// A record as the plug-in starts one: every scalar and vector zero, every matrix the
/// identity, no pointers.
inline VtAgentRecord blank_record() {
    VtAgentRecord record{};
    record.global_mg = record.mg = record.parent_mg = record.spline_mg = vantri::identity_matrix();
    return record;
}

/// Record `k` of a generator's array, where the generator keeps it: changing it changes the
/// agent.
inline VtAgentRecord& record_at(const VtRecordArray& array, int32_t k) {
    return array.block[array.front + k];
}

/// The documented random sequence of a generator: state = ((state + 1) * 69069) mod 2^32,
/// masked to 31 bits.
struct ExpectedRandom {
    uint32_t state;
    uint32_t step() { return state = ((state + 1u) * 69069u) & 0x7fffffffu; }
    double get01() { return static_cast<double>(step()) * 4.656612870908988e-10; }
    double get11() { return static_cast<double>(step()) * 9.313225741817976e-10 - 1.0; }
};

inline bool same(const VtVector& a, const VtVector& b) {
    return a.x == b.x && a.y == b.y && a.z == b.z;
}
inline bool same(const VtMatrix& a, const VtMatrix& b) {
    return same(a.off, b.off) && same(a.v1, b.v1) && same(a.v2, b.v2) && same(a.v3, b.v3);
}

/// Whether two agent records hold the same values in every field (the bytes between fields
/// are no part of a record); the instance pointer is compared only when asked.
inline bool same_record(const VtAgentRecord& a, const VtAgentRecord& b, bool with_object) {
    const auto bits = [](double x, double y) { return std::memcmp(&x, &y, sizeof x) == 0; };
    const auto vec = [&](const VtVector& x, const VtVector& y) {
        return bits(x.x, y.x) && bits(x.y, y.y) && bits(x.z, y.z);
    };
    const auto mat = [&](const VtMatrix& x, const VtMatrix& y) {
        return vec(x.off, y.off) && vec(x.v1, y.v1) && vec(x.v2, y.v2) && vec(x.v3, y.v3);
    };
    return bits(a.speed, b.speed) && bits(a.acceleration, b.acceleration) &&
           bits(a.look_ahead, b.look_ahead) && bits(a.random_value, b.random_value) &&
           a.waiting == b.waiting && a.wait_frames == b.wait_frames && vec(a.size, b.size) &&
           vec(a.direction, b.direction) && vec(a.rotation, b.rotation) &&
           mat(a.global_mg, b.global_mg) && mat(a.mg, b.mg) && mat(a.parent_mg, b.parent_mg) &&
           (!with_object || a.object == b.object) && vec(a.hit_normal, b.hit_normal) &&
           vec(a.hit_point, b.hit_point) && a.hit_obstacle == b.hit_obstacle &&
           bits(a.max_speed, b.max_speed) && vec(a.collision_steer, b.collision_steer) &&
           vec(a.avoid_steer, b.avoid_steer) && vec(a.extra_velocity, b.extra_velocity) &&
           vec(a.steer_vector, b.steer_vector) && a.crowd_index == b.crowd_index &&
           a.crowd == b.crowd && vec(a.nearest_offset, b.nearest_offset) &&
           mat(a.spline_mg, b.spline_mg);
}

class GeneratorTest : public StartedPlugin {
  protected:
    /// A generator at the top level (or under `parent`) with one cube child per source name.
    vantri::SceneObject* add_generator(const std::vector<std::string>& sources,
                                       vantri::SceneObject* parent = nullptr,
                                       const std::string& name = "Generator") {
        vantri::SceneObject* generator = add(kGeneratorType, name, parent);
        for (const std::string& source : sources)
            add(vantri::kCubeType, source, generator);
        return generator;
    }

    static void set_counts(vantri::SceneObject* generator, int32_t x, int32_t y, int32_t z) {
        set_int(generator, CROWDGEN_COUNT_X, x);
        set_int(generator, CROWDGEN_COUNT_Y, y);
        set_int(generator, CROWDGEN_COUNT_Z, z);
    }

    /// Marks the generator's first child as changed, as an edit of the user would.
    static void touch_child(vantri::SceneObject* generator) { generator->first_child()->touch(); }

    /// Asks the generator for its crowd entry as the world does; null when it did not answer.
    VtRecordArray* agents_of(vantri::SceneObject* generator, VtCrowdEntry* entry_out = nullptr) {
        VtCrowdEntry entry{};
        VtPrivateData request{0, &entry};
        send(generator, 23, &request);
        if (entry_out != nullptr) *entry_out = entry;
        return request.answered == 1 ? entry.agents : nullptr;
    }

    /// A copy of every record, in array order.
    std::vector<VtAgentRecord> records_of(vantri::SceneObject* generator) {
        std::vector<VtAgentRecord> records;
        if (VtRecordArray* agents = agents_of(generator)) {
            for (int32_t i = 0; i < agents->count; ++i)
                records.push_back(record_at(*agents, i));
        }
        return records;
    }

    /// The objects directly under `root`, first child first.
    static std::vector<vantri::SceneObject*> children_of(const vantri::SceneObject* root) {
        std::vector<vantri::SceneObject*> children;
        if (root == nullptr) return children;
        for (vantri::Atom* child = root->first_child(); child != nullptr; child = child->next())
            children.push_back(vantri::SceneObject::from(child));
        return children;
    }

    /// What an instance object links to, or null.
    static vantri::Atom* linked_source(const vantri::SceneObject* instance) {
        const vantri::Value* link = instance->data().find(vantri::kInstanceLink);
        return link != nullptr ? link->target() : nullptr;
    }

    void play(int32_t first, int32_t last) {
        vantri::play_range(host, *document, first, last, vantri::PlayMode::Play);
    }
};

} // namespace vantri_test
