// Writing SQL functions out where they are called.
#include "udf_inline.h"

#include "ascii.h"

#include <algorithm>
#include <string>
#include <utility>

namespace zal {

namespace {

using Tokens = std::vector<Token>;
using Range = std::pair<size_t, size_t>; // [first, last) of token indices

// Tokens one statement or body may grow by in all; past it, calls stay calls.
constexpr size_t max_tokens = 200000;
constexpr int any_number = 1000;

// The engine's deterministic functions that writing out knows; any other function is taken
// to be one whose value may change or that may fail.
struct Builtin {
    std::string_view name;
    int fewest, most;  // arguments
    bool never_fails;  // for any value (running out of memory or past the length limit aside)
    bool aggregate;
    bool collates;     // compares its arguments, by their collation
};

constexpr Builtin builtins[] = {
    {"ABS", 1, 1, false, false, false}, // the smallest integer has no absolute value
    {"AVG", 1, 1, true, true, false},
    {"CHAR", 1, any_number, true, false, false},
    {"COALESCE", 2, any_number, true, false, false},
    {"CONCAT", 2, 2, true, false, false},
    {"COUNT", 0, 1, true, true, false},
    {"DAY", 1, 1, true, false, false},
    {"DEC", 1, 3, false, false, false},
    {"DECIMAL", 1, 3, false, false, false},
    {"DOUBLE", 1, 1, true, false, false},
    {"GROUP_CONCAT", 1, 2, true, true, false},
    {"HEX", 1, 1, true, false, false},
    {"IFNULL", 2, 2, true, false, false},
    {"IIF", 3, 3, true, false, false},
    {"INSTR", 2, 2, true, false, false},
    {"INT", 1, 1, false, false, false},
    {"INTEGER", 1, 1, false, false, false},
    {"LCASE", 1, 1, true, false, false},
    {"LENGTH", 1, 1, true, false, false},
    {"LOWER", 1, 1, true, false, false},
    {"LTRIM", 1, 2, true, false, false},
    {"MAX", 1, 1, true, true, true},
    {"MAX", 2, any_number, true, false, true},
    {"MIN", 1, 1, true, true, true},
    {"MIN", 2, any_number, true, false, true},
    {"MONTH", 1, 1, true, false, false},
    {"NULLIF", 2, 2, true, false, true},
    {"QUOTE", 1, 1, true, false, false},
    {"REPLACE", 3, 3, true, false, false},
    {"ROUND", 1, 2, true, false, false},
    {"RTRIM", 1, 2, true, false, false},
    {"SUBSTR", 2, 3, true, false, false},
    {"SUBSTRING", 2, 3, true, false, false},
    {"SUM", 1, 1, false, true, false}, // an integer sum can overflow
    {"TOTAL", 1, 1, true, true, false},
    {"TRIM", 1, 2, true, false, false},
    {"TYPEOF", 1, 1, true, false, false},
    {"UCASE", 1, 1, true, false, false},
    {"UNICODE", 1, 1, true, false, false},
    {"UPPER", 1, 1, true, false, false},
    {"VALUE", 1, any_number, true, false, false},
    {"YEAR", 1, 1, true, false, false},
};

const Builtin *builtin(std::string_view name, size_t args) {
    for (const Builtin &b : builtins)
        if (b.name == name && args >= static_cast<size_t>(b.fewest) && args <= static_cast<size_t>(b.most))
            return &b;
    return nullptr;
}

bool one_of(const Token &t, std::initializer_list<std::string_view> words) {
    return std::any_of(words.begin(), words.end(), [&](std::string_view w) { return t.is(w); });
}

// Words that stand before "(" without calling a function.
bool keyword_before_parenthesis(const Token &t) {
    return one_of(t, {"ALL", "AND", "AS", "BETWEEN", "BY", "CASE", "CAST", "CHECK", "DISTINCT", "DO", "ELSE", "END",
                      "ESCAPE", "EXCEPT", "EXISTS", "FILTER", "FROM", "GLOB", "HAVING", "IN", "INTERSECT", "INTO",
                      "IS", "JOIN", "KEY", "LIKE", "LIMIT", "MATCH", "NOT", "OFFSET", "ON", "OR", "OVER", "PARTITION",
                      "RAISE", "RECURSIVE", "REFERENCES", "REGEXP", "RETURNING", "SELECT", "SET", "TABLE", "THEN",
                      "UNION", "UNIQUE", "USING", "VALUES", "WHEN", "WHERE", "WINDOW", "WITH"});
}

// Words after which an operand follows, not an operator.
bool operator_word(const Token &t) {
    return one_of(t, {"ALL", "AND", "AS", "BETWEEN", "BY", "CASE", "COLLATE", "DISTINCT", "ELSE", "ESCAPE", "GLOB",
                      "HAVING", "IN", "IS", "LIKE", "LIMIT", "MATCH", "NOT", "OFFSET", "ON", "OR", "OVER", "REGEXP",
                      "RETURN", "SELECT", "SET", "THEN", "VALUES", "WHEN", "WHERE"});
}

std::string name_of(const Token &t) { return upper(identifier_name(t)); }

// A call: a name and "(", where the name is no keyword, no qualified name and no type of a CAST.
bool is_call(const Tokens &t, size_t i) {
    if (i >= t.size() || (t[i].kind != TokenKind::Ident && t[i].kind != TokenKind::QuotedIdent))
        return false;
    const size_t open = next_significant(t, i), before = previous_significant(t, i);
    if (open >= t.size() || !t[open].is_punct("(") || (t[i].kind == TokenKind::Ident && keyword_before_parenthesis(t[i])))
        return false;
    return before == npos || !(t[before].is_punct(".") || t[before].is("AS"));
}

// The arguments of a call, between the commas at its own level; none for "()".
std::vector<Range> arguments(const Tokens &t, size_t open, size_t close) {
    std::vector<Range> args;
    size_t start = open + 1;
    int depth = 0;
    bool any = false;
    for (size_t k = open + 1; k < close; ++k) {
        any = any || t[k].significant();
        if (t[k].is_punct("("))
            ++depth;
        else if (t[k].is_punct(")"))
            --depth;
        else if (depth == 0 && t[k].is_punct(",")) {
            args.push_back({start, k});
            start = k + 1;
        }
    }
    if (any)
        args.push_back({start, close});
    return args;
}

size_t argument_count(const Tokens &t, size_t name) {
    const size_t open = next_significant(t, name);
    return arguments(t, open, closing_parenthesis(t, open)).size();
}

size_t first_significant(const Tokens &t, size_t a, size_t b) {
    for (size_t k = a; k < b; ++k)
        if (t[k].significant())
            return k;
    return npos;
}

size_t last_significant(const Tokens &t, size_t a, size_t b) {
    for (size_t k = b; k-- > a;)
        if (t[k].significant())
            return k;
    return npos;
}

bool is_operator(const Token &t) {
    if (t.kind == TokenKind::Punct)
        return !t.is_punct("(") && !t.is_punct(")") && !t.is_punct(",") && !t.is_punct(".") && !t.is_punct(";");
    return one_of(t, {"AND", "OR", "NOT", "IS", "IN", "LIKE", "GLOB", "MATCH", "REGEXP", "BETWEEN", "ISNULL",
                      "NOTNULL", "ESCAPE"});
}

// Whether the expression t[a, b) may carry an affinity, a collation or a declared type: a
// column, a CAST, a subquery, a COLLATE or, in a body, a parameter whose argument may. What an
// operator, a function or a CASE gives carries none.
bool carries(const Tokens &t, size_t a, size_t b, bool params_carry) {
    size_t f = first_significant(t, a, b), l = last_significant(t, a, b);
    if (f == npos)
        return false;
    // an explicit collation reaches every expression above it
    for (size_t k = f; k <= l; ++k)
        if (t[k].is("COLLATE"))
            return true;
    while (t[f].is_punct("(") && closing_parenthesis(t, f) == l) {
        f = next_significant(t, f);
        if (f >= l)
            return false;
        if (one_of(t[f], {"SELECT", "VALUES", "WITH"}))
            return true; // a subquery gives its column's affinity and type
        l = previous_significant(t, l);
    }
    if (f == l) {
        switch (t[f].kind) {
        case TokenKind::Number:
        case TokenKind::String:
        case TokenKind::Blob:
            return false;
        case TokenKind::Param:
            return params_carry;
        default:
            return !t[f].is("NULL");
        }
    }
    if (t[f].is_punct("+")) // the unary plus keeps the collation
        return carries(t, f + 1, l + 1, params_carry);
    if (t[f].is_punct("-") || t[f].is_punct("~") || t[f].is("NOT"))
        return false;
    int depth = 0, cases = 0;
    for (size_t k = f; k <= l; ++k) {
        if (t[k].is_punct("("))
            ++depth;
        else if (t[k].is_punct(")"))
            --depth;
        else if (depth == 0 && t[k].is("CASE"))
            ++cases;
        else if (depth == 0 && t[k].is("END"))
            --cases;
        else if (depth == 0 && cases == 0 && k != f && is_operator(t[k]))
            return false;
    }
    if (t[f].is("CASE") || t[f].is("EXISTS"))
        return false;
    if (is_call(t, f) && closing_parenthesis(t, next_significant(t, f)) == l)
        return one_of(t[f], {"LIKELY", "UNLIKELY", "LIKELIHOOD"}); // these give their argument's affinity
    return true;
}

bool numeric_type(const Tokens &t, size_t i) {
    return i < t.size() && one_of(t[i], {"INTEGER", "INT", "BIGINT", "SMALLINT", "TINYINT", "MEDIUMINT", "REAL",
                                         "DOUBLE", "FLOAT", "NUMERIC", "DECIMAL", "DEC", "NUM"});
}

bool ends_operand(const Tokens &t, size_t i) {
    if (i == npos)
        return false;
    switch (t[i].kind) {
    case TokenKind::Ident:
        return !operator_word(t[i]);
    case TokenKind::Punct:
        return t[i].is_punct(")");
    default:
        return true;
    }
}

bool arithmetic_operator(const Token &t) {
    for (std::string_view op : {"+", "-", "*", "/", "%", "||", "&", "|", "<<", ">>"})
        if (t.is_punct(op))
            return true;
    return false;
}

// The place before or after an operand of arithmetic or of ||, whose result carries nothing.
bool arithmetic_before(const Tokens &t, size_t p) {
    if (p == npos || t[p].kind != TokenKind::Punct)
        return false;
    if (t[p].is_punct("+")) // a unary plus keeps the collation
        return ends_operand(t, previous_significant(t, p));
    return t[p].is_punct("~") || arithmetic_operator(t[p]);
}

bool arithmetic_after(const Tokens &t, size_t n) { return n < t.size() && arithmetic_operator(t[n]); }

// The "(" that the list around t[i] opens, npos when none.
size_t unclosed_parenthesis(const Tokens &t, size_t i) {
    int depth = 0;
    for (size_t j = i; j-- > 0;) {
        if (t[j].is_punct(")"))
            ++depth;
        else if (t[j].is_punct("(") && depth-- == 0)
            return j;
    }
    return npos;
}

bool call_parenthesis(const Tokens &t, size_t open) {
    const size_t name = previous_significant(t, open);
    return name != npos && (is_call(t, name) || t[name].is("CAST"));
}

// Whether a function takes its arguments as values alone: a routine does, and so does every
// function of the engine that does not compare them.
bool plain_arguments(const Tokens &t, size_t name, RoutineSet &routines) {
    const std::string n = name_of(t[name]);
    const size_t args = argument_count(t, name);
    if (routines.callee(n, args).kind != RoutineSet::Kind::none)
        return true;
    const Builtin *b = builtin(n, args);
    return b && !b->collates;
}

// Whether the place of the expression t[f..l] (significant tokens, both included) lets its
// affinity, collation or declared type matter. A whole argument of a call of an SQL function
// (whole_is_argument) does not: the function judges each place of its parameter itself.
bool sensitive(const Tokens &t, size_t f, size_t l, bool whole_is_argument, RoutineSet &routines) {
    size_t p = previous_significant(t, f), n = next_significant(t, l);
    while (p != npos && n < t.size() && t[p].is_punct("(") && t[n].is_punct(")") && !call_parenthesis(t, p)) {
        p = previous_significant(t, p);
        n = next_significant(t, n);
    }
    if (p == npos && n >= t.size())
        return !whole_is_argument;
    if (arithmetic_before(t, p) || arithmetic_after(t, n))
        return false;
    if (p == npos || n >= t.size())
        return true;
    const size_t before = previous_significant(t, p);
    // CAST (x AS a number): a number has no collation
    if (t[p].is_punct("(") && before != npos && t[before].is("CAST") && t[n].is("AS"))
        return !numeric_type(t, next_significant(t, n));
    // what a CASE gives carries nothing
    if ((t[p].is("THEN") || t[p].is("ELSE")) && one_of(t[n], {"WHEN", "ELSE", "END"}))
        return false;
    if ((t[p].is_punct("(") || t[p].is_punct(",")) && (t[n].is_punct(",") || t[n].is_punct(")"))) {
        const size_t open = t[p].is_punct("(") ? p : unclosed_parenthesis(t, p);
        const size_t name = open == npos ? npos : previous_significant(t, open);
        if (name != npos && is_call(t, name) && plain_arguments(t, name, routines))
            return false;
    }
    return true;
}

// Whether an argument gives the same value wherever and however often it is evaluated, and
// never fails: written out in place of a parameter used twice or not at all, it changes nothing.
// An aggregate is not such: without it a query would no longer aggregate.
bool duplicable(const Tokens &t, bool markers_allowed, RoutineSet &routines) {
    for (size_t k = 0; k < t.size(); ++k) {
        const Token &tok = t[k];
        if ((tok.kind == TokenKind::Param && !markers_allowed) || one_of(tok, {"COLLATE", "OVER", "FILTER"}) ||
            tok.is_punct("->") || tok.is_punct("->>"))
            return false;
        if (!is_call(t, k))
            continue;
        const std::string name = name_of(tok);
        const size_t args = argument_count(t, k);
        const Builtin *b = builtin(name, args);
        if (routines.callee(name, args).kind != RoutineSet::Kind::none || !b || !b->never_fails || b->aggregate)
            return false;
    }
    return true;
}

// Whether a body means the same written out inside any statement as in its own statement.
bool body_written_out_ok(const Tokens &t, size_t params, RoutineSet &routines) {
    for (size_t k = 0; k < t.size(); ++k) {
        const Token &tok = t[k];
        if (tok.kind == TokenKind::Param) {
            // a marker of the body's own, beyond its parameters, is not bound to an argument
            const std::string digits = tok.text.substr(1);
            if (digits.empty() || digits.size() > 3 || !std::all_of(digits.begin(), digits.end(), [](char c) {
                    return is_digit(static_cast<unsigned char>(c));
                }) || std::stoul(digits) < 1 || std::stoul(digits) > params)
                return false;
        }
        // A quoted name that is no parameter could name a column of the statement, and so could
        // TRUE and FALSE; a subquery would take the arguments into its own scope.
        if (tok.kind == TokenKind::QuotedIdent ||
            one_of(tok, {"TRUE", "FALSE", "SELECT", "VALUES", "WITH", "EXISTS", "COLLATE", "OVER", "FILTER", "WINDOW"}) ||
            tok.is_punct("->") || tok.is_punct("->>"))
            return false;
        if (!is_call(t, k))
            continue;
        const std::string name = name_of(tok);
        const size_t args = argument_count(t, k);
        const RoutineSet::Callee c = routines.callee(name, args);
        const Builtin *b = builtin(name, args);
        if (c.kind != RoutineSet::Kind::none ? !c.deterministic : !b || b->aggregate)
            return false;
    }
    return true;
}

void push(Tokens &out, TokenKind kind, std::string_view text) { out.push_back({kind, std::string(text)}); }

// CASE WHEN 1 THEN ( ... ) END keeps the value and nothing else of what it holds.
void open_plain(Tokens &out) {
    for (std::string_view w : {" ", "CASE", " ", "WHEN", " ", "1", " ", "THEN", " "})
        push(out, w == " " ? TokenKind::Space : w == "1" ? TokenKind::Number : TokenKind::Ident, w);
}

void close_plain(Tokens &out) {
    push(out, TokenKind::Space, " ");
    push(out, TokenKind::Ident, "END");
    push(out, TokenKind::Space, " ");
}

class Writer {
public:
    Writer(RoutineSet &routines, bool in_body) : routines_(routines), in_body_(in_body) {}

