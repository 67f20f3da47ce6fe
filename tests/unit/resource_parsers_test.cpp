// The two kinds of resource file, one reader at a time: what each accepts and how precisely
// it points at a mistake. The description with every kind of entry is also turned into a
// C++ header at build time (othing.h), which must agree with what the loader reads.
#include "tests/support/ErrorText.h"
#include "tests/support/ScratchFolder.h"

#include "abi/host_abi.h"
#include "host/resources/DescriptionFile.h"
#include "host/resources/ResourceJson.h"
#include "host/resources/StringTable.h"

#include "parameter_ids/othing.h"

#include <gtest/gtest.h>

using namespace vantri;
using vantri_test::error_names;

namespace {

/// Whether `status` is success; otherwise its message goes into `error`.
bool ok(const Status& status, std::string& error) {
    if (!status) error = status.message();
    return status.ok();
}

// ------------------------------------------------------------------ JSON

TEST(ResourceJsonTest, RejectsTextThatIsNotJsonAndSaysWhere) {
    struct Case {
        const char* text;
        const char* where; ///< "line:column" where the parser stopped, at or just after the fault
        const char* words;
    } cases[] = {
        {"{\n  \"a\": \"never closed\n}", "2:21", "control character U+000A (LF) must be escaped"},
        {"{\n  \"a\": \"bad \\q escape\"\n}", "2:14", "forbidden character after backslash"},
        {"{\n  \"a\": \"\\u12\"\n}", "2:13", "'\\u' must be followed by 4 hex digits"},
        {"{\n  \"a\": \"latin-1 \xE9\"\n}", "2:18", "ill-formed UTF-8 byte"},
        {"{\n  // a comment\n}", "2:3", "invalid literal"},
        {"{\n  \"a\": [1, 2,]\n}", "2:14", "unexpected ']'"},
        {"{\n  \"a\": 1\n  \"b\": 2\n}", "3:5", "expected '}'"},
        {"{\n  \"a\": 1\n", "3:1", "unexpected end of input"},
        {"{}\n{}", "2:1", "expected end of input"},
        {"{ \"a\": 1001L }", "1:12", "invalid literal"},
    };
    for (const Case& c : cases) {
        ResourceJson json = "untouched";
        std::string error;
        EXPECT_FALSE(ok(parse_resource_json(c.text, "bad.json", json), error)) << c.text;
        EXPECT_TRUE(error_names(error, "bad.json", c.where, "not valid JSON: ")) << c.text;
        EXPECT_NE(error.find(c.words), std::string::npos) << error;
    }
}

TEST(ResourceJsonTest, AKeyWrittenTwiceIsRefusedWithItsPath) {
    ResourceJson json;
    std::string error;
    EXPECT_FALSE(ok(parse_resource_json("{\"parameters\": [{\"a\": 1}, {\"b\": [{}, {\"c\": 1, "
                                        "\"c\": 2}]}]}",
                                        "twice.json", json),
                    error));
    EXPECT_TRUE(error_names(error, "twice.json", "parameters[1].b[1].c",
                            "the key 'c' is written twice in one object"));
    // The same key in two objects is fine.
    EXPECT_TRUE(ok(parse_resource_json("[{\"a\": 1}, {\"a\": 2}]", "twice.json", json), error));
}

TEST(ResourceJsonTest, IdsAreWholeNumbersWrittenAsIntegersWithin32Bits) {
    const auto read = [](const char* text, int32_t& out) {
        const ResourceJson json = ResourceJson::parse(text);
        try {
            out = ResourceField(json, "id").int32();
            return std::string();
        } catch (const ResourceFault& fault) {
            return fault.describe("f");
        }
    };
    int32_t value = 0;
    EXPECT_EQ(read("2147483647", value), "");
    EXPECT_EQ(value, 2147483647);
    EXPECT_EQ(read("-2147483648", value), "");
    EXPECT_EQ(value, -2147483647 - 1);
    EXPECT_EQ(read("2147483648", value),
              "f: id: expected a whole number within 32 bits, found the number 2147483648");
    EXPECT_EQ(read("-2147483649", value),
              "f: id: expected a whole number within 32 bits, found the number -2147483649");
    EXPECT_EQ(read("1001.0", value),
              "f: id: expected a whole number within 32 bits, found the number 1001.0");
    EXPECT_EQ(read("\"1001\"", value),
              "f: id: expected a whole number within 32 bits, found the string \"1001\"");
}

// ------------------------------------------------------------------ strings

TEST(StringTableTest, DecodesEscapesAndSkipsAByteOrderMark) {
    std::map<int32_t, std::string> strings;
    std::string error;
    ASSERT_TRUE(
        ok(parse_string_table("\xEF\xBB\xBF" // a byte-order mark is skipped
                              "{\"comment\": \"ignored\", \"strings\": [\n"
                              "  {\"id\": 10, \"text\": \"Quote \\\" back\\\\slash\\n\\ttab "
                              "\\u00e9 \xC3\xA9\"},\n"
                              "  {\"id\": 20, \"text\": \"Two\", \"comment\": \"ignored\"}\n"
                              "]}\n",
                              "strings.json", strings),
           error))
        << error;
    EXPECT_EQ(strings, (std::map<int32_t, std::string>{
                           {10, "Quote \" back\\slash\n\ttab \xC3\xA9 \xC3\xA9"}, {20, "Two"}}));
}

TEST(StringTableTest, RejectsBadTablesAndSaysWhere) {
    struct Case {
        const char* text;
        const char* where;
        const char* words;
    } cases[] = {
        {R"({"strings": [{"id": 20, "text": "a"}, {"id": 20, "text": "b"}]})", "strings[1].id",
         "duplicate id 20: already has a text at strings[0]"},
        {R"({"strings": [{"id": 20}]})", "strings[0]", "missing \"text\""},
        {R"({"strings": [{"text": "a"}]})", "strings[0]", "missing \"id\""},
        {R"({"strings": [{"id": 20, "text": 5}]})", "strings[0].text",
         "expected a string, found the number 5"},
        {R"({"strings": [{"id": "IDS_ONE", "text": "a"}]})", "strings[0].id",
         "expected a whole number within 32 bits, found the string \"IDS_ONE\""},
        {R"({"strings": [{"id": 20, "txt": "a"}]})", "strings[0].txt",
         "unknown key 'txt' in a string: expected comment, id, text"},
        {R"({"strings": [{"id": 20, "text": "a", "text": "b"}]})", "strings[0].text",
         "written twice"},
        {R"({"strings": {"20": "a"}})", "strings", "expected a list of strings"},
        {R"({"strings": ["a"]})", "strings[0]", "expected a string (an object with"},
        {R"({"string": []})", "string", "unknown key 'string' in a strings file"},
        {R"({})", "", "missing \"strings\""},
        {R"([])", "", "expected a strings file (an object with comment, strings), found a list"},
        {"{\"strings\": [\n  {\"id\": 20, \"text\": \"a\"}\n", "3:1", "not valid JSON"},
    };
    for (const Case& c : cases) {
        std::map<int32_t, std::string> strings{{1, "untouched"}};
        std::string error;
        EXPECT_FALSE(ok(parse_string_table(c.text, "t.json", strings), error)) << c.text;
        EXPECT_TRUE(error_names(error, "t.json", c.where, c.words)) << c.text;
        EXPECT_EQ(strings, (std::map<int32_t, std::string>{{1, "untouched"}}));
    }
}

// ------------------------------------------------------------------ descriptions

const std::string kFixtures = std::string(VANTRI_SOURCE_DIR) + "/tests/unit/fixtures";

TEST(DescriptionFileTest, ReadsEveryKindOfEntry) {
    DescriptionResource d;
    std::string error;
    ASSERT_TRUE(ok(load_description(kFixtures + "/othing.json", "othing", d), error)) << error;
    EXPECT_EQ(d.name, "othing");
    EXPECT_EQ(d.label, "Thing");
    const char* order[] = {"T_COUNT", "T_GROUP", "T_SWITCH", "T_ANGLE", "T_INNER",  "T_LINK",
                           "T_LIST",  "T_CURVE", "T_NAME",   "T_FLAG",  "T_OFFSET", "T_MODE"};
    ASSERT_EQ(d.parameters.size(), std::size(order));
    for (size_t i = 0; i < std::size(order); ++i)
        EXPECT_EQ(d.parameters[i].symbol, order[i]);

    const DescriptionParameter* count = d.find("T_COUNT");
    EXPECT_EQ(count->id, 1001);
    EXPECT_EQ(count->dtype, VT_DTYPE_LONG);
    EXPECT_EQ(count->label, "Count");
    EXPECT_EQ(count->group, 0);
    EXPECT_EQ(count->min, -2.0);
    EXPECT_EQ(count->max, 10.0);
    EXPECT_EQ(count->step, 2.0);
    EXPECT_EQ(count->unit, "meter");
    EXPECT_TRUE(count->default_value.stated);
    EXPECT_EQ(count->default_value.integer, 4);

    const DescriptionParameter* group = d.find(2000);
    EXPECT_EQ(group->dtype, VT_DTYPE_GROUP);
    EXPECT_TRUE(group->open);
    EXPECT_FALSE(group->hidden);
    EXPECT_FALSE(group->default_value.stated);
    EXPECT_TRUE(d.find("T_SWITCH")->is_switch);
    EXPECT_EQ(d.find("T_SWITCH")->dtype, VT_DTYPE_LONG);
    EXPECT_EQ(d.find("T_SWITCH")->group, 2000);
    EXPECT_EQ(d.find("T_SWITCH")->default_value.integer, 1); // true, stored as 1
    EXPECT_EQ(d.find("T_SWITCH")->label, "");                // no label: empty
    EXPECT_DOUBLE_EQ(*d.find("T_ANGLE")->step, 0.01);
    EXPECT_EQ(d.find("T_INNER")->group, 2000);
    EXPECT_TRUE(d.find("T_INNER")->hidden);
    EXPECT_FALSE(d.find("T_INNER")->open);

    const DescriptionParameter* link = d.find("T_LINK");
    EXPECT_EQ(link->dtype, VT_DTYPE_LINK);
    EXPECT_EQ(link->group, 2001);
    EXPECT_EQ(link->accepted_types, (std::vector<int32_t>{5101, 1027810}));
    EXPECT_EQ(d.find("T_LIST")->dtype, VT_CUSTOMDATA_INEXCLUDE);
    EXPECT_TRUE(d.find("T_LIST")->accepted_types.empty());
    EXPECT_EQ(d.find("T_CURVE")->dtype, VT_CUSTOMDATA_SPLINE);
    EXPECT_EQ(d.find("T_CURVE")->group, 2000);
    EXPECT_EQ(d.find("T_CURVE")->default_value.knots,
              (std::vector<std::pair<double, double>>{{0.0, 1.0}, {1.0, 0.5}}));
    EXPECT_EQ(d.find("T_NAME")->dtype, VT_DTYPE_STRING);
    EXPECT_TRUE(d.find("T_NAME")->hidden);
    EXPECT_EQ(d.find("T_NAME")->default_value.text, "none");
    EXPECT_EQ(d.find("T_FLAG")->dtype, VT_DTYPE_BOOL);
    EXPECT_EQ(d.find("T_FLAG")->default_value.integer, 1); // as the host stores a bool
    EXPECT_EQ(d.find("T_OFFSET")->dtype, VT_DTYPE_VECTOR);
    const VtVector offset = d.find("T_OFFSET")->default_value.vector;
    EXPECT_EQ(offset.x, 1.0);
    EXPECT_EQ(offset.y, 2.5);
    EXPECT_EQ(offset.z, -3.0);
    EXPECT_EQ(d.find("T_ANGLE")->default_value.real, 0.5);
    EXPECT_FALSE(d.find("T_LIST")->default_value.stated);

    const DescriptionParameter* mode = d.find("T_MODE");
    ASSERT_EQ(mode->cycle.size(), 3u);
    EXPECT_EQ(mode->cycle[0].value, 1021); // file order, not value order
    EXPECT_EQ(mode->cycle[0].symbol, "T_MODE_B");
    EXPECT_EQ(mode->cycle[0].label, "B");
    EXPECT_EQ(mode->cycle[1].value, 1020);
    EXPECT_EQ(mode->default_value.integer, 1020); // the option's value, not its symbol
    // An option may share its value with a parameter's id and keeps its own label.
    EXPECT_EQ(mode->cycle[2].value, 1001);
    EXPECT_EQ(mode->cycle[2].label, "Like Count");
    EXPECT_EQ(d.find(1001), count);
    EXPECT_EQ(d.find(9999), nullptr);
}

TEST(DescriptionFileTest, TheGeneratedHeaderHoldsWhatTheLoaderReads) {
    DescriptionResource d;
    std::string error;
    ASSERT_TRUE(ok(load_description(kFixtures + "/othing.json", "othing", d), error)) << error;
    const std::pair<const char*, int32_t> header[] = {
        {"T_COUNT", T_COUNT}, {"T_GROUP", T_GROUP}, {"T_SWITCH", T_SWITCH}, {"T_ANGLE", T_ANGLE},
        {"T_INNER", T_INNER}, {"T_LINK", T_LINK},   {"T_LIST", T_LIST},     {"T_CURVE", T_CURVE},
        {"T_NAME", T_NAME},   {"T_FLAG", T_FLAG},   {"T_OFFSET", T_OFFSET}, {"T_MODE", T_MODE},
    };
    for (const auto& [symbol, value] : header) {
        ASSERT_NE(d.find(symbol), nullptr) << symbol;
        EXPECT_EQ(d.find(symbol)->id, value) << symbol;
    }
    EXPECT_EQ(T_OFFSET, -1009);
    const CycleOption* options = d.find("T_MODE")->cycle.data();
    EXPECT_EQ(options[0].value, T_MODE_B);
    EXPECT_EQ(options[1].value, T_MODE_A);
    EXPECT_EQ(options[2].value, T_MODE_LIKE_COUNT);
}

bool parse(const std::string& parameters, DescriptionResource& out, std::string& error) {
    return ok(parse_description("{\"name\": \"othing\", \"parameters\": [\n" + parameters + "\n]}",
                                "othing.json", "othing", out),
              error);
}

TEST(DescriptionFileTest, RejectsBadDescriptionsAndSaysWhere) {
    struct Case {
        const char* parameters;
        const char* where;
        const char* words;
    } cases[] = {
        // The file as a whole.
        {R"({"symbol": "T_COUNT", "id": 1001, "type": "integer"})", "", ""}, // (loads)
        {R"({"symbol": "T_COUNT", "id": 1001, "type": "integer",)", "3:1", "not valid JSON"},
        // Entries and their keys.
        {R"("T_COUNT")", "parameters[0]", "expected a parameter (an object with comment, symbol"},
        {R"({"symbol": "T_COUNT", "type": "integer"})", "parameters[0]", "missing \"id\""},
        {R"({"id": 1001, "type": "integer"})", "parameters[0]", "missing \"symbol\""},
        {R"({"symbol": "T_COUNT", "id": 1001})", "parameters[0]",
         "missing \"type\": expected the parameter's type: group, integer"},
        {R"({"symbol": "T_ANGLE", "id": 1003, "type": "real", "color": 1})", "parameters[0].color",
         "unknown key 'color' in a parameter"},
        {R"({"symbol": "T_ANGLE", "id": 1003, "type": "real", "min": 1, "min": 2})",
         "parameters[0].min", "the key 'min' is written twice"},
        {R"({"symbol": "T_COUNT", "id": 1001, "type": "float"})", "parameters[0].type",
         "unknown parameter type 'float': expected group, integer, real, bool, vector, string, "
         "link, in/exclude list or spline curve"},
        // Symbols and ids.
        {R"({"symbol": "T COUNT", "id": 1001, "type": "integer"})", "parameters[0].symbol",
         "expected a symbol made of letters, digits and '_'"},
        {R"({"symbol": "1ST", "id": 1001, "type": "integer"})", "parameters[0].symbol",
         "does not start with a digit"},
        {R"({"symbol": "T_COUNT", "id": 1001, "type": "integer"},
            {"symbol": "T_OTHER", "id": 1001, "type": "real"})",
         "parameters[1].id", "duplicate id 1001 ('T_OTHER'): already declared at parameters[0]"},
        {R"({"symbol": "T_COUNT", "id": 1001, "type": "integer"},
            {"symbol": "T_MODE", "id": 1010, "type": "integer",
             "options": [{"symbol": "T_COUNT", "value": 1}]})",
         "parameters[1].options[0].symbol",
         "duplicate symbol 'T_COUNT': already declared at parameters[0].symbol"},
        {R"({"symbol": "T_COUNT", "id": 4294967296, "type": "integer"})", "parameters[0].id",
         "expected a whole number within 32 bits"},
        // Groups.
        {R"({"symbol": "T_COUNT", "id": 1001, "type": "integer", "group": "T_GROUP"},
            {"symbol": "T_GROUP", "id": 2000, "type": "group"})",
         "parameters[0].group",
         "unknown group 'T_GROUP': expected the symbol of a group listed before this parameter"},
        {R"({"symbol": "T_COUNT", "id": 1001, "type": "integer"},
            {"symbol": "T_FLAG", "id": 1008, "type": "bool", "group": "T_COUNT"})",
         "parameters[1].group", "unknown group 'T_COUNT'"},
        {R"({"symbol": "T_COUNT", "id": 1001, "type": "integer", "open": true})",
         "parameters[0].open", "\"open\" does not apply to the integer parameter 'T_COUNT'"},
        {R"({"symbol": "T_GROUP", "id": 2000, "type": "group", "hidden": 1})",
         "parameters[0].hidden", "expected true or false, found the number 1"},
        // Options.
        {R"({"symbol": "T_MODE", "id": 1010, "type": "integer",
             "options": [{"symbol": "T_MODE_A", "value": 1020},
                         {"symbol": "T_MODE_ALIAS", "value": 1020}]})",
         "parameters[0].options[1].value",
         "duplicate option value 1020 ('T_MODE_ALIAS'): already the value of "
         "parameters[0].options[0]"},
        {R"({"symbol": "T_MODE", "id": 1010, "type": "integer", "options": []})",
         "parameters[0].options", "empty options of 'T_MODE'"},
        {R"({"symbol": "T_MODE", "id": 1010, "type": "integer", "options": [{"symbol": "A"}]})",
         "parameters[0].options[0]", "missing \"value\""},
        {R"({"symbol": "T_MODE", "id": 1010, "type": "integer",
             "options": [{"symbol": "A", "value": 1, "name": "x"}]})",
         "parameters[0].options[0].name", "unknown key 'name' in an option"},
        {R"({"symbol": "T_MODE", "id": 1010, "type": "real", "options": [{"symbol": "A", "value": 1}]})",
         "parameters[0].options", "\"options\" does not apply to the real parameter"},
        {R"({"symbol": "T_MODE", "id": 1010, "type": "integer", "switch": true,
             "options": [{"symbol": "A", "value": 1}]})",
         "parameters[0]", "choice parameter 'T_MODE' takes no switch"},
        // What applies to which type.
        {R"({"symbol": "T_ANGLE", "id": 1003, "type": "real", "switch": true})",
         "parameters[0].switch", "\"switch\" does not apply to the real parameter 'T_ANGLE'"},
        {R"({"symbol": "T_FLAG", "id": 1008, "type": "bool", "min": 0})", "parameters[0].min",
         "\"min\" does not apply to the bool parameter"},
        {R"({"symbol": "T_ANGLE", "id": 1003, "type": "real", "accept": ["any object"]})",
         "parameters[0].accept", "\"accept\" does not apply to the real parameter"},
        {R"({"symbol": "T_LINK", "id": 1004, "type": "link", "accept": ["cube"]})",
         "parameters[0].accept[0]", "unknown object type 'cube'"},
        {R"({"symbol": "T_LINK", "id": 1004, "type": "link", "accept": [true]})",
         "parameters[0].accept[0]", "expected an object type (a type id or a name), found true"},
        {R"({"symbol": "T_LINK", "id": 1004, "type": "link", "accept": []})",
         "parameters[0].accept", "empty accept list"},
        {R"({"symbol": "T_SWITCH", "id": 1002, "type": "integer", "switch": true, "min": 0})",
         "parameters[0]", "switch 'T_SWITCH' takes no min, max, step or unit"},
        // Ranges and units.
        {R"({"symbol": "T_ANGLE", "id": 1003, "type": "real", "unit": "radian"})",
         "parameters[0].unit", "expected a unit (meter, degree or percent), found the string"},
        {R"({"symbol": "T_ANGLE", "id": 1003, "type": "real", "min": 2, "max": 1})",
         "parameters[0]", "min of 'T_ANGLE' is above its max"},
        {R"({"symbol": "T_COUNT", "id": 1001, "type": "integer", "step": 0.5})",
         "parameters[0].step", "expected a whole number for an integer parameter, found 0.5"},
        {R"({"symbol": "T_ANGLE", "id": 1003, "type": "real", "step": 0})", "parameters[0].step",
         "expected a number above 0"},
        {R"({"symbol": "T_ANGLE", "id": 1003, "type": "real", "min": "0"})", "parameters[0].min",
         "expected a number, found the string \"0\""},
        // Defaults.
        {R"({"symbol": "T_COUNT", "id": 1001, "type": "integer", "max": 10, "default": 11})",
         "parameters[0].default", "the default of 'T_COUNT' lies outside its range [, 10]"},
        {R"({"symbol": "T_OFFSET", "id": 1009, "type": "vector", "min": 0, "default": [1, -1, 1]})",
         "parameters[0].default[1]", "lies outside its range [0, ]"},
        {R"({"symbol": "T_OFFSET", "id": 1009, "type": "vector", "default": [1, 2]})",
         "parameters[0].default", "expected the default of 'T_OFFSET', a vector [x, y, z]"},
        {R"({"symbol": "T_MODE", "id": 1010, "type": "integer", "default": "T_MODE_C",
             "options": [{"symbol": "T_MODE_A", "value": 1020}]})",
         "parameters[0].default", "one of its options (a symbol or a value)"},
        {R"({"symbol": "T_SWITCH", "id": 1002, "type": "integer", "switch": true, "default": 2})",
         "parameters[0].default", "0, 1, true or false"},
        {R"({"symbol": "T_COUNT", "id": 1001, "type": "integer", "default": 1.5})",
         "parameters[0].default", "expected a whole number"},
        {R"({"symbol": "T_FLAG", "id": 1008, "type": "bool", "default": 1})",
         "parameters[0].default", "expected true or false"},
        {R"({"symbol": "T_LINK", "id": 1004, "type": "link", "default": "target"})",
         "parameters[0].default", "\"default\" does not apply to the link parameter"},
        {R"({"symbol": "T_CURVE", "id": 1006, "type": "spline curve", "default": {"knots": []}})",
         "parameters[0].default.knots", "expected a list of knots"},
        {R"({"symbol": "T_CURVE", "id": 1006, "type": "spline curve",
             "default": {"knots": [[0, "1"]]}})",
         "parameters[0].default.knots[0][1]", "expected a number"},
    };
    for (const Case& c : cases) {
        DescriptionResource d;
        d.name = "untouched";
        std::string error;
        const bool loaded = parse(c.parameters, d, error);
        if (*c.words == '\0') {
            EXPECT_TRUE(loaded) << error; // the control case
            continue;
        }
        EXPECT_FALSE(loaded) << c.parameters;
        EXPECT_TRUE(error_names(error, "othing.json", c.where, c.words)) << c.parameters;
        EXPECT_EQ(d.name, "untouched");
        EXPECT_TRUE(d.parameters.empty());
    }
}

