// The three text formats of a resource folder, one parser at a time: what each accepts and
// how precisely it points at a mistake.
#include "resource_test_support.h"

#include "host_abi.h"
#include "resources/DescriptionFile.h"
#include "resources/StringTable.h"
#include "resources/SymbolHeader.h"

#include <gtest/gtest.h>

using namespace vantri;
using vantri_test::error_names;

namespace {

SymbolHeader header_of(const std::string& text) {
    SymbolHeader header;
    std::string error;
    EXPECT_TRUE(parse_symbol_header(text, "test.h", header, error)) << error;
    return header;
}

int32_t value_of(const SymbolHeader& header, const std::string& name) {
    const Symbol* symbol = header.find(name);
    EXPECT_NE(symbol, nullptr) << name;
    return symbol != nullptr ? symbol->value : -1;
}

// ------------------------------------------------------------------ symbol headers

TEST(ResourceSymbolHeaderTest, ReadsEnumsTheWayACompilerDoes) {
    const SymbolHeader header = header_of("#ifndef X_H\n"
                                          "#define X_H \\\n"
                                          "    continued\n"
                                          "// a comment\n"
                                          "enum Named {\n"
                                          "    FIRST,              /* 0 */\n"
                                          "    SECOND,\n"
                                          "    BASE = 1000,\n"
                                          "    NEXT,               // 1001\n"
                                          "    HEX = 0x10,\n"
                                          "    NEGATIVE = -5,\n"
                                          "    AFTER_NEGATIVE,\n"
                                          "    ALIAS = BASE,       // two names, one value\n"
                                          "    OFFSET = BASE + 7,\n"
                                          "};\n"
                                          "enum { RESTART };\n"
                                          "#endif\n");
    EXPECT_EQ(value_of(header, "FIRST"), 0);
    EXPECT_EQ(value_of(header, "SECOND"), 1);
    EXPECT_EQ(value_of(header, "NEXT"), 1001);
    EXPECT_EQ(value_of(header, "HEX"), 16);
    EXPECT_EQ(value_of(header, "NEGATIVE"), -5);
    EXPECT_EQ(value_of(header, "AFTER_NEGATIVE"), -4);
    EXPECT_EQ(value_of(header, "ALIAS"), 1000);
    EXPECT_EQ(value_of(header, "OFFSET"), 1007);
    EXPECT_EQ(value_of(header, "RESTART"), 0); // a new enum counts from 0 again
    ASSERT_EQ(header.symbols.size(), 10u);
    EXPECT_EQ(header.symbols[0].name, "FIRST");
    EXPECT_EQ(header.symbols[0].line, 6);
    EXPECT_EQ(header.find("MISSING"), nullptr);
}

TEST(ResourceSymbolHeaderTest, RejectsWhatACompilerWouldRejectAndSaysWhere) {
    struct Case {
        const char* text;
        int line;
        const char* words;
    } cases[] = {
        {"enum {\n  A = 1,\n  A = 2,\n};\n", 3, "duplicate symbol 'A': already defined on line 2"},
        {"enum {\n  A = B,\n};\n", 2, "unknown symbol 'B'"},
        {"enum {\n  A = 1\n  B = 2\n};\n", 3, "expected ',' or '}' after enum constant 'A'"},
        {"enum {\n  A = 1,\n}\n", 4, "expected ';' after the closing '}'"},
        {"enum {\n  A = 1,\n", 3, "expected an enum constant name or '}'"},
        {"int x;\n", 1, "expected 'enum'"},
        {"enum { A = 4294967296 };\n", 1, "does not fit in 32 bits"},
        {"enum { A = 1001L };\n", 1, "malformed number '1001L'"},
        {"enum { A = 1 }; /* never closed\n", 1, "unterminated comment"},
        {"enum { A = 1 @ };\n", 1, "unexpected character '@'"},
    };
    for (const Case& c : cases) {
        SymbolHeader header;
        header.path = "untouched";
        std::string error;
        EXPECT_FALSE(parse_symbol_header(c.text, "bad.h", header, error)) << c.text;
        EXPECT_TRUE(error_names(error, "bad.h", c.line, c.words)) << c.text;
        EXPECT_EQ(header.path, "untouched");
    }
}

TEST(ResourceSymbolHeaderTest, ColumnPointsAtTheOffendingToken) {
    SymbolHeader header;
    std::string error;
    EXPECT_FALSE(parse_symbol_header("enum {\n    A = ;\n};\n", "col.h", header, error));
    EXPECT_EQ(error.rfind("col.h:2:9: expected a value for 'A'", 0), 0u) << error;
}

// ------------------------------------------------------------------ string tables

const char* const kStringSymbols = "enum { IDS_ONE = 10, IDS_TWO = 20, IDS_SAME = 20, "
                                   "PARAM = 1001, OPTION = 1001 };";

TEST(StringTableTest, DecodesLiteralsAndConcatenatesAdjacentOnes) {
    const SymbolHeader symbols = header_of(kStringSymbols);
    StringTable table;
    std::string error;
    ASSERT_TRUE(parse_string_table("\xEF\xBB\xBF" // a byte-order mark is skipped
                                   "STRINGTABLE {\n"
                                   "  IDS_ONE \"Quote \\\" back\\\\slash\\n\\ttab \\u00e9 "
                                   "\xC3\xA9\";\n"
                                   "  IDS_TWO \"Two \" \"parts\";\n"
                                   "}\n",
                                   "plugin.str", symbols, "", table, error))
        << error;
    ASSERT_EQ(table.entries.size(), 2u);
    EXPECT_EQ(table.entries[0].symbol, "IDS_ONE");
    EXPECT_EQ(table.entries[0].id, 10);
    EXPECT_EQ(table.entries[0].text, "Quote \" back\\slash\n\ttab \xC3\xA9 \xC3\xA9");
    EXPECT_EQ(table.entries[0].line, 2);
    EXPECT_EQ(table.entries[1].text, "Two parts");
    EXPECT_TRUE(table.name.empty());
}

TEST(StringTableTest, DescriptionTableHasATitleAndMayLabelSymbolsOfOneValue) {
    const SymbolHeader symbols = header_of(kStringSymbols);
    StringTable table;
    std::string error;
    ASSERT_TRUE(parse_string_table("STRINGTABLE othing { othing \"Thing\"; PARAM \"Param\"; "
                                   "OPTION \"Option\"; }",
                                   "othing.str", symbols, "othing", table, error))
        << error;
    EXPECT_EQ(table.name, "othing");
    EXPECT_EQ(table.title, "Thing");
    ASSERT_NE(table.find("OPTION"), nullptr);
    EXPECT_EQ(table.find("OPTION")->text, "Option");
    EXPECT_EQ(table.find("PARAM")->text, "Param");
}

TEST(StringTableTest, RejectsBadTablesAndSaysWhere) {
    const SymbolHeader symbols = header_of(kStringSymbols);
    struct Case {
        const char* text;
        const char* name;
        int line;
        const char* words;
    } cases[] = {
        {"STRINGTABLE {\n IDS_ONE \"a\";\n IDS_ONE \"b\";\n}", "", 3, "duplicate symbol 'IDS_ONE'"},
        {"STRINGTABLE {\n IDS_TWO \"a\";\n IDS_SAME \"b\";\n}", "", 3,
         "duplicate id 20 ('IDS_SAME'): already has a text on line 2"},
        {"STRINGTABLE {\n IDS_NONE \"a\";\n}", "", 2, "unknown symbol 'IDS_NONE'"},
        {"STRINGTABLE {\n IDS_ONE \"never closed;\n}", "", 2, "unterminated string literal"},
        {"STRINGTABLE {\n IDS_ONE \"bad \\q escape\";\n}", "", 2, "bad escape '\\q'"},
        {"STRINGTABLE {\n IDS_ONE \"\\u12\";\n}", "", 2, "four hex digits"},
        {"STRINGTABLE {\n IDS_ONE \"latin-1 \xE9\";\n}", "", 2, "invalid UTF-8"},
        {"STRINGTABLE {\n IDS_ONE \"a\"\n}", "", 3, "expected ';' after the text of 'IDS_ONE'"},
        {"STRINGTABLE {\n IDS_ONE;\n}", "", 2, "expected a string literal for 'IDS_ONE'"},
        {"STRINGTABLE {\n IDS_ONE \"a\";\n", "", 3,
         "expected '}' to close the string table opened on line 1"},
        {"STRINGTABLE {\n}\n}", "", 3, "expected the end of the file"},
        {"STRINGS {\n}", "", 1, "expected 'STRINGTABLE'"},
        {"STRINGTABLE other {\n}", "othing", 1, "named 'other': expected 'othing'"},
        {"STRINGTABLE {\n}", "othing", 1, "expected the description name 'othing'"},
        {"STRINGTABLE othing {\n othing \"a\";\n othing \"b\";\n}", "othing", 3, "duplicate title"},
    };
    for (const Case& c : cases) {
        StringTable table;
        table.title = "untouched";
        std::string error;
        EXPECT_FALSE(parse_string_table(c.text, "t.str", symbols, c.name, table, error)) << c.text;
        EXPECT_TRUE(error_names(error, "t.str", c.line, c.words)) << c.text;
        EXPECT_EQ(table.title, "untouched");
    }
}

// ------------------------------------------------------------------ descriptions

const char* const kDescriptionSymbols = "enum {\n"
                                        "  T_COUNT = 1001, T_SWITCH, T_ANGLE, T_LINK, T_LIST,\n"
                                        "  T_CURVE, T_NAME, T_FLAG, T_OFFSET, T_MODE,\n"
                                        "  T_MODE_A = 1020, T_MODE_B, T_MODE_ALIAS = 1020,\n"
                                        "  T_GROUP = 2000, T_INNER = 2001,\n"
                                        "};";

bool parse(const std::string& text, DescriptionResource& out, std::string& error) {
    static const SymbolHeader symbols = header_of(kDescriptionSymbols);
    return parse_description(text, "othing.res", symbols, "othing", out, error);
}

TEST(DescriptionFileTest, ReadsEveryKindOfEntry) {
    DescriptionResource d;
    std::string error;
    ASSERT_TRUE(parse("DESCRIPTION othing {\n"
                      "  LONG T_COUNT { MIN -2; MAX 10; STEP 2; UNIT METER; }\n"
                      "  GROUP T_GROUP {\n"
                      "    OPEN;\n"
                      "    LONG T_SWITCH { SWITCH; }\n"
                      "    REAL T_ANGLE { UNIT DEGREE; MIN 0; MAX 3.14159; STEP 1e-2; }\n"
                      "    GROUP T_INNER {\n"
                      "      HIDDEN;\n"
                      "      LINK T_LINK { ACCEPT { Ospline; 1027810; } }\n"
                      "      IN_EXCLUDE T_LIST;\n"
                      "    }\n"
                      "    SPLINE T_CURVE { }\n"
                      "  }\n"
                      "  STRING T_NAME { HIDDEN; }\n"
                      "  BOOL T_FLAG;\n"
                      "  VECTOR T_OFFSET { STEP 0.5; }\n"
                      "  LONG T_MODE { CYCLE { T_MODE_B; T_MODE_A; } }\n"
                      "}\n",
                      d, error))
        << error;
    EXPECT_EQ(d.name, "othing");
    const char* order[] = {"T_COUNT", "T_GROUP", "T_SWITCH", "T_ANGLE", "T_INNER",  "T_LINK",
                           "T_LIST",  "T_CURVE", "T_NAME",   "T_FLAG",  "T_OFFSET", "T_MODE"};
    ASSERT_EQ(d.parameters.size(), std::size(order));
    for (size_t i = 0; i < std::size(order); ++i)
        EXPECT_EQ(d.parameters[i].symbol, order[i]);

    const DescriptionParameter* count = d.find("T_COUNT");
    EXPECT_EQ(count->id, 1001);
    EXPECT_EQ(count->dtype, VT_DTYPE_LONG);
    EXPECT_EQ(count->group, 0);
    EXPECT_EQ(count->min, -2.0);
    EXPECT_EQ(count->max, 10.0);
    EXPECT_EQ(count->step, 2.0);
    EXPECT_EQ(count->unit, "METER");

    const DescriptionParameter* group = d.find(2000);
    EXPECT_EQ(group->dtype, VT_DTYPE_GROUP);
    EXPECT_TRUE(group->open);
    EXPECT_FALSE(group->hidden);
    EXPECT_TRUE(d.find("T_SWITCH")->is_switch);
    EXPECT_EQ(d.find("T_SWITCH")->dtype, VT_DTYPE_LONG);
    EXPECT_EQ(d.find("T_SWITCH")->group, 2000);
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
    EXPECT_EQ(d.find("T_NAME")->dtype, VT_DTYPE_STRING);
    EXPECT_TRUE(d.find("T_NAME")->hidden);
    EXPECT_EQ(d.find("T_FLAG")->dtype, VT_DTYPE_BOOL);
    EXPECT_EQ(d.find("T_OFFSET")->dtype, VT_DTYPE_VECTOR);

    const DescriptionParameter* mode = d.find("T_MODE");
    ASSERT_EQ(mode->cycle.size(), 2u);
    EXPECT_EQ(mode->cycle[0].value, 1021); // file order, not value order
    EXPECT_EQ(mode->cycle[0].symbol, "T_MODE_B");
    EXPECT_EQ(mode->cycle[1].value, 1020);
    EXPECT_EQ(d.find(9999), nullptr);
}

TEST(DescriptionFileTest, LabelsComeFromTheStringTableBySymbol) {
    DescriptionResource d;
    std::string error;
    ASSERT_TRUE(parse("DESCRIPTION othing { LONG T_MODE { CYCLE { T_MODE_A; T_MODE_B; } } "
                      "BOOL T_FLAG; }",
                      d, error))
        << error;
    const SymbolHeader symbols = header_of(kDescriptionSymbols);
    StringTable strings;
    // T_MODE_ALIAS shares T_MODE_A's value: a label must follow the symbol, not the value.
    ASSERT_TRUE(parse_string_table("STRINGTABLE othing { othing \"Thing\"; T_MODE \"Mode\"; "
                                   "T_MODE_ALIAS \"Alias\"; T_MODE_A \"A\"; T_MODE_B \"B\"; }",
                                   "othing.str", symbols, "othing", strings, error))
        << error;
    apply_description_labels(strings, d);
    EXPECT_EQ(d.label, "Thing");
    EXPECT_EQ(d.find("T_MODE")->label, "Mode");
    EXPECT_EQ(d.find("T_MODE")->cycle[0].label, "A");
    EXPECT_EQ(d.find("T_MODE")->cycle[1].label, "B");
    EXPECT_EQ(d.find("T_FLAG")->label, ""); // no text: an empty label, not an error
}

TEST(DescriptionFileTest, RejectsBadDescriptionsAndSaysWhere) {
    struct Case {
        const char* text;
        int line;
        const char* words;
    } cases[] = {
        {"DESCRIPTION othing {\n  LONG T_COUNT;\n", 3,
         "expected '}' to close the description opened on line 1"},
        {"DESCRIPTION othing {\n  GROUP T_GROUP {\n    BOOL T_FLAG;\n}\n", 5,
         "expected '}' to close the description opened on line 1"},
        {"DESCRIPTION othing {\n  LONG T_COUNT { MIN 1;\n", 3,
         "'}' to close parameter 'T_COUNT' opened on line 2"},
        {"DESCRIPTION othing {\n  LONG T_MODE { CYCLE { T_MODE_A;\n", 3,
         "'}' to close the CYCLE of 'T_MODE' opened on line 2"},
        {"DESCRIPTION othing {\n  LONG T_MISSING;\n}", 2, "unknown symbol 'T_MISSING'"},
        {"DESCRIPTION othing {\n  LONG T_MODE { CYCLE { T_NOPE; } }\n}", 2,
         "unknown symbol 'T_NOPE'"},
        {"DESCRIPTION othing {\n  FLOAT T_COUNT;\n}", 2, "unknown parameter type 'FLOAT'"},
        {"DESCRIPTION othing {\n  LONG T_COUNT;\n  REAL T_COUNT;\n}", 3,
         "duplicate id 1001 ('T_COUNT'): already declared on line 2"},
        {"DESCRIPTION othing {\n  LONG T_MODE { CYCLE { T_MODE_A;\n T_MODE_ALIAS; } }\n}", 3,
         "duplicate cycle value 1020"},
        {"DESCRIPTION othing {\n  LONG T_MODE { CYCLE { } }\n}", 2, "empty CYCLE"},
        {"DESCRIPTION othing {\n  REAL T_ANGLE { SWITCH; }\n}", 2, "SWITCH does not apply to REAL"},
        {"DESCRIPTION othing {\n  BOOL T_FLAG { MIN 0; }\n}", 2, "MIN does not apply to BOOL"},
        {"DESCRIPTION othing {\n  REAL T_ANGLE { ACCEPT { Obase; } }\n}", 2,
         "ACCEPT does not apply to REAL"},
        {"DESCRIPTION othing {\n  LINK T_LINK { ACCEPT { Ocube; } }\n}", 2,
         "unknown object type 'Ocube'"},
        {"DESCRIPTION othing {\n  LINK T_LINK { ACCEPT { } }\n}", 2, "empty ACCEPT"},
        {"DESCRIPTION othing {\n  REAL T_ANGLE { UNIT RADIAN; }\n}", 2,
         "expected a unit (METER, DEGREE or PERCENT)"},
        {"DESCRIPTION othing {\n  REAL T_ANGLE { COLOR 1; }\n}", 2, "unknown attribute 'COLOR'"},
        {"DESCRIPTION othing {\n  REAL T_ANGLE { MIN 1; MIN 2; }\n}", 2, "duplicate attribute MIN"},
        {"DESCRIPTION othing {\n  REAL T_ANGLE { MIN 2; MAX 1; }\n}", 2,
         "MIN of 'T_ANGLE' is above"},
        {"DESCRIPTION othing {\n  LONG T_COUNT { STEP 0.5; }\n}", 2, "expected an integer"},
        {"DESCRIPTION othing {\n  REAL T_ANGLE { STEP 0; }\n}", 2, "above 0"},
        {"DESCRIPTION othing {\n  LONG T_MODE { SWITCH; CYCLE { T_MODE_A; } }\n}", 2,
         "takes no SWITCH"},
        {"DESCRIPTION othing {\n  OPEN;\n}", 2, "unknown parameter type 'OPEN'"},
        {"DESCRIPTION othing {\n  LONG T_COUNT\n}", 3, "expected '{' or ';' after parameter"},
        {"DESCRIPTION othing {\n  REAL T_ANGLE { MIN; }\n}", 2, "expected a number after MIN"},
        {"DESCRIPTION other {\n}", 1, "named 'other': expected 'othing'"},
        {"CONTAINER othing {\n}", 1, "expected 'DESCRIPTION'"},
        {"DESCRIPTION othing {\n}\nLONG T_COUNT;", 3, "expected the end of the file"},
        {"DESCRIPTION othing {\n#include \"x.h\"\n}", 2, "preprocessor lines belong only"},
    };
    for (const Case& c : cases) {
        DescriptionResource d;
        d.name = "untouched";
        std::string error;
        EXPECT_FALSE(parse(c.text, d, error)) << c.text;
        EXPECT_TRUE(error_names(error, "othing.res", c.line, c.words)) << c.text;
        EXPECT_EQ(d.name, "untouched");
        EXPECT_TRUE(d.parameters.empty());
    }
}

} // namespace
