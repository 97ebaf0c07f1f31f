// The ZAL dialect: the lexer, and the rewriting of ZAL statements into the engine's SQL.
#include "dialect.h"

#include "ascii.h"

#include <algorithm>
#include <charconv>

namespace zal {

namespace {

bool ident_start(unsigned char c) { return is_alpha(c) || c == '_' || c >= 0x80; }
bool ident_part(unsigned char c) { return is_alnum(c) || c == '_' || c == '$' || c >= 0x80; }

// Length of a quoted run that starts at s[i] with quote q; a doubled quote stands for itself.
// Without its closing quote the run goes to the end of the text, and closed is false.
size_t quoted_length(std::string_view s, size_t i, char close, bool *closed = nullptr) {
    size_t j = i + 1;
    while (j < s.size()) {
        if (s[j] == close) {
            if (close != ']' && j + 1 < s.size() && s[j + 1] == close) {
                j += 2;
                continue;
            }
            if (closed)
                *closed = true;
            return j + 1 - i;
        }
        ++j;
    }
    if (closed)
        *closed = false;
    return s.size() - i;
}

// A string or quoted name that runs to the end of the text without its closing quote.
bool unterminated(const Token &t) {
    if (t.kind != TokenKind::String && t.kind != TokenKind::Blob && t.kind != TokenKind::QuotedIdent)
        return false;
    const size_t open = t.kind == TokenKind::Blob ? 1 : 0;
    bool closed = false;
    quoted_length(t.text, open, t.text[open] == '[' ? ']' : t.text[open], &closed);
    return !closed;
}

} // namespace

std::string join(const std::vector<Token> &tokens) {
    std::string s;
    for (const Token &t : tokens)
        s += t.text;
    return s;
}

size_t next_significant(const std::vector<Token> &tokens, size_t i) {
    for (size_t j = i + 1; j < tokens.size(); ++j)
        if (tokens[j].significant())
            return j;
    return tokens.size();
}

size_t previous_significant(const std::vector<Token> &tokens, size_t i) {
    for (size_t j = std::min(i, tokens.size()); j-- > 0;)
        if (tokens[j].significant())
            return j;
    return npos;
}

size_t closing_parenthesis(const std::vector<Token> &tokens, size_t open) {
    int depth = 0;
    for (size_t j = open; j < tokens.size(); ++j) {
        if (tokens[j].is_punct("("))
            ++depth;
        else if (tokens[j].is_punct(")") && --depth == 0)
            return j;
    }
    return tokens.size();
}

bool Token::is(std::string_view word) const {
    if (kind != TokenKind::Ident || text.size() != word.size())
        return false;
    for (size_t i = 0; i < word.size(); ++i)
        if (upper(text[i]) != word[i])
            return false;
    return true;
}

std::vector<Token> lex(std::string_view s) {
    std::vector<Token> out;
    size_t i = 0;
    auto push = [&](TokenKind k, size_t n) {
        out.push_back({k, std::string(s.substr(i, n))});
        i += n;
    };
    while (i < s.size()) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        const char next = i + 1 < s.size() ? s[i + 1] : '\0';
        if (is_space(c)) {
            size_t j = i;
            while (j < s.size() && is_space(s[j]))
                ++j;
            push(TokenKind::Space, j - i);
        } else if (c == '-' && next == '-') {
            size_t j = s.find('\n', i);
            push(TokenKind::Comment, (j == std::string_view::npos ? s.size() : j) - i);
        } else if (c == '/' && next == '*') {
            size_t j = s.find("*/", i + 2);
            push(TokenKind::Comment, (j == std::string_view::npos ? s.size() : j + 2) - i);
        } else if (c == '\'') {
            push(TokenKind::String, quoted_length(s, i, '\''));
        } else if ((c == 'x' || c == 'X') && next == '\'') {
            push(TokenKind::Blob, 1 + quoted_length(s, i + 1, '\''));
        } else if (c == '"' || c == '`') {
            push(TokenKind::QuotedIdent, quoted_length(s, i, static_cast<char>(c)));
        } else if (c == '[') {
            push(TokenKind::QuotedIdent, quoted_length(s, i, ']'));
        } else if (is_digit(c) || (c == '.' && is_digit(next))) {
            size_t j = i;
            if (c == '0' && (next == 'x' || next == 'X')) {
                j += 2;
                while (j < s.size() && is_xdigit(s[j]))
                    ++j;
            } else {
                while (j < s.size() && is_digit(s[j]))
                    ++j;
                if (j < s.size() && s[j] == '.') {
                    ++j;
                    while (j < s.size() && is_digit(s[j]))
                        ++j;
                }
                if (j < s.size() && (s[j] == 'e' || s[j] == 'E')) {
                    size_t k = j + 1;
                    if (k < s.size() && (s[k] == '+' || s[k] == '-'))
                        ++k;
                    if (k < s.size() && is_digit(s[k])) {
                        j = k;
                        while (j < s.size() && is_digit(s[j]))
                            ++j;
                    }
                }
            }
            push(TokenKind::Number, j - i);
        } else if (ident_start(c)) {
            size_t j = i;
            while (j < s.size() && ident_part(static_cast<unsigned char>(s[j])))
                ++j;
            push(TokenKind::Ident, j - i);
        } else if (c == '?' || ((c == ':' || c == '@' || c == '$') && ident_start(static_cast<unsigned char>(next)))) {
            size_t j = i + 1;
            while (j < s.size() && ident_part(static_cast<unsigned char>(s[j])))
                ++j;
            push(TokenKind::Param, j - i);
        } else {
            static const char *pairs[] = {"||", "<=", ">=", "<>", "!=", "==", "<<", ">>", "->"};
            size_t n = 1;
            for (const char *p : pairs)
                if (c == p[0] && next == p[1])
                    n = 2;
            if (n == 2 && c == '-' && i + 2 < s.size() && s[i + 2] == '>')
                n = 3;
            push(TokenKind::Punct, n);
        }
    }
    return out;
}

