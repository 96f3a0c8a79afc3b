#pragma once

// A small SQL tokenizer that knows string literals, quoted identifiers and both comment forms, so
// that the dialect rewriting never touches text inside them.

#include <string>
#include <string_view>
#include <vector>

namespace bm::db {

enum class TokenKind {
    Word,       // identifier or keyword, may hold # and $
    QuotedName, // "name"
    String,     // 'text'
    Number,
    Operator, // punctuation and operators, "||" as one token
    Space,    // white space
    Comment,  // -- … or /* … */
};

struct Token {
    TokenKind kind;
    std::string text;
    std::size_t offset = 0; // where the token starts in the text it was read from

    bool is(std::string_view word) const; // a Word equal to word, ignoring case
    bool isOp(std::string_view op) const { return kind == TokenKind::Operator && text == op; }
    bool isTrivia() const { return kind == TokenKind::Space || kind == TokenKind::Comment; }
};

// A token as a place in the text: no copy is made, so a script of any size is read in one pass.
struct Lexeme {
    TokenKind kind;
    std::size_t offset;
    std::size_t length;
};

// Reads the tokens of a text one by one, from any position between two characters of it that is
// outside literals and comments.
class Lexer {
public:
    explicit Lexer(std::string_view sql, std::size_t from = 0) : sql_(sql), at_(from) {}
    // The next token; false at the end of the text.
    bool next(Lexeme &lexeme);
    std::size_t position() const { return at_; }

private:
    std::string_view sql_;
    std::size_t at_;
};

std::vector<Token> tokenize(std::string_view sql);
std::string joinTokens(const std::vector<Token> &tokens, std::size_t from = 0,
                       std::size_t to = std::string::npos);

// Upper-cases ASCII letters.
std::string upperAscii(std::string_view text);
// Quotes an identifier for SQL: "name" with inner quotes doubled.
std::string quoteName(std::string_view name);
// Quotes a text as an SQL string literal.
std::string quoteString(std::string_view text);
// The text of a string literal or quoted name without its quotes (doubled quotes single);
// any other token's text as it is.
std::string unquote(const Token &token);

} // namespace bm::db
