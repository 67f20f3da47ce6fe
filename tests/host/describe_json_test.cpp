// vantri describe --json against the description files the plug-in loads: every entry, in
// order, with its id, symbol, group, label, options, range, unit, accepted types and the
// default the file states (null where it states none), for every type the plug-in registers.
#include "host/resources/DescriptionFile.h"
#include "tests/support/CommandRun.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cstdio>
#include <string>

namespace {

using Json = nlohmann::json;

/// What the command printed, when it succeeded (stderr, empty then, comes with it).
std::string output_of(const std::string& arguments) {
    const vantri_test::CommandOutcome outcome = vantri_test::run_vantri(arguments);
    EXPECT_EQ(outcome.exit_code, 0) << outcome.output;
    return outcome.output;
}

/// The default a description states, as describe --json writes it.
Json stated_default(const vantri::DescriptionParameter& p) {
    const vantri::ParameterDefault& d = p.default_value;
    if (!d.stated) return nullptr;
    switch (p.dtype) {
    case VT_DTYPE_LONG:
        return d.integer;
    case VT_DTYPE_BOOL:
        return d.integer != 0;
    case VT_DTYPE_REAL:
        return d.real;
    case VT_DTYPE_VECTOR:
        return Json::array({d.vector.x, d.vector.y, d.vector.z});
    case VT_DTYPE_STRING:
        return d.text;
    default: {
        Json knots = Json::array();
        for (const auto& [x, y] : d.knots)
            knots.push_back(Json::array({x, y}));
        return Json{{"knots", knots}};
    }
    }
}

TEST(DescribeJson, EveryTypeIsItsDescriptionFile) {
    const Json all = Json::parse(output_of("describe --json"), nullptr, false);
    ASSERT_TRUE(all.is_object() && all.contains("types")) << "describe --json wrote no JSON";
    ASSERT_EQ(all["types"].size(), 5u);
    for (const Json& type : all["types"]) {
        const std::string name = type["description"];
        vantri::DescriptionResource file;
        const vantri::Status loaded = vantri::load_description(
            std::string(VANTRI_PLUGIN_DIR) + "/res/descriptions/" + name + ".json", name, file);
        ASSERT_TRUE(loaded) << loaded.message();
        EXPECT_EQ(type["title"], file.label);
        const Json& entries = type["parameters"];
        ASSERT_EQ(entries.size(), file.parameters.size()) << name;
        for (size_t i = 0; i < entries.size(); ++i) {
            const Json& entry = entries[i];
            const vantri::DescriptionParameter& p = file.parameters[i];
            SCOPED_TRACE(name + " " + p.symbol);
            EXPECT_EQ(entry["id"], p.id);
            EXPECT_EQ(entry["symbol"], p.symbol);
            EXPECT_EQ(entry["label"], p.label);
            if (p.group != 0) {
                EXPECT_EQ(entry["group"], file.find(p.group)->symbol);
            }
            EXPECT_EQ(entry.value("unit", ""), p.unit);
            if (p.min) {
                EXPECT_EQ(entry["min"].get<double>(), *p.min);
            }
            if (p.max) {
                EXPECT_EQ(entry["max"].get<double>(), *p.max);
            }
            if (p.step) {
                EXPECT_EQ(entry["step"].get<double>(), *p.step);
            }
            ASSERT_EQ(entry.value("options", Json::array()).size(), p.cycle.size());
            for (size_t k = 0; k < p.cycle.size(); ++k) {
                EXPECT_EQ(entry["options"][k]["symbol"], p.cycle[k].symbol);
                EXPECT_EQ(entry["options"][k]["id"], p.cycle[k].value);
                EXPECT_EQ(entry["options"][k]["label"], p.cycle[k].label);
            }
            ASSERT_EQ(entry.value("accept", Json::array()).size(), p.accepted_types.size());
            for (size_t k = 0; k < p.accepted_types.size(); ++k)
                EXPECT_EQ(entry["accept"][k]["id"], p.accepted_types[k]);
            if (p.dtype != VT_DTYPE_GROUP && p.dtype != VT_DTYPE_LINK &&
                p.dtype != VT_CUSTOMDATA_INEXCLUDE) {
                EXPECT_EQ(entry["default"], stated_default(p));
            }
        }
    }
}

TEST(DescribeJson, SceneFileTypeNamesNameTheSameTypes) {
    EXPECT_EQ(output_of("describe --json generator"), output_of("describe --json ocrowdgenerator"));
    const Json one = Json::parse(output_of("describe --json blend"), nullptr, false);
    ASSERT_TRUE(one.is_object());
    EXPECT_EQ(one["description"], "ocrowdBlend");
    EXPECT_EQ(one["scene_type"], "blend");
}

} // namespace