std::vector<Token> significant(const std::vector<Token> &tokens) {
    std::vector<Token> out;
    for (const Token &t : tokens)
        if (t.significant())
            out.push_back(t);
    return out;
}

std::string identifier_name(const Token &t) {
    if (t.kind == TokenKind::QuotedIdent && t.text.size() >= 2) {
        const char q = t.text.front();
        std::string inner = t.text.substr(1, t.text.size() - 2);
        if (q != '[') {
            std::string doubled(2, q == '`' ? '`' : '"');
            for (size_t p = 0; (p = inner.find(doubled, p)) != std::string::npos; ++p)
                inner.erase(p, 1);
        }
        return inner;
    }
    return upper(t.text);
}

std::string quoted_name(std::string_view name) {
    std::string q = "\"";
    for (char c : name)
        q += c == '"' ? std::string_view("\"\"") : std::string_view(&c, 1);
    return q + "\"";
}

long long parse_length(std::string_view digits, std::string_view suffix) {
    if (digits.empty() || digits.find_first_not_of("0123456789") != std::string_view::npos)
        return -1;
    long long n = 0;
    auto [p, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), n);
    if (ec == std::errc::result_out_of_range || n > max_type_length)
        n = max_type_length + 1;
    long long factor = 1;
    if (suffix == "K" || suffix == "k")
        factor = 1024;
    else if (suffix == "M" || suffix == "m")
        factor = 1024 * 1024;
    else if (suffix == "G" || suffix == "g")
        factor = 1024LL * 1024 * 1024;
    else if (!suffix.empty())
        return -1;
    return std::min(n * factor, max_type_length + 1);
}

namespace {

// The rewriting passes work on the full token list (spaces and comments kept, so the text
// keeps its layout) and look at significant neighbours.
class Rewriter {
public:
    explicit Rewriter(std::vector<Token> tokens) : t_(std::move(tokens)) {}

    std::vector<Token> &tokens() { return t_; }
    const std::string &invalid_length() const { return invalid_length_; }

    // Index of the next significant token after i, and of the one before it (t_.size() when
    // none).
    size_t next(size_t i) const { return next_significant(t_, i); }
    size_t prev(size_t i) const {
        const size_t j = previous_significant(t_, i);
        return j == npos ? t_.size() : j;
    }
    bool at(size_t i, std::string_view word) const { return i < t_.size() && t_[i].is(word); }
    bool punct(size_t i, std::string_view p) const { return i < t_.size() && t_[i].is_punct(p); }

    // The significant token that closes the parenthesis at i, or t_.size().
    size_t matching(size_t i) const { return closing_parenthesis(t_, i); }