    // Copies in[a, b) to out, writing out each call of an SQL function that can be. An
    // argument is a whole argument of a call of an SQL function.
    void copy(const Tokens &in, size_t a, size_t b, Tokens &out, bool argument);

    int height = 0; // of the deepest body written out
    bool written_out = false;
    bool names_routine = false;

private:
    void write_out(const InlineBody &body, const std::vector<Tokens> &args, Tokens &out) const;

    RoutineSet &routines_;
    bool in_body_; // arguments may hold the body's own ?k, which stand for arguments in turn
    size_t grown_ = 0;
};

void Writer::copy(const Tokens &in, size_t a, size_t b, Tokens &out, bool argument) {
    std::vector<Range> written; // in out
    for (size_t i = a; i < b;) {
        if (!is_call(in, i) || !routines_.named(name_of(in[i]))) {
            out.push_back(in[i++]);
            continue;
        }
        names_routine = true;
        const size_t open = next_significant(in, i), close = closing_parenthesis(in, open);
        if (close >= b) {
            out.insert(out.end(), in.begin() + static_cast<std::ptrdiff_t>(i), in.begin() + static_cast<std::ptrdiff_t>(b));
            break;
        }
        const std::vector<Range> ranges = arguments(in, open, close);
        std::vector<Tokens> args(ranges.size());
        for (size_t k = 0; k < ranges.size(); ++k)
            copy(in, ranges[k].first, ranges[k].second, args[k], true);
        const RoutineSet::Callee callee = routines_.callee(name_of(in[i]), args.size());
        const size_t start = out.size();
        if (callee.body && (!in_body_ || callee.body->height < max_nesting) &&
            std::all_of(args.begin(), args.end(), [&](const Tokens &arg) { return duplicable(arg, in_body_, routines_); })) {
            write_out(*callee.body, args, out);
            if (grown_ + (out.size() - start) <= max_tokens) {
                grown_ += out.size() - start;
                written.push_back({start, out.size()});
                height = std::max(height, callee.body->height);
                written_out = true;
                i = close + 1;
                continue;
            }
            out.resize(start);
        }
        // the call stays, with its arguments written out
        out.insert(out.end(), in.begin() + static_cast<std::ptrdiff_t>(i), in.begin() + static_cast<std::ptrdiff_t>(open) + 1);
        for (size_t k = 0; k < args.size(); ++k) {
            out.insert(out.end(), args[k].begin(), args[k].end());
            out.push_back(in[ranges[k].second]); // the comma, and the ")" after the last
        }
        if (args.empty())
            out.insert(out.end(), in.begin() + static_cast<std::ptrdiff_t>(open) + 1, in.begin() + static_cast<std::ptrdiff_t>(close) + 1);
        i = close + 1;
    }
    // from the last, so that the places of the others stay where they are
    for (auto it = written.rbegin(); it != written.rend(); ++it) {
        const size_t first = it->first, last = it->second - 1; // its own "(" and ")"
        if (!sensitive(out, first, last, argument, routines_) || !carries(out, first, last + 1, in_body_))
            continue;
        Tokens wrapped;
        open_plain(wrapped);
        wrapped.insert(wrapped.end(), out.begin() + static_cast<std::ptrdiff_t>(first), out.begin() + static_cast<std::ptrdiff_t>(last) + 1);
        close_plain(wrapped);
        out.erase(out.begin() + static_cast<std::ptrdiff_t>(first), out.begin() + static_cast<std::ptrdiff_t>(last) + 1);
        out.insert(out.begin() + static_cast<std::ptrdiff_t>(first), wrapped.begin(), wrapped.end());
    }
}

void Writer::write_out(const InlineBody &body, const std::vector<Tokens> &args, Tokens &out) const {
    push(out, TokenKind::Punct, "(");
    for (size_t k = 0; k < body.tokens.size(); ++k) {
        const Token &t = body.tokens[k];
        if (t.kind != TokenKind::Param) {
            out.push_back(t);
            continue;
        }
        const Tokens &arg = args[std::stoul(t.text.substr(1)) - 1];
        const bool wrap = !body.plain_place[k] && carries(arg, 0, arg.size(), in_body_);
        if (wrap)
            open_plain(out);
        push(out, TokenKind::Punct, "(");
        out.insert(out.end(), arg.begin(), arg.end());
        push(out, TokenKind::Punct, ")");
        if (wrap)
            close_plain(out);
    }
    push(out, TokenKind::Punct, ")");
}

bool ends_result_columns(const Token &t) {
    return t.is_punct(",") || t.is_punct(")") || t.is_punct(";") ||
           one_of(t, {"FROM", "WHERE", "GROUP", "HAVING", "WINDOW", "ORDER", "LIMIT", "UNION", "INTERSECT", "EXCEPT"});
}

// The result columns of the SELECT or RETURNING at i: the first and last significant token of
// each.
std::vector<Range> result_columns(const Tokens &t, size_t i) {
    std::vector<Range> columns;
    size_t k = next_significant(t, i);
    if (k < t.size() && (t[k].is("DISTINCT") || t[k].is("ALL")))
        k = next_significant(t, k);
    size_t first = k, last = npos;
    int depth = 0, cases = 0;
    for (; k < t.size(); k = next_significant(t, k)) {
        if (depth == 0 && cases == 0 && ends_result_columns(t[k])) {
            if (last != npos)
                columns.push_back({first, last});
            if (!t[k].is_punct(","))
                return columns;
            first = next_significant(t, k);
            last = npos;
            continue;
        }
        if (t[k].is_punct("("))
            ++depth;
        else if (t[k].is_punct(")"))
            --depth;
        else if (t[k].is("CASE"))
            ++cases;
        else if (t[k].is("END"))
            --cases;
        last = k;
    }
    if (last != npos)
        columns.push_back({first, last});
    return columns;
}

// Whether the column t[f..l] names itself: AS name, or a name after a complete operand.
bool has_alias(const Tokens &t, size_t f, size_t l) {
    if (f == l)
        return false;
    const Token &last = t[l], &before = t[previous_significant(t, l)];
    const bool name = last.kind == TokenKind::QuotedIdent || last.kind == TokenKind::String ||
                      (last.kind == TokenKind::Ident && !one_of(last, {"END", "NULL", "NOTNULL", "ISNULL", "TRUE", "FALSE"}));
    if (!name)
        return false;
    if (before.is("AS"))
        return true;
    return before.kind == TokenKind::Punct ? before.is_punct(")") : before.kind != TokenKind::Ident || !operator_word(before);
}

bool calls_sql_function(const Tokens &t, size_t f, size_t l, RoutineSet &routines) {
    for (size_t k = f; k <= l; ++k)
        if (is_call(t, k) && routines.callee(name_of(t[k]), argument_count(t, k)).kind == RoutineSet::Kind::sql)
            return true;
    return false;
}

// The result columns that call an SQL function keep the name the engine gives them from their
// text, which writing out would change: each gets it as its alias.
Tokens name_result_columns(const Tokens &t, RoutineSet &routines) {
    std::vector<std::pair<size_t, std::string>> names; // after which token, which name
    for (size_t i = 0; i < t.size(); ++i) {
        if (!t[i].is("SELECT") && !t[i].is("RETURNING"))
            continue;
        for (auto [f, l] : result_columns(t, i)) {
            if (!calls_sql_function(t, f, l, routines) || has_alias(t, f, l))
                continue;
            // the engine's name runs from the column's first token to the next one, comments included
            const size_t end = std::min(next_significant(t, l), t.size());
            std::string text;
            for (size_t k = f; k < end; ++k)
                text += t[k].text;
            names.push_back({l, trim(text)});
        }
    }
    std::sort(names.begin(), names.end());
    Tokens out;
    out.reserve(t.size() + 4 * names.size());
    size_t next = 0;
    for (size_t i = 0; i < t.size(); ++i) {
        out.push_back(t[i]);
        for (; next < names.size() && names[next].first == i; ++next) {
            push(out, TokenKind::Space, " ");
            push(out, TokenKind::Ident, "AS");
            push(out, TokenKind::Space, " ");
            push(out, TokenKind::QuotedIdent, quoted_name(names[next].second));
        }
    }
    return out;
}

} // namespace

Expansion expand_statement(const std::vector<Token> &tokens, RoutineSet &routines) {
    Expansion e;
    const size_t first = first_significant(tokens, 0, tokens.size());
    if (first == npos)
        return e;
    if (!one_of(tokens[first], {"SELECT", "WITH", "VALUES", "INSERT", "UPDATE", "DELETE", "REPLACE"})) {
        // what a definition stores is called as it is written
        for (size_t k = 0; k < tokens.size() && !e.names_routine; ++k)
            e.names_routine = is_call(tokens, k) && routines.named(name_of(tokens[k]));
        return e;
    }
    const Tokens named = name_result_columns(tokens, routines);
    Writer w(routines, false);
    w.copy(named, 0, named.size(), e.tokens, false);
    e.written_out = w.written_out;
    e.names_routine = w.names_routine;
    return e;
}

std::vector<std::pair<std::string, size_t>> calls(const std::vector<Token> &tokens) {
    std::vector<std::pair<std::string, size_t>> out;
    for (size_t k = 0; k < tokens.size(); ++k)
        if (is_call(tokens, k))
            out.push_back({name_of(tokens[k]), argument_count(tokens, k)});
    return out;
}

InlineBody expand_body(const std::vector<Token> &body, size_t params, RoutineSet &routines, bool &written_out_ok) {
    InlineBody b;
    Writer w(routines, true);
    w.copy(body, 0, body.size(), b.tokens, false);
    b.height = 1 + w.height;
    b.plain_place.assign(b.tokens.size(), false);
    for (size_t k = 0; k < b.tokens.size(); ++k)
        if (b.tokens[k].kind == TokenKind::Param)
            b.plain_place[k] = !sensitive(b.tokens, k, k, false, routines);
    written_out_ok = body_written_out_ok(body, params, routines);
    return b;
}

} // namespace zal
