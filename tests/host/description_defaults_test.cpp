// The defaults a description file states are the values the plug-in's Init writes: a new
// object of each type holds exactly its description's defaults, and nothing where the
// description states none.
#include "PluginFixture.h"

#include "scene/ObjectDescription.h"
#include "scene/SplineCurve.h"

#include <cstring>

namespace {

using vantri::DescriptionParameter;
using vantri::ResourceJson;
using vantri::Value;

/// Why `value` is not `expected` (as the description states it), or "" when it is. Reals
/// compare bit for bit.
std::string mismatch(const DescriptionParameter& p, const Value* value) {
    const ResourceJson& expected = p.default_value;
    if (expected.is_null())
        return value == nullptr ? "" : "Init writes a value, the description states none";
    if (value == nullptr) return "Init writes nothing, the description states " + expected.dump();
    const auto same = [](double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; };
    bool equal = false;
    switch (p.dtype) {
    case VT_DTYPE_LONG:
        equal = value->type == VT_DTYPE_LONG && value->integer == expected.get<int32_t>();
        break;
    case VT_DTYPE_BOOL:
        // The host stores booleans as the integers 0 and 1.
        equal = value->type == VT_DTYPE_LONG && value->integer == (expected.get<bool>() ? 1 : 0);
        break;
    case VT_DTYPE_REAL:
        equal = value->type == VT_DTYPE_REAL && same(value->real, expected.get<double>());
        break;
    case VT_DTYPE_VECTOR:
        equal = value->type == VT_DTYPE_VECTOR &&
                same(value->vector.x, expected[0].get<double>()) &&
                same(value->vector.y, expected[1].get<double>()) &&
                same(value->vector.z, expected[2].get<double>());
        break;
    case VT_DTYPE_STRING:
        equal = value->type == VT_DTYPE_STRING && value->text == expected.get<std::string>();
        break;
    case VT_CUSTOMDATA_SPLINE: {
        const auto* curve = dynamic_cast<const vantri::SplineCurve*>(value->custom.get());
        const ResourceJson& knots = expected["knots"];
        equal = curve != nullptr && curve->knot_count() == static_cast<int32_t>(knots.size());
        for (int32_t i = 0; equal && i < curve->knot_count(); ++i)
            equal = same(curve->knot(i)->position.x, knots[i][0].get<double>()) &&
                    same(curve->knot(i)->position.y, knots[i][1].get<double>());
        break;
    }
    default:
        return "a default for data type " + std::to_string(p.dtype);
    }
    return equal ? "" : "Init writes another value than " + expected.dump();
}

class DescriptionDefaultsTest : public vantri_test::StartedPlugin {};

TEST_F(DescriptionDefaultsTest, EveryTypeInitialisesWhatItsDescriptionStates) {
    const auto types = host.types().plugin_types();
    ASSERT_EQ(types.size(), 5u);
    for (const vantri::ObjectType* type : types) {
        const vantri::DescriptionResource* description = host.find_description(type->description);
        ASSERT_NE(description, nullptr) << type->description;
        vantri::SceneObject* object = add(type->id, type->description);
        ASSERT_NE(object, nullptr);
        for (const DescriptionParameter& p : description->parameters) {
            if (p.dtype == VT_DTYPE_GROUP) continue;
            EXPECT_EQ(mismatch(p, object->data().find(p.id)), "")
                << type->description << " " << p.symbol;
        }
    }
}

} // namespace