    void erase(size_t i) { t_[i] = {TokenKind::Space, ""}; }
    void replace(size_t i, TokenKind k, std::string text) { t_[i] = {k, std::move(text)}; }

    void upper_identifiers() {
        for (Token &tok : t_)
            if (tok.kind == TokenKind::Ident)
                tok.text = upper(tok.text);
    }

    // "FOR BIT DATA" and its kin only tell how a character type stores bytes.
    void drop_data_subtypes() {
        for (size_t i = 0; i < t_.size(); ++i) {
            if (!at(i, "FOR"))
                continue;
            size_t a = next(i), b = next(a);
            if ((at(a, "BIT") || at(a, "SBCS") || at(a, "MIXED")) && at(b, "DATA")) {
                erase(i);
                erase(a);
                erase(b);
            }
        }
    }

    // (32K) -> (32768)
    void expand_lengths() {
        for (size_t i = 0; i + 1 < t_.size(); ++i) {
            if (t_[i].kind != TokenKind::Number || t_[i + 1].kind != TokenKind::Ident || !punct(prev(i), "("))
                continue;
            long long n = parse_length(t_[i].text, t_[i + 1].text);
            if (n > max_type_length && invalid_length_.empty())
                invalid_length_ = t_[i].text + t_[i + 1].text;
            if (n >= 0) {
                t_[i].text = std::to_string(n);
                erase(i + 1);
            }
        }
    }

    void special_registers() {
        for (size_t i = 0; i < t_.size(); ++i) {
            if (t_[i].kind != TokenKind::Ident || punct(prev(i), ".") || punct(next(i), ".") ||
                punct(next(i), "("))
                continue;
            const bool in_default = at(prev(i), "DEFAULT");
            if (t_[i].is("CURRENT")) {
                size_t j = next(i);
                const char *function = nullptr;
                if (at(j, "USER") || at(j, "SCHEMA") || at(j, "SQLID"))
                    function = "ZAL_USER()";
                else if (at(j, "SERVER"))
                    function = "ZAL_SERVER()";
                else if (at(j, "DATE"))
                    function = in_default ? "CURRENT_DATE" : "ZAL_CURRENT_DATE()";
                else if (at(j, "TIME"))
                    function = in_default ? "CURRENT_TIME" : "ZAL_CURRENT_TIME()";
                else if (at(j, "TIMESTAMP"))
                    function = in_default ? "CURRENT_TIMESTAMP" : "ZAL_CURRENT_TIMESTAMP()";
                if (function && !punct(next(j), "(")) {
                    replace(i, TokenKind::Ident, function);
                    for (size_t k = i + 1; k <= j; ++k)
                        erase(k);
                }
            } else if (t_[i].is("USER") || t_[i].is("CURRENT_USER") || t_[i].is("SESSION_USER") ||
                       t_[i].is("SYSTEM_USER")) {
                replace(i, TokenKind::Ident, "ZAL_USER()");
            } else if (!in_default && t_[i].is("CURRENT_DATE")) {
                replace(i, TokenKind::Ident, "ZAL_CURRENT_DATE()");
            } else if (!in_default && t_[i].is("CURRENT_TIME")) {
                replace(i, TokenKind::Ident, "ZAL_CURRENT_TIME()");
            } else if (!in_default && t_[i].is("CURRENT_TIMESTAMP")) {
                replace(i, TokenKind::Ident, "ZAL_CURRENT_TIMESTAMP()");
            }
        }
    }

    // TABLE(f(args)) AS x -> f(args) AS x
    void table_functions() {
        for (size_t i = 0; i < t_.size(); ++i) {
            if (!at(i, "TABLE"))
                continue;
            size_t open = next(i);
            size_t name = next(open);
            size_t inner = next(name);
            if (!punct(open, "(") || name >= t_.size() ||
                (t_[name].kind != TokenKind::Ident && t_[name].kind != TokenKind::QuotedIdent) ||
                !punct(inner, "("))
                continue;
            size_t inner_close = matching(inner);
            size_t close = next(inner_close);
            if (inner_close >= t_.size() || !punct(close, ")"))
                continue;
            erase(i);
            erase(open);
            erase(close);
        }
    }

