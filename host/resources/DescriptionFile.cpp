#include "resources/DescriptionFile.h"

#include "host_abi.h"
#include "resources/ResourceTokens.h"
#include "resources/StringTable.h"
#include "resources/TextFile.h"

#include <cmath>
#include <map>
#include <set>

namespace vantri {
namespace {

struct TypeKeyword {
    const char* word;
    int32_t dtype;
};

const TypeKeyword kTypes[] = {
    {"LONG", VT_DTYPE_LONG},
    {"REAL", VT_DTYPE_REAL},
    {"BOOL", VT_DTYPE_BOOL},
    {"VECTOR", VT_DTYPE_VECTOR},
    {"STRING", VT_DTYPE_STRING},
    {"LINK", VT_DTYPE_LINK},
    {"IN_EXCLUDE", VT_CUSTOMDATA_INEXCLUDE},
    {"SPLINE", VT_CUSTOMDATA_SPLINE},
};

const char* const kTypeList = "LONG, REAL, BOOL, VECTOR, STRING, LINK, IN_EXCLUDE, SPLINE or GROUP";

const TypeKeyword* find_type(const std::string& word) {
    for (const TypeKeyword& type : kTypes)
        if (word == type.word) return &type;
    return nullptr;
}

bool is_numeric(int32_t dtype) {
    return dtype == VT_DTYPE_LONG || dtype == VT_DTYPE_REAL || dtype == VT_DTYPE_VECTOR;
}

bool is_link(int32_t dtype) {
    return dtype == VT_DTYPE_LINK || dtype == VT_CUSTOMDATA_INEXCLUDE;
}

class DescriptionParser {
  public:
    DescriptionParser(TokenCursor& cursor, const SymbolHeader& symbols, DescriptionResource& out)
        : in_(cursor), symbols_(symbols), out_(out) {}

    bool parse(const std::string& name, std::string& error) {
        if (!in_.at_word("DESCRIPTION")) {
            error = in_.expected("'DESCRIPTION' at the start of a description");
            return false;
        }
        in_.take();
        const Token& declared = in_.peek();
        if (declared.kind != TokenKind::Word) {
            error = in_.expected("the description name '" + name + "'");
            return false;
        }
        in_.take();
        if (declared.text != name) {
            error = in_.error_at(declared, "description is named '" + declared.text +
                                               "': expected '" + name + "', the name of its file");
            return false;
        }
        out_.name = name;
        const int open_line = in_.peek().line;
        if (!in_.expect_punct('{', "to open the description", error)) return false;
        if (!items(0, "the description", open_line, nullptr, error)) return false;
        if (!in_.at_end()) {
            error = in_.expected("the end of the file after the description's closing '}'");
            return false;
        }
        return true;
    }

  private:
    /// The members of a block up to and including its closing '}'. `group` is the enclosing
    /// group's index in out_.parameters, or null at the top level (which has no attributes).
    bool items(int32_t group_id, const std::string& block, int open_line, size_t* group,
               std::string& error) {
        while (!in_.at_punct('}')) {
            const Token& word = in_.peek();
            if (word.kind != TokenKind::Word) {
                error = in_.expected(
                    in_.at_end()
                        ? "'}' to close " + block + " opened on line " + std::to_string(open_line)
                        : std::string("a parameter type (") + kTypeList + ") or '}'");
                return false;
            }
            if (group != nullptr && (word.text == "OPEN" || word.text == "HIDDEN")) {
                in_.take();
                DescriptionParameter& g = out_.parameters[*group];
                bool& flag = word.text == "OPEN" ? g.open : g.hidden;
                if (flag) {
                    error = in_.error_at(word, "duplicate attribute " + word.text);
                    return false;
                }
                flag = true;
                if (!in_.expect_punct(';', "after " + word.text, error)) return false;
            } else if (word.text == "GROUP") {
                in_.take();
                if (!group_entry(group_id, error)) return false;
            } else if (const TypeKeyword* type = find_type(word.text)) {
                in_.take();
                if (!parameter(*type, group_id, error)) return false;
            } else {
                error = in_.error_at(word, "unknown parameter type '" + word.text + "': expected " +
                                               kTypeList +
                                               (group != nullptr ? ", or a group attribute "
                                                                   "(OPEN, HIDDEN)"
                                                                 : ""));
                return false;
            }
        }
        in_.take();
        return true;
    }