TEST(DescriptionFileTest, TheFileNamesItsDescription) {
    const struct {
        const char* text;
        const char* where;
        const char* words;
    } cases[] = {
        {R"({"name": "other", "parameters": []})", "name",
         "the description is named 'other': expected 'othing', the name of its file"},
        {R"({"parameters": []})", "", "missing \"name\": expected the description's name"},
        {R"({"name": "othing", "title": 7})", "title", "expected a string"},
        {R"({"name": "othing", "parameters": {}})", "parameters", "expected a list of parameters"},
        {R"({"name": "othing", "description": "x"})", "description",
         "unknown key 'description' in a description: expected comment, name, title, parameters"},
        {R"(["othing"])", "", "expected a description (an object with"},
    };
    for (const auto& c : cases) {
        DescriptionResource d;
        std::string error;
        EXPECT_FALSE(ok(parse_description(c.text, "othing.json", "othing", d), error)) << c.text;
        EXPECT_TRUE(error_names(error, "othing.json", c.where, c.words)) << c.text;
    }
    DescriptionResource d;
    std::string error;
    ASSERT_TRUE(ok(parse_description(R"({"name": "othing"})", "othing.json", "othing", d), error))
        << error;
    EXPECT_TRUE(d.parameters.empty()); // a description may have no parameters yet
}

} // namespace
