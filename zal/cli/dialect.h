// The ZAL dialect: a lexer that respects quotes and comments, and the translation of ZAL
// statements into the engine's SQL.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace zal {

enum class TokenKind { Space, Comment, Ident, QuotedIdent, String, Blob, Number, Param, Punct };

struct Token {
    TokenKind kind;
    std::string text;
    bool significant() const { return kind != TokenKind::Space && kind != TokenKind::Comment; }
    bool is(std::string_view word) const; // an identifier or keyword, compared in upper case
    bool is_punct(std::string_view p) const { return kind == TokenKind::Punct && text == p; }
};

// Never fails: an unterminated string, quoted name or comment runs to the end of the text.
std::vector<Token> lex(std::string_view sql);

// Only the significant tokens.
std::vector<Token> significant(const std::vector<Token> &tokens);

// The name an identifier token stands for: upper case unless it was quoted.
std::string identifier_name(const Token &t);

// A name as a quoted identifier of the engine's SQL: in double quotes, each quote doubled.
std::string quoted_name(std::string_view name);

enum class StatementKind {
    Empty,
    Other,
    CreateTable,
    CreateView,
    DropTable,
    DropView,
    CreateFunction,
    DropFunction,
    Commit,
    Rollback,
};

struct Translation {
    std::string sql;     // the statement in the engine's SQL
    StatementKind kind = StatementKind::Other;
    std::string object;  // the table, view or function that CREATE or DROP names
    bool values = false; // a VALUES statement, whose columns are named by their number
    std::string invalid_length; // a length with a K/M/G suffix beyond max_type_length: refused
};

Translation translate(std::string_view zal_sql);

// Translates an expression (the body of an SQL function) and turns each parameter name into
// its positional marker ?1, ?2, ...
std::string translate_expression(std::string_view expression, const std::vector<std::string> &params);

// The longest length a type may declare: 2G, as a LOB may have.
inline constexpr long long max_type_length = 2LL * 1024 * 1024 * 1024;

// K, M and G after a length: "32K" is 32768. Returns -1 when the text is not a length, and
// max_type_length + 1 for any length beyond max_type_length, however many digits it has.
long long parse_length(std::string_view digits, std::string_view suffix);

} // namespace zal
