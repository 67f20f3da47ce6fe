#include "host/resources/StringTable.h"

#include "host/resources/ResourceJson.h"
#include "host/resources/TextFile.h"

namespace vantri {

Status parse_string_table(const std::string& text, const std::string& path,
                          std::map<int32_t, std::string>& out) {
    ResourceJson json;
    if (Status done = parse_resource_json(text, path, json); !done) return done;
    std::map<int32_t, std::string> strings;
    std::map<int32_t, std::string> where; // id -> the entry that gave it its text
    try {
        const ResourceField root(json, "");
        root.expect_object("a strings file", {"comment", "strings"});
        root.require("strings", "the list of strings, [{\"id\": 1004, \"text\": \"...\"}, ...]");
        const ResourceField list = root.member("strings");
        list.expect_list("a list of strings {\"id\", \"text\"}");
        for (size_t i = 0; i < list.json().size(); ++i) {
            const ResourceField entry = list.element(i);
            entry.expect_object("a string", {"comment", "id", "text"});
            entry.require("id", "the string's id, a whole number");
            entry.require("text", "the string's text");
            const ResourceField id = entry.member("id");
            const int32_t value = id.int32();
            if (where.count(value) != 0)
                id.fail("duplicate id " + std::to_string(value) + ": already has a text at " +
                        where[value]);
            where[value] = entry.path();
            strings[value] = entry.member("text").text();
        }
    } catch (const ResourceFault& fault) {
        return failure(fault.describe(path));
    }
    out = std::move(strings);
    return {};
}

Status load_string_table(const std::string& path, std::map<int32_t, std::string>& out) {
    std::string text;
    if (Status done = read_text_file(path, text); !done) return done;
    return parse_string_table(text, path, out);
}

} // namespace vantri
