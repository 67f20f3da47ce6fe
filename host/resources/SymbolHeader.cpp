#include "resources/SymbolHeader.h"

#include "resources/ResourceTokens.h"
#include "resources/TextFile.h"

#include <limits>

namespace vantri {
namespace {

class HeaderParser {
  public:
    HeaderParser(TokenCursor& cursor, SymbolHeader& header) : in_(cursor), header_(header) {}

    bool parse(std::string& error) {
        while (!in_.at_end()) {
            if (!in_.at_word("enum")) {
                error = in_.expected("'enum' (a symbol header holds only enum declarations)");
                return false;
            }
            in_.take();
            if (in_.peek().kind == TokenKind::Word) in_.take(); // the enum's optional name
            if (!in_.expect_punct('{', "to open the enum", error)) return false;
            if (!enumerators(error)) return false;
            if (!in_.expect_punct(';', "after the closing '}' of the enum", error)) return false;
        }
        return true;
    }

    std::map<std::string, size_t> index;

  private:
    bool enumerators(std::string& error) {
        int64_t next = 0;
        while (!in_.at_punct('}')) {
            const Token& name = in_.peek();
            if (name.kind != TokenKind::Word) {
                error = in_.expected("an enum constant name or '}'");
                return false;
            }
            in_.take();
            if (index.count(name.text) != 0) {
                const Symbol& first = header_.symbols[index[name.text]];
                error = in_.error_at(name, "duplicate symbol '" + name.text +
                                               "': already defined on line " +
                                               std::to_string(first.line));
                return false;
            }
            int64_t value = next;
            if (in_.at_punct('=')) {
                in_.take();
                if (!constant_value(name.text, value, error)) return false;
            }
            if (value < std::numeric_limits<int32_t>::min() ||
                value > std::numeric_limits<int32_t>::max()) {
                error = in_.error_at(name, "value of '" + name.text + "' does not fit in 32 bits");
                return false;
            }
            index[name.text] = header_.symbols.size();
            header_.symbols.push_back(Symbol{name.text, static_cast<int32_t>(value), name.line});
            next = value + 1;
            if (in_.at_punct(',')) {
                in_.take();
            } else if (!in_.at_punct('}')) {
                error = in_.expected("',' or '}' after enum constant '" + name.text + "'");
                return false;
            }
        }
        in_.take();
        return true;
    }

    /// INTEGER, -INTEGER, or NAME [(+|-) INTEGER] with NAME defined earlier.
    bool constant_value(const std::string& of, int64_t& value, std::string& error) {
        const std::string what = "a value for '" + of + "' (an integer or an earlier constant)";
        if (in_.peek().kind == TokenKind::Word) {
            const Token& ref = in_.take();
            const auto found = index.find(ref.text);
            if (found == index.end()) {
                error = in_.error_at(ref, "unknown symbol '" + ref.text +
                                              "': expected an integer or a constant defined "
                                              "earlier in this file");
                return false;
            }
            value = header_.symbols[found->second].value;
            if (in_.at_punct('+') || in_.at_punct('-')) {
                const bool minus = in_.take().text[0] == '-';
                if (in_.peek().kind != TokenKind::Integer) {
                    error =
                        in_.expected("an integer after '" + std::string(minus ? "-" : "+") + "'");
                    return false;
                }
                const int64_t offset = in_.take().integer;
                if (offset > std::numeric_limits<int32_t>::max()) {
                    error = in_.error_at(ref, "value of '" + of + "' does not fit in 32 bits");
                    return false;
                }
                value = minus ? value - offset : value + offset;
            }
            return true;
        }
        int32_t literal = 0;
        if (!in_.expect_int32(what, literal, error)) return false;
        value = literal;
        return true;
    }

    TokenCursor& in_;
    SymbolHeader& header_;
};

} // namespace

const Symbol* SymbolHeader::find(const std::string& name) const {
    const auto found = index_.find(name);
    return found == index_.end() ? nullptr : &symbols[found->second];
}

bool parse_symbol_header(const std::string& text, const std::string& path, SymbolHeader& out,
                         std::string& error) {
    std::vector<Token> tokens;
    if (!tokenize(text, path, TokenMode::CHeader, tokens, error)) return false;
    TokenCursor cursor(tokens, path);
    SymbolHeader header;
    header.path = path;
    HeaderParser parser(cursor, header);
    if (!parser.parse(error)) return false;
    header.index_ = std::move(parser.index);
    out = std::move(header);
    return true;
}

bool load_symbol_header(const std::string& path, SymbolHeader& out, std::string& error) {
    std::string text;
    if (!read_text_file(path, text, error)) return false;
    return parse_symbol_header(text, path, out, error);
}

} // namespace vantri
