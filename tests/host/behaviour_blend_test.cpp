// The behaviour and blend objects through the real module: their defaults as Init writes
// them, their answer to message 23, and the blend's index parameter shown only in the
// single-entry mode.
#include "tests/support/PluginFixture.h"

#include "host/scene/ObjectDescription.h"
#include "host/scene/SplineCurve.h"

#include <utility>
#include <vector>

namespace {

using vantri_test::kBehaviourType;
using vantri_test::kBlendType;

class BehaviourAndBlend : public vantri_test::StartedPlugin {
  protected:
    /// Reads a parameter the way the attribute manager does; false when it is not there.
    bool read(vantri::SceneObject* object, int32_t id, VtData& out) {
        const VtDescId desc{1, {{id, 0, 0}}};
        out = VtData{};
        return host.api()->atoms->get_parameter(object->handle(), &desc, &out, 0) != 0;
    }
    void write(vantri::SceneObject* object, int32_t id, int32_t value) {
        const VtDescId desc{1, {{id, 0, 0}}};
        VtData data{};
        data.type = VT_DTYPE_LONG;
        data.value.integer = value;
        ASSERT_TRUE(host.api()->atoms->set_parameter(object->handle(), &desc, &data, 0));
    }
    std::vector<int32_t> ids_in_order(vantri::SceneObject* object) {
        std::vector<int32_t> ids;
        for (const auto& entry : object->data().entries())
            ids.push_back(entry.first);
        return ids;
    }
    bool hidden_index(vantri::SceneObject* blend, const VtDescId* single = nullptr) {
        vantri::DescriptionBuild description;
        EXPECT_TRUE(vantri::build_description(host, *blend, description, single));
        EXPECT_NE(description.find(1007), nullptr) << "the blend's description is loaded";
        return description.hidden(1007);
    }
};

TEST_F(BehaviourAndBlend, ANewBehaviourHoldsItsDefaultsInInitOrder) {
    vantri::SceneObject* behaviour = add(kBehaviourType, "Behaviour");
    ASSERT_NE(behaviour, nullptr);

    EXPECT_EQ(ids_in_order(behaviour), (std::vector<int32_t>{1001, 1004, 1008, 1014, 1018, 1023,
                                                             1028, 1032, 1038, 1042, 1041}));
    VtData value{};
    for (int32_t id : {1001, 1004, 1008, 1014, 1018, 1023, 1028, 1032, 1038}) {
        ASSERT_TRUE(read(behaviour, id, value)) << id;
        EXPECT_EQ(value.type, VT_DTYPE_REAL) << id;
        EXPECT_EQ(value.value.real, 1.0) << id;
    }
    ASSERT_TRUE(read(behaviour, 1042, value));
    EXPECT_EQ(value.type, VT_DTYPE_LONG);
    EXPECT_EQ(value.value.integer, 1) << "the end stop is the one switch on";

    const vantri::Container& data = behaviour->data();
    for (int32_t id : {1003, 1013, 1017, 1022, 1025, 1026, 1031, 1033, 1034, 1035, 1037})
        EXPECT_FALSE(data.get_bool(id)) << "switch " << id;
    for (int32_t id : {1005, 1009, 1010, 1011, 1015})
        EXPECT_EQ(data.get_int(id), 0) << id;
    EXPECT_EQ(data.get_real(1019), 0.0);
    EXPECT_EQ(data.get_real(1039), 0.0);

    // The profile: a linear curve of two knots whose first knot is raised to (0, 1, 0).
    ASSERT_TRUE(read(behaviour, 1041, value));
    ASSERT_EQ(value.type, VT_CUSTOMDATA_SPLINE);
    const auto* profile = vantri::SplineCurve::from(value.value.custom);
    ASSERT_NE(profile, nullptr);
    ASSERT_EQ(profile->knot_count(), 2);
    EXPECT_EQ(profile->knot(0)->position.x, 0.0);
    EXPECT_EQ(profile->knot(0)->position.y, 1.0);
    EXPECT_EQ(profile->knot(0)->position.z, 0.0);
    EXPECT_EQ(profile->knot(1)->position.x, 1.0);
    EXPECT_EQ(profile->knot(1)->position.y, 1.0);
    EXPECT_EQ(profile->point(0.5).y, 1.0) << "a weight of 1 along the whole spline";
    host.api()->containers->custom_free(value.value.custom);

    delete behaviour;
    EXPECT_EQ(vantri::allocator().live(), baseline_live) << "the profile's curve was freed";
}

TEST_F(BehaviourAndBlend, ARefusedAllocationNeverLeavesAHalfMadeProfile) {
    for (int32_t n = 1; n <= 4; ++n) {
        vantri::allocator().fail_nth(n);
        const vantri::Result<vantri::SceneObject*> made =
            vantri::create_object(host.types(), kBehaviourType);
        vantri::SceneObject* behaviour = made ? *made : nullptr;
        vantri::allocator().fail_nth(0);
        if (behaviour != nullptr) {
            const vantri::Value* profile = behaviour->data().find(1041);
            if (profile != nullptr) {
                const auto* curve = vantri::SplineCurve::from(profile->custom->handle());
                ASSERT_NE(curve, nullptr) << n;
                EXPECT_EQ(curve->knot_count(), 2) << n;
                EXPECT_EQ(curve->knot(0)->position.y, 1.0) << n;
            }
            EXPECT_EQ(behaviour->data().get_real(1001), 1.0) << n;
            delete behaviour;
        }
        EXPECT_EQ(vantri::allocator().live(), baseline_live) << "refusing request " << n;
    }
}

TEST_F(BehaviourAndBlend, ANewBlendSumsAtFullStrength) {
    vantri::SceneObject* blend = add(kBlendType, "Blend");
    ASSERT_NE(blend, nullptr);
    EXPECT_EQ(ids_in_order(blend), (std::vector<int32_t>{1001, 1005}));
    VtData value{};
    ASSERT_TRUE(read(blend, 1001, value));
    EXPECT_EQ(value.type, VT_DTYPE_LONG);
    EXPECT_EQ(value.value.integer, 1002);
    ASSERT_TRUE(read(blend, 1005, value));
    EXPECT_EQ(value.type, VT_DTYPE_REAL);
    EXPECT_EQ(value.value.real, 1.0);
    EXPECT_EQ(blend->data().get_int(1007), 0) << "the index has no default";
}

TEST_F(BehaviourAndBlend, BothHandOutTheirContainerOnMessage23AndIgnoreOtherMessages) {
    for (int32_t type : {kBehaviourType, kBlendType}) {
        vantri::SceneObject* object = add(type, "Object");
        ASSERT_NE(object, nullptr);
        VtPrivateData request{0, nullptr};
        EXPECT_EQ(send(object, 23, &request), 1);
        EXPECT_EQ(request.data, object->data().handle()) << type;
        EXPECT_EQ(request.answered, 0) << "the flag is left as it was";

        request = VtPrivateData{7, nullptr};
        EXPECT_EQ(send(object, 23, &request), 1);
        EXPECT_EQ(request.answered, 7);

        int marker = 0;
        VtPrivateData other{3, &marker};
        EXPECT_EQ(send(object, 24, &other), 1);
        EXPECT_EQ(other.answered, 3);
        EXPECT_EQ(other.data, &marker) << "another message changes nothing";
        EXPECT_EQ(send(object, 23, nullptr), 1) << "a request without a record";
    }
}

TEST_F(BehaviourAndBlend, TheBlendShowsItsIndexOnlyInTheSingleEntryMode) {
    vantri::SceneObject* blend = add(kBlendType, "Blend");
    ASSERT_NE(blend, nullptr);
    EXPECT_TRUE(hidden_index(blend)) << "a new blend sums its entries";
    write(blend, 1001, 1006);
    EXPECT_FALSE(hidden_index(blend));
    for (int32_t mode : {1002, 1003, 1004, 1005, 0}) {
        write(blend, 1001, mode);
        EXPECT_TRUE(hidden_index(blend)) << "mode " << mode;
    }

    // Asked for the index alone, the blend still decides; asked for another parameter, it
    // leaves the index as its resource has it.
    write(blend, 1001, 1006);
    const VtDescId index{1, {{1007, VT_DTYPE_LONG, 0}}};
    EXPECT_FALSE(hidden_index(blend, &index));
    const VtDescId strength{1, {{1005, 0, 0}}};
    EXPECT_TRUE(hidden_index(blend, &strength));

    blend->data().remove(1001);
    EXPECT_TRUE(hidden_index(blend)) << "a missing mode reads 0";

    // The blend's own changes leave the rest as loaded: its group stays open and shown.
    vantri::DescriptionBuild description;
    ASSERT_TRUE(vantri::build_description(host, *blend, description));
    EXPECT_TRUE(description.open(1100));
    EXPECT_FALSE(description.hidden(1100));
    EXPECT_FALSE(description.open(1005)) << "a parameter is no group";
}

} // namespace