    void catalog_names() {
        for (size_t i = 0; i < t_.size(); ++i) {
            if (!at(i, "SYSORL"))
                continue;
            size_t dot = next(i), name = next(dot);
            if (punct(dot, ".") && (at(name, "SYSTABLES") || at(name, "SYSCOLUMNS"))) {
                replace(i, TokenKind::Ident, "SYSORL_" + upper(t_[name].text));
                erase(dot);
                erase(name);
            }
        }
    }

    // FETCH FIRST n ROWS ONLY -> LIMIT n; OPTIMIZE FOR n ROWS, FOR READ ONLY, FOR FETCH ONLY and
    // a closing isolation clause (WITH UR) carry nothing the engine needs.
    void result_clauses() {
        for (size_t i = 0; i < t_.size(); ++i) {
            if (at(i, "FETCH")) {
                size_t a = next(i);
                if (!at(a, "FIRST") && !at(a, "NEXT"))
                    continue;
                size_t b = next(a);
                std::string count = "1";
                if (b < t_.size() && t_[b].kind == TokenKind::Number) {
                    count = t_[b].text;
                    b = next(b);
                }
                size_t c = next(b);
                if ((at(b, "ROW") || at(b, "ROWS")) && at(c, "ONLY")) {
                    replace(i, TokenKind::Ident, "LIMIT " + count);
                    for (size_t k = i + 1; k <= c; ++k)
                        erase(k);
                }
            } else if (at(i, "OPTIMIZE")) {
                size_t a = next(i), b = next(a), c = next(b);
                if (at(a, "FOR") && b < t_.size() && t_[b].kind == TokenKind::Number &&
                    (at(c, "ROW") || at(c, "ROWS")))
                    for (size_t k = i; k <= c; ++k)
                        erase(k);
            } else if (at(i, "FOR")) {
                size_t a = next(i), b = next(a);
                if ((at(a, "READ") || at(a, "FETCH")) && at(b, "ONLY"))
                    for (size_t k = i; k <= b; ++k)
                        erase(k);
            } else if (at(i, "WITH")) {
                size_t a = next(i), end = next(a);
                if ((at(a, "UR") || at(a, "CS") || at(a, "RS") || at(a, "RR")) &&
                    (end >= t_.size() || punct(end, ";")))
                    for (size_t k = i; k <= a; ++k)
                        erase(k);
            }
        }
    }

    // VALUES 1, 2 -> VALUES (1), (2): each element that is not a row in parentheses becomes one.
    void values_lists() {
        for (size_t i = 0; i < t_.size(); ++i) {
            if (!at(i, "VALUES"))
                continue;
            std::vector<std::pair<size_t, size_t>> elements; // first and last significant token
            size_t first = t_.size(), last = t_.size();
            int depth = 0;
            size_t j = next(i);
            for (; j < t_.size(); j = next(j)) {
                const Token &tok = t_[j];
                if (depth == 0 && (tok.is_punct(")") || tok.is_punct(";") || tok.is("ORDER") ||
                                   tok.is("FETCH") || tok.is("LIMIT") || tok.is("UNION") ||
                                   tok.is("EXCEPT") || tok.is("INTERSECT") || tok.is("ON") ||
                                   tok.is("RETURNING")))
                    break;
                if (depth == 0 && tok.is_punct(",")) {
                    if (first < t_.size())
                        elements.push_back({first, last});
                    first = last = t_.size();
                    continue;
                }
                if (tok.is_punct("("))
                    ++depth;
                else if (tok.is_punct(")"))
                    --depth;
                if (first == t_.size())
                    first = j;
                last = j;
            }
            if (first < t_.size())
                elements.push_back({first, last});
            for (auto [a, b] : elements) {
                if (punct(a, "(") && matching(a) == b)
                    continue;
                t_[a].text = "(" + t_[a].text;
                t_[b].text += ")";
            }
        }
    }

    // In a table's definition INTEGER becomes INT: the engine would make an INTEGER PRIMARY KEY
    // an alias of its row number, which fills a NULL key in by itself instead of refusing it.
    void integer_columns() {
        for (size_t i = 0; i < t_.size(); ++i)
            if (at(i, "INTEGER") && !punct(next(i), "("))
                t_[i].text = "INT";
    }

