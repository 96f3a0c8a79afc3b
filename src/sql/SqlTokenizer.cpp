#include "sql/SqlTokenizer.h"

#include <algorithm>
#include <cctype>
#include <strings.h>

namespace bm::db {

namespace {

bool wordStart(unsigned char c) {
    return std::isalpha(c) || c == '_' || c >= 0x80;
}
bool wordChar(unsigned char c) {
    return std::isalnum(c) || c == '_' || c == '$' || c == '#' || c >= 0x80;
}

} // namespace

bool Token::is(std::string_view word) const {
    return kind == TokenKind::Word && text.size() == word.size() &&
           strncasecmp(text.data(), word.data(), word.size()) == 0;
}

namespace {

// The end of a quoted text whose opening quote is before from; closed tells whether its closing
// quote was found. A doubled quote stands for one.
std::size_t quotedEnd(std::string_view sql, std::size_t from, char quote, bool &closed) {
    for (std::size_t j = from; j < sql.size(); ++j) {
        if (sql[j] != quote)
            continue;
        if (j + 1 < sql.size() && sql[j + 1] == quote) {
            ++j;
            continue;
        }
        closed = true;
        return j + 1;
    }
    closed = false;
    return sql.size();
}

std::size_t commentEnd(std::string_view sql, std::size_t from, bool &closed) {
    const std::size_t end = sql.find("*/", from);
    closed = end != std::string_view::npos;
    return closed ? end + 2 : sql.size();
}

} // namespace

bool Lexer::next(Lexeme &lexeme) {
    const std::string_view sql = sql_;
    const std::size_t n = sql.size();
    std::size_t i = at_;
    if (i >= n)
        return false;
    auto take = [&](TokenKind kind, std::size_t end) {
        lexeme = {kind, i, end - i};
        at_ = end;
        return true;
    };
    bool closed = true;
    // The rest of a construct that an earlier text left open.
    const LexState open = state_;
    state_ = LexState::Normal;
    switch (open) {
    case LexState::BlockComment: {
        const std::size_t end = commentEnd(sql, i, closed);
        state_ = closed ? LexState::Normal : LexState::BlockComment;
        return take(TokenKind::Comment, end);
    }
    case LexState::String:
    case LexState::QuotedName: {
        const bool string = open == LexState::String;
        const std::size_t end = quotedEnd(sql, i, string ? '\'' : '"', closed);
        state_ = closed ? LexState::Normal : open;
        return take(string ? TokenKind::String : TokenKind::QuotedName, end);
    }
    case LexState::Normal:
        break;
    }
    const auto c = static_cast<unsigned char>(sql[i]);
    if (std::isspace(c)) {
        std::size_t j = i;
        while (j < n && std::isspace(static_cast<unsigned char>(sql[j])))
            ++j;
        return take(TokenKind::Space, j);
    }
    if (c == '-' && i + 1 < n && sql[i + 1] == '-') {
        const std::size_t end = sql.find('\n', i);
        return take(TokenKind::Comment, end == std::string_view::npos ? n : end);
    }
    if (c == '/' && i + 1 < n && sql[i + 1] == '*') {
        const std::size_t end = commentEnd(sql, i + 2, closed);
        state_ = closed ? LexState::Normal : LexState::BlockComment;
        return take(TokenKind::Comment, end);
    }
    if (c == '\'' || c == '"') {
        // An unclosed literal runs to the end of the text.
        const std::size_t end = quotedEnd(sql, i + 1, static_cast<char>(c), closed);
        if (!closed)
            state_ = c == '\'' ? LexState::String : LexState::QuotedName;
        return take(c == '\'' ? TokenKind::String : TokenKind::QuotedName, end);
    }
    if (wordStart(c)) {
        std::size_t j = i + 1;
        while (j < n && wordChar(static_cast<unsigned char>(sql[j])))
            ++j;
        return take(TokenKind::Word, j);
    }
    if (std::isdigit(c) || (c == '.' && i + 1 < n && std::isdigit(sql[i + 1]))) {
        std::size_t j = i;
        while (j < n && (std::isdigit(static_cast<unsigned char>(sql[j])) || sql[j] == '.'))
            ++j;
        if (j < n && (sql[j] == 'e' || sql[j] == 'E')) {
            std::size_t k = j + 1;
            if (k < n && (sql[k] == '+' || sql[k] == '-'))
                ++k;
            if (k < n && std::isdigit(static_cast<unsigned char>(sql[k]))) {
                j = k;
                while (j < n && std::isdigit(static_cast<unsigned char>(sql[j])))
                    ++j;
            }
        }
        return take(TokenKind::Number, j);
    }
    static const char *const pairs[] = {"||", "<>", "!=", "<=", ">=", "==", "^="};
    for (const char *pair : pairs)
        if (sql.substr(i, 2) == pair)
            return take(TokenKind::Operator, i + 2);
    return take(TokenKind::Operator, i + 1);
}

std::vector<Token> tokenize(std::string_view sql) {
    std::vector<Token> tokens;
    Lexer lexer(sql);
    for (Lexeme l; lexer.next(l);)
        tokens.push_back({l.kind, std::string(sql.substr(l.offset, l.length)), l.offset});
    return tokens;
}

std::size_t significantFrom(const std::vector<Token> &tokens, std::size_t i) {
    while (i < tokens.size() && tokens[i].isTrivia())
        ++i;
    return std::min(i, tokens.size());
}

std::size_t significantBefore(const std::vector<Token> &tokens, std::size_t i) {
    for (i = std::min(i, tokens.size()); i > 0; --i)
        if (!tokens[i - 1].isTrivia())
            return i - 1;
    return tokens.size();
}

std::string joinTokens(const std::vector<Token> &tokens, std::size_t from, std::size_t to) {
    std::string text;
    for (std::size_t i = from; i < tokens.size() && i < to; ++i)
        text += tokens[i].text;
    return text;
}

std::string upperAscii(std::string_view text) {
    std::string upper(text);
    for (char &c : upper)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return upper;
}

namespace {

// The text between two quote characters, the quote character doubled inside.
std::string enquote(std::string_view text, char quote) {
    std::string quoted(1, quote);
    for (char c : text) {
        if (c == quote)
            quoted += quote;
        quoted += c;
    }
    return quoted + quote;
}

} // namespace

std::string quoteName(std::string_view name) {
    return enquote(name, '"');
}

std::string quoteString(std::string_view text) {
    return enquote(text, '\'');
}

std::string unquote(const Token &token) {
    if (token.kind != TokenKind::String && token.kind != TokenKind::QuotedName)
        return token.text;
    std::string out;
    const char quote = token.text[0];
    for (std::size_t i = 1; i + 1 < token.text.size(); ++i) {
        out += token.text[i];
        if (token.text[i] == quote && token.text[i + 1] == quote)
            ++i;
    }
    return out;
}

} // namespace bm::db