    /// Resolves the symbol of a new entry and checks that its id is not taken.
    bool declare(int32_t dtype, int32_t group_id, std::string& error) {
        const Token& name = in_.peek();
        if (name.kind != TokenKind::Word) {
            error = in_.expected("a parameter symbol");
            return false;
        }
        in_.take();
        const Symbol* symbol = symbols_.find(name.text);
        if (symbol == nullptr) {
            error = in_.error_at(name, "unknown symbol '" + name.text + "': expected a name from " +
                                           symbols_.path);
            return false;
        }
        const auto taken = id_lines_.find(symbol->value);
        if (taken != id_lines_.end()) {
            error = in_.error_at(name, "duplicate id " + std::to_string(symbol->value) + " ('" +
                                           name.text + "'): already declared on line " +
                                           std::to_string(taken->second));
            return false;
        }
        id_lines_[symbol->value] = name.line;
        DescriptionParameter entry;
        entry.id = symbol->value;
        entry.symbol = name.text;
        entry.dtype = dtype;
        entry.group = group_id;
        out_.parameters.push_back(entry);
        return true;
    }

    bool group_entry(int32_t parent, std::string& error) {
        const std::string symbol = in_.peek().text;
        if (!declare(VT_DTYPE_GROUP, parent, error)) return false;
        size_t index = out_.parameters.size() - 1;
        const int open_line = in_.peek().line;
        if (!in_.expect_punct('{', "to open group '" + symbol + "'", error)) return false;
        return items(out_.parameters[index].id, "group '" + symbol + "'", open_line, &index, error);
    }

    bool parameter(const TypeKeyword& type, int32_t group_id, std::string& error) {
        const Token& name = in_.peek();
        const std::string symbol = name.text;
        if (!declare(type.dtype, group_id, error)) return false;
        const size_t index = out_.parameters.size() - 1;
        if (in_.at_punct(';')) {
            in_.take();
            return true;
        }
        const int open_line = in_.peek().line;
        if (!in_.expect_punct('{', "or ';' after parameter '" + symbol + "'", error)) return false;
        std::set<std::string> seen;
        while (!in_.at_punct('}')) {
            const Token& word = in_.peek();
            if (word.kind != TokenKind::Word) {
                error =
                    in_.expected(in_.at_end() ? "'}' to close parameter '" + symbol +
                                                    "' opened on line " + std::to_string(open_line)
                                              : "an attribute of '" + symbol + "' or '}'");
                return false;
            }
            in_.take();
            if (!seen.insert(word.text).second) {
                error =
                    in_.error_at(word, "duplicate attribute " + word.text + " of '" + symbol + "'");
                return false;
            }
            if (!attribute(word, type, out_.parameters[index], error)) return false;
        }
        in_.take();
        return check_parameter(name, out_.parameters[index], error);
    }