    // a CONCAT b -> a || b
    void concat_operator() {
        for (size_t i = 0; i < t_.size(); ++i)
            if (at(i, "CONCAT") && !punct(next(i), "("))
                replace(i, TokenKind::Punct, "||");
    }

private:
    std::vector<Token> t_;
    std::string invalid_length_;
};

std::string object_name(const std::vector<Token> &sig, size_t i) {
    // schema.name names the object name
    if (i + 2 < sig.size() && sig[i + 1].is_punct("."))
        i += 2;
    return i < sig.size() ? identifier_name(sig[i]) : std::string();
}

void classify(const std::vector<Token> &sig, Translation &out) {
    if (sig.empty() || (sig.size() == 1 && sig[0].is_punct(";"))) {
        out.kind = StatementKind::Empty;
        return;
    }
    size_t i = 0;
    auto at = [&](size_t k, std::string_view w) { return k < sig.size() && sig[k].is(w); };
    out.values = at(0, "VALUES");
    out.rollback = at(0, "ROLLBACK");
    if (at(0, "COMMIT") || at(0, "ROLLBACK")) {
        size_t k = at(1, "WORK") ? 2 : 1;
        if (k >= sig.size() || sig[k].is_punct(";"))
            out.kind = at(0, "COMMIT") ? StatementKind::Commit : StatementKind::Rollback;
        return;
    }
    const bool create = at(0, "CREATE");
    if (!create && !at(0, "DROP"))
        return;
    // CREATE [OR REPLACE] [TEMP] and DROP [SPECIFIC] name a function, a table or a view.
    i = 1;
    if (create && at(i, "OR") && at(i + 1, "REPLACE"))
        i += 2;
    if ((create && (at(i, "TEMP") || at(i, "TEMPORARY"))) || (!create && at(i, "SPECIFIC")))
        ++i;
    if (at(i, "FUNCTION")) {
        out.kind = create ? StatementKind::CreateFunction : StatementKind::DropFunction;
        out.object = object_name(sig, i + 1);
        return;
    }
    const bool table = at(i, "TABLE");
    if (!table && !at(i, "VIEW"))
        return;
    ++i;
    if (create && at(i, "IF") && at(i + 1, "NOT") && at(i + 2, "EXISTS"))
        i += 3;
    else if (!create && at(i, "IF") && at(i + 1, "EXISTS"))
        i += 2;
    out.kind = create ? (table ? StatementKind::CreateTable : StatementKind::CreateView)
                      : (table ? StatementKind::DropTable : StatementKind::DropView);
    out.object = object_name(sig, i);
}

void rewrite(Rewriter &r) {
    r.upper_identifiers();
    r.drop_data_subtypes();
    r.expand_lengths();
    r.special_registers();
    r.table_functions();
    r.catalog_names();
    r.result_clauses();
    r.values_lists();
    r.concat_operator();
}

} // namespace

Translation translate(std::string_view zal_sql) {
    Translation out;
    std::vector<Token> tokens = lex(zal_sql);
    classify(significant(tokens), out);
    // The routine catalog parses these itself; an unterminated string swallows all that a
    // rewrite would add after it, so the engine reports it on the text as written.
    if (out.kind == StatementKind::CreateFunction || out.kind == StatementKind::DropFunction ||
        (!tokens.empty() && unterminated(tokens.back()))) {
        out.sql = std::string(zal_sql);
        return out;
    }
    Rewriter r(std::move(tokens));
    rewrite(r);
    if (out.kind == StatementKind::CreateTable)
        r.integer_columns();
    out.sql = join(r.tokens());
    out.invalid_length = r.invalid_length();
    return out;
}

std::string translate_expression(std::string_view expression, const std::vector<std::string> &params) {
    return join(expression_tokens(expression, params));
}

std::vector<Token> expression_tokens(std::string_view expression, const std::vector<std::string> &params) {
    Rewriter r(lex(expression));
    rewrite(r);
    std::vector<Token> &t = r.tokens();
    for (size_t i = 0; i < t.size(); ++i) {
        if ((t[i].kind != TokenKind::Ident && t[i].kind != TokenKind::QuotedIdent) || r.punct(r.prev(i), ".") ||
            r.punct(r.next(i), "(") || r.punct(r.next(i), "."))
            continue;
        const std::string name = identifier_name(t[i]);
        for (size_t p = 0; p < params.size(); ++p)
            if (params[p] == name) {
                t[i] = {TokenKind::Param, "?" + std::to_string(p + 1)};
                break;
            }
    }
    return std::move(t);
}

} // namespace zal
