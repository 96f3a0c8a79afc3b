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

// Where a text stops when it stops inside a construct that goes on in the text after it (the
// next line of an editor, say): inside a block comment, a string literal or a quoted name.
enum class LexState { Normal, BlockComment, String, QuotedName };

// Reads the tokens of a text one by one, from a position outside literals and comments, or from
// the start of a text that continues a construct left open (start).
class Lexer {
public:
    explicit Lexer(std::string_view sql, std::size_t from = 0, LexState start = LexState::Normal)
        : sql_(sql), at_(from), state_(start) {}
    // The next token; false at the end of the text.
    bool next(Lexeme &lexeme);
    std::size_t position() const { return at_; }
    // After the last token: the construct it leaves open at the end of the text, if any.
    LexState state() const { return state_; }

private:
    std::string_view sql_;
    std::size_t at_;
    LexState state_;
};

std::vector<Token> tokenize(std::string_view sql);
// The first token at or after i that is no blank or comment; tokens.size() when there is none.
std::size_t significantFrom(const std::vector<Token> &tokens, std::size_t i);
// The last token before i that is no blank or comment; tokens.size() when there is none.
std::size_t significantBefore(const std::vector<Token> &tokens, std::size_t i);

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
