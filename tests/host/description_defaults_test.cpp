// The defaults a description file states are the values the plug-in's Init writes: a new
// object of each type holds exactly its description's defaults, and nothing where the
// description states none.
#include "tests/support/PluginFixture.h"

#include "host/scene/ObjectDescription.h"
#include "host/scene/SplineCurve.h"

#include <cstdio>
#include <cstring>

namespace {

using vantri::DescriptionParameter;
using vantri::Value;

std::string text(double value) {
    char out[40];
    std::snprintf(out, sizeof out, "%.17g", value);
    return out;
}

/// What the description states as `p`'s default, for messages.
std::string stated(const DescriptionParameter& p) {
    const vantri::ParameterDefault& d = p.default_value;
    switch (p.dtype) {
    case VT_DTYPE_LONG:
    case VT_DTYPE_BOOL:
        return std::to_string(d.integer);
    case VT_DTYPE_REAL:
        return text(d.real);
    case VT_DTYPE_VECTOR:
        return "(" + text(d.vector.x) + ", " + text(d.vector.y) + ", " + text(d.vector.z) + ")";
    case VT_DTYPE_STRING:
        return "\"" + d.text + "\"";
    default:
        return std::to_string(d.knots.size()) + " knots";
    }
}

/// Why `value` is not the default the description states for `p`, or "" when it is. Reals
/// compare bit for bit.
std::string mismatch(const DescriptionParameter& p, const Value* value) {
    const vantri::ParameterDefault& expected = p.default_value;
    if (!expected.stated)
        return value == nullptr ? "" : "Init writes a value, the description states none";
    if (value == nullptr) return "Init writes nothing, the description states " + stated(p);
    const auto same = [](double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; };
    bool equal = false;
    switch (p.dtype) {
    case VT_DTYPE_LONG:
    case VT_DTYPE_BOOL: // the host stores booleans as the integers 0 and 1
        equal = value->type == VT_DTYPE_LONG && value->integer == expected.integer;
        break;
    case VT_DTYPE_REAL:
        equal = value->type == VT_DTYPE_REAL && same(value->real, expected.real);
        break;
    case VT_DTYPE_VECTOR:
        equal = value->type == VT_DTYPE_VECTOR && same(value->vector.x, expected.vector.x) &&
                same(value->vector.y, expected.vector.y) &&
                same(value->vector.z, expected.vector.z);
        break;
    case VT_DTYPE_STRING:
        equal = value->type == VT_DTYPE_STRING && value->text == expected.text;
        break;
    case VT_CUSTOMDATA_SPLINE: {
        const auto* curve = dynamic_cast<const vantri::SplineCurve*>(value->custom.get());
        equal =
            curve != nullptr && curve->knot_count() == static_cast<int32_t>(expected.knots.size());
        for (int32_t i = 0; equal && i < curve->knot_count(); ++i)
            equal = same(curve->knot(i)->position.x, expected.knots[i].first) &&
                    same(curve->knot(i)->position.y, expected.knots[i].second);
        break;
    }
    default:
        return "a default for data type " + std::to_string(p.dtype);
    }
    return equal ? "" : "Init writes another value than " + stated(p);
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
