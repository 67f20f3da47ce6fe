#include "resources/StringTable.h"

#include "resources/ResourceTokens.h"
#include "resources/TextFile.h"

#include <map>

namespace vantri {

const StringEntry* StringTable::find(const std::string& symbol) const {
    for (const StringEntry& entry : entries)
        if (entry.symbol == symbol) return &entry;
    return nullptr;
}

bool parse_string_table(const std::string& text, const std::string& path,
                        const SymbolHeader& symbols, const std::string& description_name,
                        StringTable& out, std::string& error) {
    std::vector<Token> tokens;
    if (!tokenize(text, path, TokenMode::Resource, tokens, error)) return false;
    TokenCursor in(tokens, path);
    const bool is_description = !description_name.empty();

    if (!in.at_word("STRINGTABLE")) {
        error = in.expected("'STRINGTABLE' at the start of a string table");
        return false;
    }
    in.take();
    StringTable table;
    if (is_description) {
        const Token& name = in.peek();
        if (name.kind != TokenKind::Word) {
            error =
                in.expected("the description name '" + description_name + "' after 'STRINGTABLE'");
            return false;
        }
        in.take();
        if (name.text != description_name) {
            error = in.error_at(name, "string table is named '" + name.text + "': expected '" +
                                          description_name + "', the name of its description");
            return false;
        }
        table.name = name.text;
    }
    const int open_line = in.peek().line;
    if (!in.expect_punct('{', "to open the string table", error)) return false;

    std::map<std::string, int> symbol_lines;
    std::map<int32_t, int> id_lines;
    int title_line = 0;
    while (!in.at_punct('}')) {
        const Token& key = in.peek();
        if (key.kind != TokenKind::Word) {
            error = in.expected(in.at_end() ? "'}' to close the string table opened on line " +
                                                  std::to_string(open_line)
                                            : "a symbol name or '}'");
            return false;
        }
        in.take();
        const bool is_title = is_description && key.text == description_name;
        const Symbol* symbol = is_title ? nullptr : symbols.find(key.text);
        if (!is_title && symbol == nullptr) {
            error = in.error_at(key, "unknown symbol '" + key.text + "': expected a name from " +
                                         symbols.path);
            return false;
        }
        if (in.peek().kind != TokenKind::String) {
            error = in.expected("a string literal for '" + key.text + "'");
            return false;
        }
        std::string value;
        while (in.peek().kind == TokenKind::String)
            value += in.take().text;
        if (!in.expect_punct(';', "after the text of '" + key.text + "'", error)) return false;

        if (is_title) {
            if (title_line != 0) {
                error =
                    in.error_at(key, "duplicate title '" + key.text + "': already given on line " +
                                         std::to_string(title_line));
                return false;
            }
            title_line = key.line;
            table.title = value;
            continue;
        }
        const auto seen = symbol_lines.find(key.text);
        if (seen != symbol_lines.end()) {
            error = in.error_at(key, "duplicate symbol '" + key.text +
                                         "': already has a text on line " +
                                         std::to_string(seen->second));
            return false;
        }
        symbol_lines[key.text] = key.line;
        if (!is_description) {
            const auto same_id = id_lines.find(symbol->value);
            if (same_id != id_lines.end()) {
                error = in.error_at(key, "duplicate id " + std::to_string(symbol->value) + " ('" +
                                             key.text + "'): already has a text on line " +
                                             std::to_string(same_id->second));
                return false;
            }
            id_lines[symbol->value] = key.line;
        }
        table.entries.push_back(StringEntry{key.text, symbol->value, value, key.line});
    }
    in.take();
    if (!in.at_end()) {
        error = in.expected("the end of the file after the string table's closing '}'");
        return false;
    }
    out = std::move(table);
    return true;
}

bool load_string_table(const std::string& path, const SymbolHeader& symbols,
                       const std::string& description_name, StringTable& out, std::string& error) {
    std::string text;
    if (!read_text_file(path, text, error)) return false;
    return parse_string_table(text, path, symbols, description_name, out, error);
}

} // namespace vantri
