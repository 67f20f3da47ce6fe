#include "host/resources/StringTable.h"

#include "host/resources/ResourceJson.h"
#include "host/resources/TextFile.h"

namespace vantri {

bool parse_string_table(const std::string& text, const std::string& path,
                        std::map<int32_t, std::string>& out, std::string& error) {
    ResourceJson json;
    if (!parse_resource_json(text, path, json, error)) return false;
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
        error = fault.describe(path);
        return false;
    }
    out = std::move(strings);
    return true;
}

bool load_string_table(const std::string& path, std::map<int32_t, std::string>& out,
                       std::string& error) {
    std::string text;
    if (!read_text_file(path, text, error)) return false;
    return parse_string_table(text, path, out, error);
}

} // namespace vantri
