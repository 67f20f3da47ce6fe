// The tokens of the resource files: C symbol headers, descriptions and string tables share
// one lexical form (words, numbers, string literals, punctuation, C comments), so one lexer
// serves all three and every parser reports positions the same way.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vantri {

enum class TokenKind { End, Word, Integer, Real, String, Punct };

struct Token {
    TokenKind kind = TokenKind::End;
    std::string text;    ///< a word, a punctuation character, or a decoded string literal
    int64_t integer = 0; ///< the value of an Integer token
    double real = 0.0;   ///< the value of a Real or Integer token
    int line = 1;        ///< 1-based
    int column = 1;      ///< 1-based, in bytes
};

enum class TokenMode {
    Resource, ///< description and string-table files
    CHeader,  ///< also skips preprocessor lines (#ifndef, #define, #pragma ...)
};

/// Splits `text` (the content of the file at `path`) into tokens ending with one End token.
/// Comments and blank space are dropped. On failure returns false and sets `error` to
/// "path:line:column: what was expected"; `out` is then unspecified.
bool tokenize(const std::string& text, const std::string& path, TokenMode mode,
              std::vector<Token>& out, std::string& error);

/// Walks a token list for a recursive-descent parser and words its errors.
class TokenCursor {
  public:
    TokenCursor(const std::vector<Token>& tokens, const std::string& path)
        : tokens_(tokens), path_(path) {}

    const Token& peek() const { return tokens_[index_]; }
    const Token& take() { return index_ + 1 < tokens_.size() ? tokens_[index_++] : peek(); }
    bool at_end() const { return peek().kind == TokenKind::End; }
    bool at_punct(char c) const;
    bool at_word(const char* word) const;

    /// Takes the punctuation `c` or fails with "expected 'c' <context>".
    bool expect_punct(char c, const std::string& context, std::string& error);
    /// Takes a word into `out` or fails with "expected <what>".
    bool expect_word(const std::string& what, std::string& out, std::string& error);
    /// Takes an optionally signed integer that fits 32 bits.
    bool expect_int32(const std::string& what, int32_t& out, std::string& error);
    /// Takes an optionally signed integer or real number.
    bool expect_number(const std::string& what, double& out, std::string& error);

    /// "path:line:column: message" at the given token.
    std::string error_at(const Token& token, const std::string& message) const;
    /// "expected <what>, found <description of the next token>" at the next token.
    std::string expected(const std::string& what) const;

    const std::string& path() const { return path_; }

  private:
    const std::vector<Token>& tokens_;
    std::string path_;
    size_t index_ = 0;
};

/// How a token reads in an error message: "word 'LONG'", "'}'", "end of file" ...
std::string describe_token(const Token& token);

} // namespace vantri