    bool attribute(const Token& word, const TypeKeyword& type, DescriptionParameter& p,
                   std::string& error) {
        const std::string& a = word.text;
        const auto not_for = [&](const std::string& which) {
            error = in_.error_at(word, "attribute " + a + " does not apply to " + type.word +
                                           " parameter '" + p.symbol + "': it is for " + which);
            return false;
        };
        if (a == "MIN" || a == "MAX" || a == "STEP") {
            if (!is_numeric(type.dtype)) return not_for("LONG, REAL and VECTOR");
            double value = 0.0;
            if (!in_.expect_number("a number after " + a, value, error)) return false;
            if (type.dtype == VT_DTYPE_LONG && value != std::floor(value)) {
                error = in_.error_at(word, a + " of LONG parameter '" + p.symbol +
                                               "': expected an integer");
                return false;
            }
            if (a == "STEP" && !(value > 0.0)) {
                error = in_.error_at(word, "STEP of '" + p.symbol + "': expected a number above 0");
                return false;
            }
            (a == "MIN" ? p.min : a == "MAX" ? p.max : p.step) = value;
        } else if (a == "UNIT") {
            if (!is_numeric(type.dtype)) return not_for("LONG, REAL and VECTOR");
            const Token& unit = in_.peek();
            if (unit.kind != TokenKind::Word ||
                (unit.text != "METER" && unit.text != "DEGREE" && unit.text != "PERCENT")) {
                error = in_.expected("a unit (METER, DEGREE or PERCENT) after UNIT");
                return false;
            }
            p.unit = in_.take().text;
        } else if (a == "HIDDEN") {
            p.hidden = true;
        } else if (a == "SWITCH") {
            if (type.dtype != VT_DTYPE_LONG) return not_for("LONG (a BOOL is always a switch)");
            p.is_switch = true;
        } else if (a == "CYCLE") {
            if (type.dtype != VT_DTYPE_LONG) return not_for("LONG");
            return cycle(word, p, error);
        } else if (a == "ACCEPT") {
            if (!is_link(type.dtype)) return not_for("LINK and IN_EXCLUDE");
            return accept(word, p, error);
        } else {
            error = in_.error_at(word, "unknown attribute '" + a + "' of '" + p.symbol +
                                           "': expected MIN, MAX, STEP, UNIT, HIDDEN, SWITCH, "
                                           "CYCLE or ACCEPT");
            return false;
        }
        return in_.expect_punct(';', "after " + a, error);
    }

    bool cycle(const Token& word, DescriptionParameter& p, std::string& error) {
        if (!in_.expect_punct('{', "after CYCLE", error)) return false;
        std::map<int32_t, int> value_lines;
        while (!in_.at_punct('}')) {
            const Token& option = in_.peek();
            if (option.kind != TokenKind::Word) {
                error =
                    in_.expected(in_.at_end() ? "'}' to close the CYCLE of '" + p.symbol +
                                                    "' opened on line " + std::to_string(word.line)
                                              : "a cycle option symbol or '}'");
                return false;
            }
            in_.take();
            const Symbol* symbol = symbols_.find(option.text);
            if (symbol == nullptr) {
                error =
                    in_.error_at(option, "unknown symbol '" + option.text +
                                             "': expected a cycle option from " + symbols_.path);
                return false;
            }
            const auto taken = value_lines.find(symbol->value);
            if (taken != value_lines.end()) {
                error = in_.error_at(option, "duplicate cycle value " +
                                                 std::to_string(symbol->value) + " ('" +
                                                 option.text + "'): already an option on line " +
                                                 std::to_string(taken->second));
                return false;
            }
            value_lines[symbol->value] = option.line;
            p.cycle.push_back(CycleOption{symbol->value, option.text, ""});
            if (!in_.expect_punct(';', "after cycle option '" + option.text + "'", error))
                return false;
        }
        in_.take();
        if (p.cycle.empty()) {
            error = in_.error_at(word,
                                 "empty CYCLE of '" + p.symbol + "': expected at least one option");
            return false;
        }
        return true;
    }

