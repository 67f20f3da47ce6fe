#include "resources/ResourceTokens.h"

#include "resources/TextFile.h"

#include <cerrno>
#include <cstdlib>
#include <limits>

namespace vantri {
namespace {

bool is_word_start(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
}
bool is_word_char(char c) {
    return is_word_start(c) || (c >= '0' && c <= '9');
}
bool is_digit(char c) {
    return c >= '0' && c <= '9';
}
bool is_hex_digit(char c) {
    return is_digit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

void append_utf8(std::string& out, uint32_t code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

/// Length of the well-formed UTF-8 sequence at text[i], or 0 when it is not one.
size_t utf8_sequence_length(const std::string& text, size_t i) {
    const auto byte = [&](size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char lead = byte(i);
    size_t length = 0;
    uint32_t code = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        code = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        code = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        code = lead & 0x07;
    } else {
        return 0;
    }
    if (i + length > text.size()) return 0;
    for (size_t k = 1; k < length; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80) return 0;
        code = (code << 6) | (byte(i + k) & 0x3F);
    }
    // Overlong forms, surrogates and values past U+10FFFF are not UTF-8.
    if ((length == 3 && code < 0x800) || (length == 4 && code < 0x10000) || code > 0x10FFFF ||
        (code >= 0xD800 && code <= 0xDFFF))
        return 0;
    return length;
}

class Lexer {
  public:
    Lexer(const std::string& text, const std::string& path, TokenMode mode)
        : text_(text), path_(path), mode_(mode) {}

    bool run(std::vector<Token>& out, std::string& error) {
        out.clear();
        if (text_.compare(0, 3, "\xEF\xBB\xBF") == 0) pos_ = 3;
        at_line_start_ = true;
        while (true) {
            if (!skip_blank(error)) return false;
            Token token;
            token.line = line_;
            token.column = column();
            if (pos_ >= text_.size()) {
                out.push_back(token);
                return true;
            }
            const char c = text_[pos_];
            bool ok = true;
            if (is_word_start(c)) {
                token.kind = TokenKind::Word;
                const size_t start = pos_;
                while (pos_ < text_.size() && is_word_char(text_[pos_]))
                    ++pos_;
                token.text = text_.substr(start, pos_ - start);
            } else if (is_digit(c) ||
                       (c == '.' && pos_ + 1 < text_.size() && is_digit(text_[pos_ + 1]))) {
                ok = number(token, error);
            } else if (c == '"') {
                ok = string_literal(token, error);
            } else if (c == '{' || c == '}' || c == ';' || c == '=' || c == ',' || c == '-' ||
                       c == '+') {
                token.kind = TokenKind::Punct;
                token.text = std::string(1, c);
                ++pos_;
            } else {
                error = located_error(path_, line_, column(), unexpected_character(c));
                return false;
            }
            if (!ok) return false;
            at_line_start_ = false;
            out.push_back(token);
        }
    }

  private:
    int column() const { return static_cast<int>(pos_ - line_start_) + 1; }

    void new_line() {
        ++line_;
        line_start_ = pos_;
        at_line_start_ = true;
    }

    std::string unexpected_character(char c) const {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte >= 0x7F) {
            static const char digits[] = "0123456789ABCDEF";
            std::string hex = "0x";
            hex += digits[byte >> 4];
            hex += digits[byte & 0xF];
            return "unexpected byte " + hex + " outside a string literal";
        }
        if (c == '#') return "unexpected '#': preprocessor lines belong only in a .h file";
        return std::string("unexpected character '") + c + "'";
    }

    /// Skips spaces, line breaks, comments and (in a C header) preprocessor lines.
    bool skip_blank(std::string& error) {
        while (pos_ < text_.size()) {
            const char c = text_[pos_];
            if (c == '\n') {
                ++pos_;
                new_line();
            } else if (c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v') {
                ++pos_;
            } else if (c == '/' && pos_ + 1 < text_.size() && text_[pos_ + 1] == '/') {
                while (pos_ < text_.size() && text_[pos_] != '\n')
                    ++pos_;
            } else if (c == '/' && pos_ + 1 < text_.size() && text_[pos_ + 1] == '*') {
                const int line = line_;
                const int col = column();
                pos_ += 2;
                bool closed = false;
                while (pos_ < text_.size()) {
                    if (text_[pos_] == '*' && pos_ + 1 < text_.size() && text_[pos_ + 1] == '/') {
                        pos_ += 2;
                        closed = true;
                        break;
                    }
                    if (text_[pos_++] == '\n') new_line();
                }
                if (!closed) {
                    error = located_error(path_, line, col,
                                          "unterminated comment: expected '*/' before the end "
                                          "of the file");
                    return false;
                }
                at_line_start_ = false;
            } else if (c == '#' && mode_ == TokenMode::CHeader && at_line_start_) {
                // A preprocessor line, continued by a backslash at its end.
                while (pos_ < text_.size() && text_[pos_] != '\n') {
                    if (text_[pos_] == '\\' && pos_ + 1 < text_.size() && text_[pos_ + 1] == '\n') {
                        pos_ += 2;
                        new_line();
                        at_line_start_ = false;
                        continue;
                    }
                    ++pos_;
                }
            } else {
                return true;
            }
        }
        return true;
    }

    bool number(Token& token, std::string& error) {
        const size_t start = pos_;
        bool is_real = false;
        bool hex = false;
        if (text_[pos_] == '0' && pos_ + 1 < text_.size() &&
            (text_[pos_ + 1] == 'x' || text_[pos_ + 1] == 'X')) {
            hex = true;
            pos_ += 2;
            while (pos_ < text_.size() && is_hex_digit(text_[pos_]))
                ++pos_;
        } else {
            while (pos_ < text_.size() && is_digit(text_[pos_]))
                ++pos_;
            if (pos_ < text_.size() && text_[pos_] == '.') {
                is_real = true;
                ++pos_;
                while (pos_ < text_.size() && is_digit(text_[pos_]))
                    ++pos_;
            }
            if (pos_ < text_.size() && (text_[pos_] == 'e' || text_[pos_] == 'E')) {
                size_t exp = pos_ + 1;
                if (exp < text_.size() && (text_[exp] == '+' || text_[exp] == '-')) ++exp;
                if (exp < text_.size() && is_digit(text_[exp])) {
                    is_real = true;
                    pos_ = exp;
                    while (pos_ < text_.size() && is_digit(text_[pos_]))
                        ++pos_;
                }
            }
        }
        const std::string spelling = text_.substr(start, pos_ - start);
        const int col = static_cast<int>(start - line_start_) + 1;
        if ((hex && spelling.size() == 2) ||
            (pos_ < text_.size() && (is_word_char(text_[pos_]) || text_[pos_] == '.'))) {
            while (pos_ < text_.size() && (is_word_char(text_[pos_]) || text_[pos_] == '.'))
                ++pos_;
            error = located_error(path_, line_, col,
                                  "malformed number '" + text_.substr(start, pos_ - start) +
                                      "': expected a decimal or 0x integer, or a decimal "
                                      "real such as 0.5 or 1e3");
            return false;
        }
        errno = 0;
        if (is_real) {
            token.kind = TokenKind::Real;
            token.real = std::strtod(spelling.c_str(), nullptr);
        } else {
            token.kind = TokenKind::Integer;
            const unsigned long long value = std::strtoull(spelling.c_str(), nullptr, 0);
            if (errno == ERANGE ||
                value > static_cast<unsigned long long>(std::numeric_limits<int64_t>::max())) {
                error = located_error(path_, line_, col, "number '" + spelling + "' is too large");
                return false;
            }
            token.integer = static_cast<int64_t>(value);
            token.real = static_cast<double>(value);
        }
        if (errno == ERANGE) {
            error = located_error(path_, line_, col, "number '" + spelling + "' is out of range");
            return false;
        }
        token.text = spelling;
        return true;
    }

    bool string_literal(Token& token, std::string& error) {
        const int open_col = column();
        const int open_line = line_;
        token.kind = TokenKind::String;
        ++pos_;
        std::string value;
        while (true) {
            if (pos_ >= text_.size() || text_[pos_] == '\n' || text_[pos_] == '\r') {
                error = located_error(path_, open_line, open_col,
                                      "unterminated string literal: expected a closing '\"' "
                                      "on the same line");
                return false;
            }
            const char c = text_[pos_];
            const auto byte = static_cast<unsigned char>(c);
            if (c == '"') {
                ++pos_;
                break;
            }
            if (c == '\\') {
                if (!escape(value, error)) return false;
                continue;
            }
            if (byte < 0x20 && c != '\t') {
                error = located_error(path_, line_, column(),
                                      "control character in string literal: write it as an "
                                      "escape such as \\n or \\t");
                return false;
            }
            if (byte >= 0x80) {
                const size_t length = utf8_sequence_length(text_, pos_);
                if (length == 0) {
                    error = located_error(path_, line_, column(),
                                          "invalid UTF-8 in string literal: resource files are "
                                          "UTF-8; write other characters as \\uXXXX");
                    return false;
                }
                value.append(text_, pos_, length);
                pos_ += length;
                continue;
            }
            value += c;
            ++pos_;
        }
        token.text = value;
        return true;
    }

    bool escape(std::string& value, std::string& error) {
        const int col = column();
        if (pos_ + 1 >= text_.size()) {
            error = located_error(path_, line_, col,
                                  "unterminated string literal: expected a closing '\"'");
            return false;
        }
        const char e = text_[pos_ + 1];
        switch (e) {
        case '"':
            value += '"';
            break;
        case '\\':
            value += '\\';
            break;
        case '\'':
            value += '\'';
            break;
        case 'n':
            value += '\n';
            break;
        case 't':
            value += '\t';
            break;
        case 'u': {
            uint32_t code = 0;
            for (size_t k = 0; k < 4; ++k) {
                const size_t at = pos_ + 2 + k;
                if (at >= text_.size() || !is_hex_digit(text_[at])) {
                    error = located_error(path_, line_, col,
                                          "bad escape in string literal: expected four hex "
                                          "digits after \\u");
                    return false;
                }
                const char h = text_[at];
                code = code * 16 + static_cast<uint32_t>(is_digit(h)              ? h - '0'
                                                         : (h >= 'a' && h <= 'f') ? h - 'a' + 10
                                                                                  : h - 'A' + 10);
            }
            if (code == 0 || (code >= 0xD800 && code <= 0xDFFF)) {
                error = located_error(path_, line_, col,
                                      "bad escape in string literal: \\u must name a character "
                                      "other than U+0000 or a surrogate");
                return false;
            }
            append_utf8(value, code);
            pos_ += 6;
            return true;
        }
        default:
            error = located_error(
                path_, line_, col,
                std::string("bad escape '\\") +
                    (static_cast<unsigned char>(e) >= 0x20 && static_cast<unsigned char>(e) < 0x7F
                         ? std::string(1, e)
                         : std::string("?")) +
                    "' in string literal: expected one of \\\" \\\\ \\' \\n "
                    "\\t \\uXXXX");
            return false;
        }
        pos_ += 2;
        return true;
    }

    const std::string& text_;
    const std::string& path_;
    TokenMode mode_;
    size_t pos_ = 0;
    size_t line_start_ = 0;
    int line_ = 1;
    bool at_line_start_ = true;
};

} // namespace

bool tokenize(const std::string& text, const std::string& path, TokenMode mode,
              std::vector<Token>& out, std::string& error) {
    Lexer lexer(text, path, mode);
    return lexer.run(out, error);
}

std::string describe_token(const Token& token) {
    switch (token.kind) {
    case TokenKind::End:
        return "end of file";
    case TokenKind::Word:
        return "'" + token.text + "'";
    case TokenKind::Integer:
    case TokenKind::Real:
        return "number " + token.text;
    case TokenKind::String:
        return "string literal";
    case TokenKind::Punct:
        return "'" + token.text + "'";
    }
    return "token";
}

bool TokenCursor::at_punct(char c) const {
    return peek().kind == TokenKind::Punct && peek().text[0] == c;
}

bool TokenCursor::at_word(const char* word) const {
    return peek().kind == TokenKind::Word && peek().text == word;
}

std::string TokenCursor::error_at(const Token& token, const std::string& message) const {
    return located_error(path_, token.line, token.column, message);
}

std::string TokenCursor::expected(const std::string& what) const {
    return error_at(peek(), "expected " + what + ", found " + describe_token(peek()));
}

bool TokenCursor::expect_punct(char c, const std::string& context, std::string& error) {
    if (at_punct(c)) {
        take();
        return true;
    }
    error = expected(std::string("'") + c + "' " + context);
    return false;
}

bool TokenCursor::expect_word(const std::string& what, std::string& out, std::string& error) {
    if (peek().kind != TokenKind::Word) {
        error = expected(what);
        return false;
    }
    out = take().text;
    return true;
}

bool TokenCursor::expect_int32(const std::string& what, int32_t& out, std::string& error) {
    const Token& first = peek();
    bool negative = false;
    if (at_punct('-') || at_punct('+')) {
        negative = take().text[0] == '-';
    }
    if (peek().kind != TokenKind::Integer) {
        error = expected(what);
        return false;
    }
    const int64_t magnitude = take().integer;
    const int64_t value = negative ? -magnitude : magnitude;
    if (value < std::numeric_limits<int32_t>::min() ||
        value > std::numeric_limits<int32_t>::max()) {
        error = error_at(first, what + " does not fit in 32 bits");
        return false;
    }
    out = static_cast<int32_t>(value);
    return true;
}

bool TokenCursor::expect_number(const std::string& what, double& out, std::string& error) {
    bool negative = false;
    if (at_punct('-') || at_punct('+')) {
        negative = take().text[0] == '-';
    }
    if (peek().kind != TokenKind::Integer && peek().kind != TokenKind::Real) {
        error = expected(what);
        return false;
    }
    const double value = take().real;
    out = negative ? -value : value;
    return true;
}

} // namespace vantri
