// Parsing CREATE FUNCTION and DROP FUNCTION statements into what the routines need.
#include "udf_definition.h"

#include "dialect.h"

#include <set>

namespace zal::udf {

namespace {

Kind kind_of(const ColumnType &t) {
    switch (t.sql_type) {
    case SQL_SMALLINT:
        return Kind::Int16;
    case SQL_INTEGER:
        return Kind::Int32;
    case SQL_BIGINT:
        return Kind::Int64;
    case SQL_REAL:
        return Kind::Float;
    case SQL_NUMERIC:
    case SQL_DECIMAL:
    case SQL_FLOAT:
    case SQL_DOUBLE:
        return Kind::Double;
    case SQL_BLOB:
    case SQL_CLOB:
        return Kind::Lob;
    default:
        return Kind::Text;
    }
}

const std::set<std::string> type_words = {"INTEGER", "INT",     "SMALLINT", "BIGINT",    "DOUBLE",  "FLOAT",
                                          "REAL",    "DECIMAL", "DEC",      "NUMERIC",   "NUM",     "CHAR",
                                          "CHARACTER", "VARCHAR", "LONG",   "DATE",      "TIME",    "TIMESTAMP",
                                          "BLOB",    "CLOB",    "DBCLOB",   "GRAPHIC",   "VARGRAPHIC", "BOOLEAN"};

// A small cursor over the significant tokens of a definition.
class Parser {
public:
    explicit Parser(std::string_view text) : t_(significant(lex(text))) {}

    bool done() const { return i_ >= t_.size() || (t_[i_].is_punct(";") && i_ + 1 == t_.size()); }
    const Token &peek(size_t ahead = 0) const {
        static const Token none{TokenKind::Space, ""};
        return i_ + ahead < t_.size() ? t_[i_ + ahead] : none;
    }
    bool accept(std::string_view word) {
        if (!peek().is(word))
            return false;
        ++i_;
        return true;
    }
    bool accept_punct(std::string_view p) {
        if (!peek().is_punct(p))
            return false;
        ++i_;
        return true;
    }
    Token take() { return i_ < t_.size() ? t_[i_++] : Token{TokenKind::Space, ""}; }
    // The text of the tokens from here to the end (without a closing ";"), one blank between.
    std::string rest_text() const {
        std::string s;
        for (size_t k = i_; k < t_.size(); ++k) {
            if (t_[k].is_punct(";") && k + 1 == t_.size())
                break;
            if (!s.empty())
                s += ' ';
            s += t_[k].text;
        }
        return s;
    }
    void skip_to_end() { i_ = t_.size(); }

    // A type: words, an optional (n[,m]) with K/M/G lengths, an optional FOR BIT DATA.
    bool type(Param &p, Diagnostic &error) {
        const Token first = take();
        if (first.kind != TokenKind::Ident) {
            error = diagnose(Condition::SyntaxError, {first.text});
            return false;
        }
        std::string text = identifier_name(first);
        while (peek().is("PRECISION") || peek().is("VARYING") || peek().is("VARCHAR") || peek().is("VARGRAPHIC"))
            text += " " + identifier_name(take());
        if (accept_punct("(")) {
            text += "(";
            while (!done() && !peek().is_punct(")")) {
                Token t = take();
                if (t.kind == TokenKind::Number) {
                    const std::string suffix = peek().kind == TokenKind::Ident ? peek().text : "";
                    if (parse_length(t.text, suffix) > max_type_length) {
                        error = diagnose(Condition::InvalidTypeLength, {t.text + suffix});
                        return false;
                    }
                }
                text += t.kind == TokenKind::Ident ? identifier_name(t) : t.text;
            }
            if (!accept_punct(")")) {
                error = diagnose(Condition::SyntaxError, {peek().text});
                return false;
            }
            text += ")";
        }
        if (peek().is("FOR") && (peek(1).is("BIT") || peek(1).is("SBCS") || peek(1).is("MIXED")) &&
            peek(2).is("DATA"))
            i_ += 3;
        p.type_text = text;
        p.type = parse_declared_type(text);
        if (!p.type.known) {
            error = diagnose(Condition::UndefinedName, {text});
            return false;
        }
        p.kind = kind_of(p.type);
        return true;
    }