    bool accept(const Token& word, DescriptionParameter& p, std::string& error) {
        if (!in_.expect_punct('{', "after ACCEPT", error)) return false;
        while (!in_.at_punct('}')) {
            const Token& entry = in_.peek();
            int32_t type = 0;
            if (entry.kind == TokenKind::Word) {
                in_.take();
                if (!host_type_by_name(entry.text, type)) {
                    error = in_.error_at(entry, "unknown object type '" + entry.text +
                                                    "': expected a type id or one of Obase, "
                                                    "Onull, Oinstance, Opolygon, Ospline");
                    return false;
                }
            } else if (entry.kind == TokenKind::Integer) {
                if (!in_.expect_int32("a type id", type, error)) return false;
            } else {
                error =
                    in_.expected(in_.at_end() ? "'}' to close the ACCEPT of '" + p.symbol +
                                                    "' opened on line " + std::to_string(word.line)
                                              : "an object type (a name or an id) or '}'");
                return false;
            }
            p.accepted_types.push_back(type);
            if (!in_.expect_punct(';', "after an accepted type", error)) return false;
        }
        in_.take();
        if (p.accepted_types.empty()) {
            error = in_.error_at(word, "empty ACCEPT of '" + p.symbol +
                                           "': expected at least one type (leave ACCEPT out to "
                                           "accept any object)");
            return false;
        }
        return true;
    }

    /// Checks that hold across the attributes of one parameter.
    bool check_parameter(const Token& name, const DescriptionParameter& p, std::string& error) {
        const auto fail = [&](const std::string& message) {
            error = in_.error_at(name, message);
            return false;
        };
        if (p.min && p.max && *p.min > *p.max)
            return fail("MIN of '" + p.symbol + "' is above its MAX");
        if (!p.cycle.empty() && (p.is_switch || p.min || p.max || p.step || !p.unit.empty()))
            return fail("cycle parameter '" + p.symbol +
                        "' takes no SWITCH, MIN, MAX, STEP or UNIT: its value is one of its "
                        "options");
        if (p.is_switch && (p.min || p.max || p.step || !p.unit.empty()))
            return fail("switch '" + p.symbol + "' takes no MIN, MAX, STEP or UNIT");
        return true;
    }

    TokenCursor& in_;
    const SymbolHeader& symbols_;
    DescriptionResource& out_;
    std::map<int32_t, int> id_lines_;
};

} // namespace

const DescriptionParameter* DescriptionResource::find(int32_t id) const {
    for (const DescriptionParameter& p : parameters)
        if (p.id == id) return &p;
    return nullptr;
}

const DescriptionParameter* DescriptionResource::find(const std::string& symbol) const {
    for (const DescriptionParameter& p : parameters)
        if (p.symbol == symbol) return &p;
    return nullptr;
}

bool host_type_by_name(const std::string& name, int32_t& type) {
    static const struct {
        const char* name;
        int32_t type;
    } kHostTypes[] = {
        {"Obase", 5155},     // any object
        {"Onull", 5140},     // null object
        {"Oinstance", 5126}, // instance object
        {"Opolygon", 5100},  // polygon object
        {"Ospline", 5101},   // spline object
    };
    for (const auto& entry : kHostTypes) {
        if (name == entry.name) {
            type = entry.type;
            return true;
        }
    }
    return false;
}

bool parse_description(const std::string& text, const std::string& path,
                       const SymbolHeader& symbols, const std::string& name,
                       DescriptionResource& out, std::string& error) {
    std::vector<Token> tokens;
    if (!tokenize(text, path, TokenMode::Resource, tokens, error)) return false;
    TokenCursor cursor(tokens, path);
    DescriptionResource description;
    DescriptionParser parser(cursor, symbols, description);
    if (!parser.parse(name, error)) return false;
    out = std::move(description);
    return true;
}

bool load_description(const std::string& path, const SymbolHeader& symbols, const std::string& name,
                      DescriptionResource& out, std::string& error) {
    std::string text;
    if (!read_text_file(path, text, error)) return false;
    return parse_description(text, path, symbols, name, out, error);
}

void apply_description_labels(const StringTable& strings, DescriptionResource& description) {
    description.label = strings.title;
    for (DescriptionParameter& p : description.parameters) {
        const StringEntry* entry = strings.find(p.symbol);
        p.label = entry != nullptr ? entry->text : std::string();
        for (CycleOption& option : p.cycle) {
            const StringEntry* text = strings.find(option.symbol);
            option.label = text != nullptr ? text->text : std::string();
        }
    }
}

} // namespace vantri
