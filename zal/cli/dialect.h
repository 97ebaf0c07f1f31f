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

// The text of tokens, joined.
std::string join(const std::vector<Token> &tokens);

// Neighbours among the significant tokens: the next one after i (tokens.size() when none) and
// the one before i (npos when none); the ")" that closes the "(" at i (tokens.size() when none).
size_t next_significant(const std::vector<Token> &tokens, size_t i);
size_t previous_significant(const std::vector<Token> &tokens, size_t i);
size_t closing_parenthesis(const std::vector<Token> &tokens, size_t open);
inline constexpr size_t npos = static_cast<size_t>(-1);

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
    // Where sql has SQL functions written out: the statement with them called, which runs when
    // the written-out one does not prepare.
    std::string called_sql;
    bool names_routine = false; // it calls a routine, whose definition it then depends on
    bool rollback = false;      // ROLLBACK, of the transaction or to a savepoint
    StatementKind kind = StatementKind::Other;
    std::string object;  // the table, view or function that CREATE or DROP names
    bool values = false; // a VALUES statement, whose columns are named by their number
    std::string invalid_length; // a length with a K/M/G suffix beyond max_type_length: refused
};

Translation translate(std::string_view zal_sql);

// Translates an expression (the body of an SQL function) and turns each parameter name into
// its positional marker ?1, ?2, ...
std::string translate_expression(std::string_view expression, const std::vector<std::string> &params);
std::vector<Token> expression_tokens(std::string_view expression, const std::vector<std::string> &params);

// The longest length a type may declare: 2G, as a LOB may have.
inline constexpr long long max_type_length = 2LL * 1024 * 1024 * 1024;

// K, M and G after a length: "32K" is 32768. Returns -1 when the text is not a length, and
// max_type_length + 1 for any length beyond max_type_length, however many digits it has.
long long parse_length(std::string_view digits, std::string_view suffix);

} // namespace zal