    // ( [name] type, ... ): names are optional, as in external routines.
    bool params(std::vector<Param> &out, bool names_required, Diagnostic &error) {
        if (!accept_punct("(")) {
            error = diagnose(Condition::SyntaxError, {peek().text});
            return false;
        }
        if (accept_punct(")"))
            return true;
        for (;;) {
            Param p;
            const bool named = names_required || !type_words.count(identifier_name(peek())) ||
                               (peek(1).kind == TokenKind::Ident && type_words.count(identifier_name(peek(1))));
            if (named && !peek(1).is_punct(",") && !peek(1).is_punct(")")) {
                Token n = take();
                if (n.kind != TokenKind::Ident && n.kind != TokenKind::QuotedIdent) {
                    error = diagnose(Condition::SyntaxError, {n.text});
                    return false;
                }
                p.name = identifier_name(n);
            }
            if (!type(p, error))
                return false;
            out.push_back(std::move(p));
            if (accept_punct(")"))
                return true;
            if (!accept_punct(",")) {
                error = diagnose(Condition::SyntaxError, {peek().text});
                return false;
            }
        }
    }

private:
    std::vector<Token> t_;
    size_t i_ = 0;
};

} // namespace

bool parse_definition(std::string_view text, Definition &d, Diagnostic &error) {
    Parser p(text);
    if (!p.accept("CREATE")) {
        error = diagnose(Condition::SyntaxError, {p.peek().text});
        return false;
    }
    d.replace = p.accept("OR");
    if (d.replace && !p.accept("REPLACE")) {
        error = diagnose(Condition::SyntaxError, {p.peek().text});
        return false;
    }
    if (!p.accept("FUNCTION")) {
        error = diagnose(Condition::SyntaxError, {p.peek().text});
        return false;
    }
    Token name = p.take();
    if (p.accept_punct(".")) // schema.name: the schema is the creator's
        name = p.take();
    d.name = identifier_name(name);
    if ((name.kind != TokenKind::Ident && name.kind != TokenKind::QuotedIdent) || d.name.empty()) {
        error = diagnose(Condition::SyntaxError, {name.text});
        return false;
    }
    if (!p.params(d.params, false, error))
        return false;
    if (!p.accept("RETURNS")) {
        error = diagnose(Condition::SyntaxError, {p.peek().text});
        return false;
    }
    if (p.accept("TABLE")) {
        d.table = true;
        if (!p.params(d.results, true, error))
            return false;
        if (d.results.empty()) {
            error = diagnose(Condition::SyntaxError, {")"});
            return false;
        }
    } else {
        Param r;
        if (!p.type(r, error))
            return false;
        d.results.push_back(std::move(r));
    }
    while (!p.done()) {
        if (p.accept("EXTERNAL")) {
            if (p.accept("NAME")) {
                Token lib = p.take();
                d.external = lib.kind == TokenKind::String ? lib.text.substr(1, lib.text.size() - 2)
                                                           : identifier_name(lib);
            }
            // EXTERNAL ACTION needs nothing
            p.accept("ACTION");
        } else if (p.accept("LANGUAGE")) {
            d.language = identifier_name(p.take());
        } else if (p.accept("CALLED")) {
            p.accept("ON");
            p.accept("NULL");
            p.accept("INPUT");
            d.called_on_null = true;
        } else if (p.accept("NOT")) {
            // NOT DETERMINISTIC, NOT FENCED, NOT NULL CALL, ...
            if (p.accept("DETERMINISTIC"))
                d.deterministic = false;
        } else if (p.accept("DETERMINISTIC")) {
            d.deterministic = true;
        } else if (p.accept("RETURN")) {
            d.body = p.rest_text();
            p.skip_to_end();
        } else if (p.accept("SPECIFIC") || p.accept("CARDINALITY") || p.accept("SCRATCHPAD")) {
            if (p.peek().kind == TokenKind::Ident || p.peek().kind == TokenKind::Number)
                p.take();
        } else {
            // PARAMETER STYLE, NO SQL, NOT FENCED, RETURNS NULL ON NULL INPUT, FINAL CALL, ...:
            // clauses that change nothing here.
            p.take();
        }
    }
    if (d.params.size() > max_params || d.results.size() > max_results) {
        error = diagnose(Condition::TooManyParameters);
        return false;
    }
    if (d.language == "SQL") {
        if (d.table) {
            error = diagnose(Condition::SqlTableFunction);
            return false;
        }
        if (d.body.empty()) {
            error = diagnose(Condition::EndOfStatement);
            return false;
        }
    } else if (d.external.empty()) {
        error = diagnose(Condition::ExternalNameMissing);
        return false;
    }
    return true;
}

bool parse_drop(std::string_view text, std::string &name, Diagnostic &error) {
    Parser p(text);
    p.accept("DROP");
    p.accept("SPECIFIC");
    p.accept("FUNCTION");
    Token t = p.take();
    if (p.accept_punct("."))
        t = p.take();
    if (t.kind != TokenKind::Ident && t.kind != TokenKind::QuotedIdent) {
        error = diagnose(Condition::SyntaxError, {t.text});
        return false;
    }
    name = identifier_name(t);
    return true;
}

} // namespace zal::udf
