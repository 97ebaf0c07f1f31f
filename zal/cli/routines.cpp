#include "routines.h"

#include "connection.h"
#include "dialect.h"
#include "instance.h"
#include "types.h"

#include <zalroutine.h>

#include <array>
#include <cstring>
#include <dlfcn.h>
#include <filesystem>
#include <set>
#include <sqlite3.h>
#include <utility>

namespace fs = std::filesystem;

namespace zal {

namespace udf {

constexpr size_t max_params = 30;
constexpr size_t max_results = 30;
// arguments, results, their indicators, SQLSTATE, names, message, scratchpad, call type
constexpr size_t max_pointers = 2 * (max_params + max_results) + 6;

// ---- calling an entry with n pointer arguments, at its exact arity ----

using Caller = void (*)(void *entry, void **args);

template <size_t... I>
void call_with(void *entry, void **args, std::index_sequence<I...>) {
    using Entry = void (*)(decltype((void)I, static_cast<void *>(nullptr))...);
    reinterpret_cast<Entry>(entry)(args[I]...);
}

template <size_t N>
void call_fixed(void *entry, void **args) {
    call_with(entry, args, std::make_index_sequence<N>{});
}

template <size_t... N>
constexpr std::array<Caller, sizeof...(N)> make_callers(std::index_sequence<N...>) {
    return {&call_fixed<N>...};
}

constexpr auto callers = make_callers(std::make_index_sequence<max_pointers + 1>{});

// ---- definitions ----

enum class Kind { Int16, Int32, Int64, Float, Double, Text, Lob };

Kind kind_of(const ColumnType &t) {
    switch (t.sql_type) {
    case 5:
        return Kind::Int16;
    case 4:
        return Kind::Int32;
    case -5:
        return Kind::Int64;
    case 7:
        return Kind::Float;
    case 2:
    case 3:
    case 6:
    case 8:
        return Kind::Double;
    case -98:
    case -99:
        return Kind::Lob;
    default:
        return Kind::Text;
    }
}

struct Param {
    std::string name; // empty for external routines
    std::string type_text;
    ColumnType type;
    Kind kind = Kind::Text;
};

const std::set<std::string> type_words = {"INTEGER", "INT",     "SMALLINT", "BIGINT",    "DOUBLE",  "FLOAT",
                                          "REAL",    "DECIMAL", "DEC",      "NUMERIC",   "NUM",     "CHAR",
                                          "CHARACTER", "VARCHAR", "LONG",   "DATE",      "TIME",    "TIMESTAMP",
                                          "BLOB",    "CLOB",    "DBCLOB",   "GRAPHIC",   "VARGRAPHIC", "BOOLEAN"};

struct Definition {
    std::string name;
    std::vector<Param> params;
    bool table = false;
    std::vector<Param> results;
    std::string external;     // library!entry
    std::string language = "C";
    bool called_on_null = false;
    bool deterministic = false;
    std::string body;         // RETURN expression of an SQL function
};

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
    size_t position() const { return i_; }
    // The source text of the tokens from position `from` to the end, as written.
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
            error = syntax_error(first.text);
            return false;
        }
        std::string text = identifier_name(first);
        while (peek().is("PRECISION") || peek().is("VARYING") || peek().is("VARCHAR") || peek().is("VARGRAPHIC"))
            text += " " + identifier_name(take());
        if (accept_punct("(")) {
            text += "(";
            while (!done() && !peek().is_punct(")")) {
                Token t = take();
                text += t.kind == TokenKind::Ident ? identifier_name(t) : t.text;
            }
            if (!accept_punct(")")) {
                error = syntax_error(peek().text);
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
            error = make_diagnostic(-204, "42704", "\"" + text + "\" is an undefined name.");
            return false;
        }
        p.kind = kind_of(p.type);
        return true;
    }

    // ( [name] type, ... ): names are optional, as in external routines.
    bool params(std::vector<Param> &out, bool names_required, Diagnostic &error) {
        if (!accept_punct("(")) {
            error = syntax_error(peek().text);
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
                    error = syntax_error(n.text);
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
                error = syntax_error(peek().text);
                return false;
            }
        }
    }

private:
    std::vector<Token> t_;
    size_t i_ = 0;
};

bool parse_definition(std::string_view text, Definition &d, Diagnostic &error) {
    Parser p(text);
    if (!p.accept("CREATE")) {
        error = syntax_error(p.peek().text);
        return false;
    }
    if (p.accept("OR") && !p.accept("REPLACE")) {
        error = syntax_error(p.peek().text);
        return false;
    }
    if (!p.accept("FUNCTION")) {
        error = syntax_error(p.peek().text);
        return false;
    }
    Token name = p.take();
    if (p.accept_punct(".")) // schema.name: the schema is the creator's
        name = p.take();
    if (name.kind != TokenKind::Ident && name.kind != TokenKind::QuotedIdent) {
        error = syntax_error(name.text);
        return false;
    }
    d.name = identifier_name(name);
    if (!p.params(d.params, false, error))
        return false;
    if (!p.accept("RETURNS")) {
        error = syntax_error(p.peek().text);
        return false;
    }
    if (p.accept("TABLE")) {
        d.table = true;
        if (!p.params(d.results, true, error))
            return false;
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
        error = not_supported("more than 30 parameters or result columns");
        return false;
    }
    if (d.language == "SQL") {
        if (d.table) {
            error = not_supported("table functions written in SQL");
            return false;
        }
        if (d.body.empty()) {
            error = make_diagnostic(-104, "42601", "An unexpected end of statement was found.");
            return false;
        }
    } else if (d.external.empty()) {
        error = make_diagnostic(-104, "42601", "The EXTERNAL NAME clause is missing.");
        return false;
    }
    return true;
}

// ---- binding ----

struct Binding {
    void *entry = nullptr;
    std::string library;
    std::string entry_name;
    std::string reason; // why it could not be bound
};

void *open_library(const std::string &library, std::string &reason) {
    std::vector<fs::path> candidates;
    if (library.find('/') != std::string::npos) {
        candidates.push_back(library);
    } else {
        for (const fs::path &dir : {home_dir() / "function", library_dir()}) {
            if (dir.empty())
                continue;
            candidates.push_back(dir / ("lib" + library + ".so"));
            candidates.push_back(dir / (library + ".so"));
            candidates.push_back(dir / library);
        }
        candidates.push_back("lib" + library + ".so");
        candidates.push_back(library);
    }
    for (const fs::path &c : candidates) {
        std::error_code ec;
        if (c.has_parent_path() && !fs::exists(c, ec))
            continue;
        if (void *h = dlopen(c.c_str(), RTLD_NOW | RTLD_LOCAL))
            return h;
        if (const char *e = dlerror())
            reason = e;
    }
    if (reason.empty())
        reason = "library not found";
    return nullptr;
}

Binding bind(const std::string &external, const std::string &function_name) {
    Binding b;
    auto bang = external.find('!');
    b.library = external.substr(0, bang);
    b.entry_name = bang == std::string::npos ? function_name : external.substr(bang + 1);
    void *h = open_library(b.library, b.reason);
    if (!h)
        return b;
    dlerror();
    b.entry = dlsym(h, b.entry_name.c_str());
    if (!b.entry)
        b.reason = "entry not found";
    return b;
}

// The buffers of one call: values, indicators and the fixed trailing arguments.
struct Frame {
    std::vector<std::vector<unsigned char>> values; // one buffer per argument and result
    std::vector<zal_null_indicator> indicators;
    char sqlstate[ZAL_SQLSTATE_LEN + 1] = "00000";
    char name[ZAL_ROUTINE_NAME_LEN] = {};
    char specific[ZAL_ROUTINE_NAME_LEN] = {};
    char message[ZAL_MESSAGE_LEN + 1] = {};
    std::vector<void *> pointers; // the arguments of the call, in the order of the convention
    size_t params = 0;
    bool ready = false;

    // Sizes the buffers and lays out the pointers once; a call only refreshes the pointers of
    // argument buffers that had to grow.
    void prepare(const Definition &d, const std::string &qualified_name, void *scratchpad = nullptr,
                 int32_t *call_type = nullptr) {
        params = d.params.size();
        const size_t n = params + d.results.size();
        values.assign(n, std::vector<unsigned char>(8, 0));
        indicators.assign(n, 0);
        std::snprintf(name, sizeof name, "%s", qualified_name.c_str());
        std::snprintf(specific, sizeof specific, "%s", d.name.c_str());
        for (size_t k = 0; k < d.results.size(); ++k)
            size_result(params + k, d.results[k]);
        pointers.clear();
        for (auto &v : values)
            pointers.push_back(v.data());
        for (auto &i : indicators)
            pointers.push_back(&i);
        pointers.push_back(sqlstate);
        pointers.push_back(name);
        pointers.push_back(specific);
        pointers.push_back(message);
        if (scratchpad) {
            pointers.push_back(scratchpad);
            pointers.push_back(call_type);
        }
        ready = true;
    }
    void size_result(size_t k, const Param &p) {
        size_t bytes = 8;
        if (p.kind == Kind::Text)
            bytes = static_cast<size_t>(std::min<uint32_t>(p.type.size, 32 * 1024 * 1024)) + 1;
        else if (p.kind == Kind::Lob)
            bytes = sizeof(uint32_t) + static_cast<size_t>(std::min<uint32_t>(p.type.size, 32 * 1024 * 1024)) + 1;
        values[k].assign(std::max<size_t>(bytes, 8), 0);
    }
    // Argument buffer k, at least `bytes` long.
    unsigned char *argument(size_t k, size_t bytes) {
        std::vector<unsigned char> &buf = values[k];
        if (buf.size() < bytes) {
            buf.resize(bytes);
            pointers[k] = buf.data();
        }
        return buf.data();
    }
    // Empty results: the start of each buffer holds a zero number, an empty text or a zero
    // length; nothing of a result can be mistaken for the last one.
    void clear_results() {
        for (size_t k = params; k < values.size(); ++k) {
            std::memset(values[k].data(), 0, 8);
            indicators[k] = 0;
        }
        std::memcpy(sqlstate, "00000", 6);
        message[0] = '\0';
    }
    void call(void *entry) { callers[pointers.size()](entry, pointers.data()); }
    // True when the routine reported success or a warning.
    bool succeeded() const { return sqlstate[0] == '0' && (sqlstate[1] == '0' || sqlstate[1] == '1'); }
    bool end_of_table() const { return std::strncmp(sqlstate, "02", 2) == 0; }
};

} // namespace udf

using namespace udf;

// ---- one routine, as the engine calls it ----

struct Routine {
    Definition d;
    Connection *c = nullptr;
    Binding binding;
    std::string qualified_name;        // CREATOR.NAME, the routine name it is passed
    sqlite3_stmt *body = nullptr;      // SQL functions: SELECT <expression>
    int depth = 0;                     // nesting of an SQL function that calls itself
    bool dropped = false;
    Frame frame;                       // scalar calls reuse their buffers

    ~Routine() {
        if (body)
            sqlite3_finalize(body);
    }
    Diagnostic unbound() const {
        return make_diagnostic(-444, "42724",
                               "Routine \"" + d.name + "\" is implemented with code in library \"" +
                                   binding.library + "\", function \"" + binding.entry_name +
                                   "\", which cannot be accessed (" + binding.reason + ").");
    }
    Diagnostic failed(const char *state, const char *message) const {
        return make_diagnostic(-443, std::string(state, strnlen(state, ZAL_SQLSTATE_LEN)),
                               "Routine \"" + qualified_name + "\" (specific name \"" + d.name +
                                   "\") has returned an error SQLSTATE with diagnostic text \"" +
                                   std::string(message, strnlen(message, ZAL_MESSAGE_LEN)) + "\".");
    }
};

namespace {

void set_argument(Frame &f, size_t k, const Param &p, sqlite3_value *v) {
    f.indicators[k] = sqlite3_value_type(v) == SQLITE_NULL ? -1 : 0;
    auto put = [&](const auto &x) { std::memcpy(f.argument(k, sizeof x), &x, sizeof x); };
    switch (p.kind) {
    case Kind::Int16:
        put(static_cast<int16_t>(sqlite3_value_int(v)));
        break;
    case Kind::Int32:
        put(static_cast<int32_t>(sqlite3_value_int(v)));
        break;
    case Kind::Int64:
        put(static_cast<int64_t>(sqlite3_value_int64(v)));
        break;
    case Kind::Float:
        put(static_cast<float>(sqlite3_value_double(v)));
        break;
    case Kind::Double:
        put(sqlite3_value_double(v));
        break;
    case Kind::Text: {
        auto *s = sqlite3_value_text(v);
        auto n = static_cast<size_t>(sqlite3_value_bytes(v));
        unsigned char *buf = f.argument(k, n + 1);
        if (n)
            std::memcpy(buf, s, n);
        buf[n] = 0;
        break;
    }
    case Kind::Lob: {
        const void *s = sqlite3_value_blob(v);
        auto n = static_cast<uint32_t>(sqlite3_value_bytes(v));
        unsigned char *buf = f.argument(k, sizeof n + n + 1);
        std::memcpy(buf, &n, sizeof n);
        if (n)
            std::memcpy(buf + sizeof n, s, n);
        buf[sizeof n + n] = 0;
        break;
    }
    }
}

// The value a routine left in result buffer k, as the engine's result.
void deliver(sqlite3_context *ctx, const Frame &f, size_t k, const Param &p) {
    if (f.indicators[k] < 0) {
        sqlite3_result_null(ctx);
        return;
    }
    const unsigned char *b = f.values[k].data();
    switch (p.kind) {
    case Kind::Int16: {
        int16_t x;
        std::memcpy(&x, b, sizeof x);
        sqlite3_result_int(ctx, x);
        break;
    }
    case Kind::Int32: {
        int32_t x;
        std::memcpy(&x, b, sizeof x);
        sqlite3_result_int(ctx, x);
        break;
    }
    case Kind::Int64: {
        int64_t x;
        std::memcpy(&x, b, sizeof x);
        sqlite3_result_int64(ctx, x);
        break;
    }
    case Kind::Float: {
        float x;
        std::memcpy(&x, b, sizeof x);
        sqlite3_result_double(ctx, x);
        break;
    }
    case Kind::Double: {
        double x;
        std::memcpy(&x, b, sizeof x);
        sqlite3_result_double(ctx, x);
        break;
    }
    case Kind::Text: {
        // a routine that filled its whole buffer without a NUL is cut at the declared length
        const size_t n = strnlen(reinterpret_cast<const char *>(b), f.values[k].size() - 1);
        sqlite3_result_text(ctx, reinterpret_cast<const char *>(b), static_cast<int>(n), SQLITE_TRANSIENT);
        break;
    }
    case Kind::Lob: {
        uint32_t n;
        std::memcpy(&n, b, sizeof n);
        n = std::min<uint32_t>(n, static_cast<uint32_t>(f.values[k].size() - sizeof n - 1));
        if (p.type.sql_type == -99)
            sqlite3_result_text(ctx, reinterpret_cast<const char *>(b + sizeof n), static_cast<int>(n),
                                SQLITE_TRANSIENT);
        else
            sqlite3_result_blob(ctx, b + sizeof n, static_cast<int>(n), SQLITE_TRANSIENT);
        break;
    }
    }
}

void raise(sqlite3_context *ctx, Routine &r, Diagnostic d) {
    sqlite3_result_error(ctx, d.text.c_str(), -1);
    r.c->raise(std::move(d));
}

// ---- scalar external routines ----

void call_scalar(sqlite3_context *ctx, int argc, sqlite3_value **argv) {
    auto &r = *static_cast<Routine *>(sqlite3_user_data(ctx));
    if (r.dropped) {
        raise(ctx, r, routine_not_found(r.d.name));
        return;
    }
    if (!r.binding.entry) {
        raise(ctx, r, r.unbound());
        return;
    }
    if (!r.d.called_on_null)
        for (int i = 0; i < argc; ++i)
            if (sqlite3_value_type(argv[i]) == SQLITE_NULL) {
                sqlite3_result_null(ctx);
                return;
            }
    Frame &f = r.frame;
    if (!f.ready)
        f.prepare(r.d, r.qualified_name);
    f.clear_results();
    for (int i = 0; i < argc; ++i)
        set_argument(f, static_cast<size_t>(i), r.d.params[static_cast<size_t>(i)], argv[i]);
    f.call(r.binding.entry);
    if (!f.succeeded()) {
        raise(ctx, r, r.failed(f.sqlstate, f.message));
        return;
    }
    deliver(ctx, f, r.d.params.size(), r.d.results[0]);
}

// ---- SQL-bodied functions ----

void call_sql(sqlite3_context *ctx, int argc, sqlite3_value **argv) {
    auto &r = *static_cast<Routine *>(sqlite3_user_data(ctx));
    if (r.dropped) {
        raise(ctx, r, routine_not_found(r.d.name));
        return;
    }
    if (r.depth > 32) {
        raise(ctx, r, make_diagnostic(-724, "54038", "The routine \"" + r.d.name + "\" calls itself too deeply."));
        return;
    }
    sqlite3 *db = r.c->db();
    sqlite3_stmt *s = r.body;
    const bool nested = r.depth > 0;
    if (nested || !s) {
        // a nested call needs a statement of its own
        const std::string sql =
            "SELECT " + translate_expression(r.d.body, [&] {
                std::vector<std::string> names;
                for (const Param &p : r.d.params)
                    names.push_back(p.name);
                return names;
            }());
        s = nullptr;
        if (sqlite3_prepare_v2(db, sql.c_str(), -1, &s, nullptr) != SQLITE_OK) {
            sqlite3_result_error(ctx, sqlite3_errmsg(db), -1);
            return;
        }
        if (!nested)
            r.body = s;
    }
    for (int i = 0; i < argc; ++i)
        sqlite3_bind_value(s, i + 1, argv[i]);
    ++r.depth;
    int rc = sqlite3_step(s);
    --r.depth;
    if (rc == SQLITE_ROW)
        sqlite3_result_value(ctx, sqlite3_column_value(s, 0));
    else if (rc == SQLITE_DONE)
        sqlite3_result_null(ctx);
    else
        sqlite3_result_error(ctx, sqlite3_errmsg(db), -1);
    if (nested)
        sqlite3_finalize(s);
    else {
        sqlite3_reset(s);
        sqlite3_clear_bindings(s);
    }
}

// ---- table functions: eponymous virtual tables ----

struct TableVtab {
    sqlite3_vtab base{};
    Routine *routine = nullptr;
};

struct TableCursor {
    sqlite3_vtab_cursor base{};
    Frame frame;
    zal_scratchpad scratchpad{};
    int32_t call_type = ZAL_CALL_OPEN;
    bool open = false;
    bool eof = true;
    sqlite3_int64 row = 0;
    std::vector<sqlite3_value *> args; // copies of the arguments of the scan
    ~TableCursor() {
        for (sqlite3_value *v : args)
            sqlite3_value_free(v);
    }
};

std::string vtab_schema(const Definition &d) {
    std::string s = "CREATE TABLE x(";
    for (size_t i = 0; i < d.results.size(); ++i)
        s += (i ? ", \"" : "\"") + d.results[i].name + "\" " + d.results[i].type_text;
    for (size_t i = 0; i < d.params.size(); ++i)
        s += ", ARG" + std::to_string(i + 1) + " HIDDEN";
    return s + ")";
}

int table_connect(sqlite3 *db, void *aux, int, const char *const *, sqlite3_vtab **out, char **err) {
    auto *r = static_cast<Routine *>(aux);
    int rc = sqlite3_declare_vtab(db, vtab_schema(r->d).c_str());
    if (rc != SQLITE_OK) {
        *err = sqlite3_mprintf("%s", sqlite3_errmsg(db));
        return rc;
    }
    auto *v = new TableVtab;
    v->routine = r;
    *out = &v->base;
    return SQLITE_OK;
}

int table_disconnect(sqlite3_vtab *v) {
    delete reinterpret_cast<TableVtab *>(v);
    return SQLITE_OK;
}

int table_best_index(sqlite3_vtab *v, sqlite3_index_info *info) {
    const Routine &r = *reinterpret_cast<TableVtab *>(v)->routine;
    const int first_arg = static_cast<int>(r.d.results.size());
    int found = 0;
    for (int i = 0; i < info->nConstraint; ++i) {
        const auto &c = info->aConstraint[i];
        const int arg = c.iColumn - first_arg;
        if (arg < 0 || c.op != SQLITE_INDEX_CONSTRAINT_EQ)
            continue;
        if (!c.usable)
            return SQLITE_CONSTRAINT;
        info->aConstraintUsage[i].argvIndex = arg + 1;
        info->aConstraintUsage[i].omit = 1;
        ++found;
    }
    if (found < static_cast<int>(r.d.params.size()))
        return SQLITE_CONSTRAINT; // every argument must be given
    info->estimatedCost = 100;
    info->estimatedRows = 100;
    return SQLITE_OK;
}

int table_open(sqlite3_vtab *v, sqlite3_vtab_cursor **out) {
    auto *c = new TableCursor;
    const Routine &r = *reinterpret_cast<TableVtab *>(v)->routine;
    c->frame.prepare(r.d, r.qualified_name, &c->scratchpad, &c->call_type);
    *out = &c->base;
    return SQLITE_OK;
}

Routine &routine_of(sqlite3_vtab_cursor *c) { return *reinterpret_cast<TableVtab *>(c->pVtab)->routine; }

// One call of the table function; false on a failure it reported.
bool table_call(sqlite3_vtab_cursor *base, int32_t type) {
    auto *c = reinterpret_cast<TableCursor *>(base);
    Routine &r = routine_of(base);
    c->frame.clear_results();
    c->call_type = type;
    c->frame.call(r.binding.entry);
    if (c->frame.end_of_table()) {
        c->eof = true;
        return true;
    }
    if (!c->frame.succeeded()) {
        c->eof = true;
        Diagnostic d = r.failed(c->frame.sqlstate, c->frame.message);
        sqlite3_free(base->pVtab->zErrMsg);
        base->pVtab->zErrMsg = sqlite3_mprintf("%s", d.text.c_str());
        r.c->raise(std::move(d));
        return false;
    }
    return true;
}

void table_finish(sqlite3_vtab_cursor *base) {
    auto *c = reinterpret_cast<TableCursor *>(base);
    if (c->open) {
        c->open = false;
        table_call(base, ZAL_CALL_CLOSE);
    }
}

int table_close(sqlite3_vtab_cursor *base) {
    table_finish(base);
    delete reinterpret_cast<TableCursor *>(base);
    return SQLITE_OK;
}

int table_fail(sqlite3_vtab_cursor *base, const Diagnostic &d) {
    sqlite3_free(base->pVtab->zErrMsg);
    base->pVtab->zErrMsg = sqlite3_mprintf("%s", d.text.c_str());
    routine_of(base).c->raise(d);
    return SQLITE_ERROR;
}

int table_filter(sqlite3_vtab_cursor *base, int, const char *, int argc, sqlite3_value **argv) {
    auto *c = reinterpret_cast<TableCursor *>(base);
    Routine &r = routine_of(base);
    table_finish(base);
    c->eof = true;
    c->row = 0;
    if (r.dropped)
        return table_fail(base, undefined_name(r.d.name));
    if (!r.binding.entry)
        return table_fail(base, r.unbound());
    for (sqlite3_value *v : c->args)
        sqlite3_value_free(v);
    c->args.clear();
    for (int i = 0; i < argc; ++i) {
        if (sqlite3_value_type(argv[i]) == SQLITE_NULL && !r.d.called_on_null)
            return SQLITE_OK; // a null argument gives an empty table
        c->args.push_back(sqlite3_value_dup(argv[i]));
        set_argument(c->frame, static_cast<size_t>(i), r.d.params[static_cast<size_t>(i)], argv[i]);
    }
    c->scratchpad = {};
    c->scratchpad.length = ZAL_SCRATCHPAD_LEN;
    c->eof = false;
    if (!table_call(base, ZAL_CALL_OPEN))
        return SQLITE_ERROR;
    c->open = true;
    if (c->eof)
        return SQLITE_OK;
    return table_call(base, ZAL_CALL_FETCH) ? SQLITE_OK : SQLITE_ERROR;
}

int table_next(sqlite3_vtab_cursor *base) {
    auto *c = reinterpret_cast<TableCursor *>(base);
    ++c->row;
    return table_call(base, ZAL_CALL_FETCH) ? SQLITE_OK : SQLITE_ERROR;
}

int table_eof(sqlite3_vtab_cursor *base) { return reinterpret_cast<TableCursor *>(base)->eof; }

int table_column(sqlite3_vtab_cursor *base, sqlite3_context *ctx, int n) {
    auto *c = reinterpret_cast<TableCursor *>(base);
    Routine &r = routine_of(base);
    const auto col = static_cast<size_t>(n);
    if (col < r.d.results.size())
        deliver(ctx, c->frame, r.d.params.size() + col, r.d.results[col]);
    else if (col - r.d.results.size() < c->args.size())
        sqlite3_result_value(ctx, c->args[col - r.d.results.size()]);
    else
        sqlite3_result_null(ctx);
    return SQLITE_OK;
}

int table_rowid(sqlite3_vtab_cursor *base, sqlite3_int64 *rowid) {
    *rowid = reinterpret_cast<TableCursor *>(base)->row + 1;
    return SQLITE_OK;
}

sqlite3_module make_table_module() {
    sqlite3_module m{};
    m.iVersion = 1;
    m.xCreate = nullptr; // eponymous only
    m.xConnect = table_connect;
    m.xBestIndex = table_best_index;
    m.xDisconnect = table_disconnect;
    m.xDestroy = table_disconnect;
    m.xOpen = table_open;
    m.xClose = table_close;
    m.xFilter = table_filter;
    m.xNext = table_next;
    m.xEof = table_eof;
    m.xColumn = table_column;
    m.xRowid = table_rowid;
    return m;
}

const sqlite3_module table_module = make_table_module();

bool exists_in_catalog(sqlite3 *db, const std::string &name) {
    sqlite3_stmt *s = nullptr;
    if (sqlite3_prepare_v2(db, "SELECT 1 FROM SYSZAL_FUNCTIONS WHERE NAME = ?1", -1, &s, nullptr) != SQLITE_OK)
        return false;
    sqlite3_bind_text(s, 1, name.c_str(), -1, SQLITE_TRANSIENT);
    bool found = sqlite3_step(s) == SQLITE_ROW;
    sqlite3_finalize(s);
    return found;
}

bool run(sqlite3 *db, const char *sql, std::initializer_list<std::string> params, Diagnostic &error) {
    sqlite3_stmt *s = nullptr;
    int rc = sqlite3_prepare_v2(db, sql, -1, &s, nullptr);
    if (rc == SQLITE_OK) {
        int i = 1;
        for (const std::string &p : params)
            sqlite3_bind_text(s, i++, p.c_str(), static_cast<int>(p.size()), SQLITE_TRANSIENT);
        rc = sqlite3_step(s);
        rc = rc == SQLITE_DONE ? SQLITE_OK : rc;
        sqlite3_finalize(s);
    }
    if (rc != SQLITE_OK)
        error = from_engine(db, rc);
    return rc == SQLITE_OK;
}

} // namespace

Routines::Routines(Connection &c) : c_(c) {}

Routines::~Routines() = default;

bool Routines::install(std::unique_ptr<Routine> r, Diagnostic &error) {
    sqlite3 *db = c_.db();
    r->c = &c_;
    int rc;
    if (r->d.language == "SQL") {
        rc = sqlite3_create_function_v2(db, r->d.name.c_str(), static_cast<int>(r->d.params.size()),
                                        SQLITE_UTF8 | (r->d.deterministic ? SQLITE_DETERMINISTIC : 0), r.get(),
                                        call_sql, nullptr, nullptr, nullptr);
    } else {
        r->binding = bind(r->d.external, r->d.name);
        if (r->d.table)
            rc = sqlite3_create_module_v2(db, r->d.name.c_str(), &table_module, r.get(), nullptr);
        else
            rc = sqlite3_create_function_v2(db, r->d.name.c_str(), static_cast<int>(r->d.params.size()),
                                            SQLITE_UTF8 | (r->d.deterministic ? SQLITE_DETERMINISTIC : 0),
                                            r.get(), call_scalar, nullptr, nullptr, nullptr);
    }
    if (rc != SQLITE_OK) {
        error = from_engine(db, rc);
        return false;
    }
    routines_.push_back(std::move(r));
    return true;
}

void Routines::uninstall(Routine &r) {
    sqlite3 *db = c_.db();
    r.dropped = true;
    if (r.d.table)
        sqlite3_create_module_v2(db, r.d.name.c_str(), nullptr, nullptr, nullptr);
    else
        sqlite3_create_function_v2(db, r.d.name.c_str(), static_cast<int>(r.d.params.size()), SQLITE_UTF8,
                                   nullptr, nullptr, nullptr, nullptr, nullptr);
    for (auto it = routines_.begin(); it != routines_.end(); ++it)
        if (it->get() == &r) {
            retired_.push_back(std::move(*it));
            routines_.erase(it);
            break;
        }
}

void Routines::load() {
    sqlite3_stmt *s = nullptr;
    if (sqlite3_prepare_v2(c_.db(), "SELECT CREATOR, DEFINITION FROM SYSZAL_FUNCTIONS ORDER BY NAME", -1, &s,
                           nullptr) != SQLITE_OK)
        return;
    std::vector<std::pair<std::string, std::string>> stored;
    while (sqlite3_step(s) == SQLITE_ROW) {
        auto *creator = reinterpret_cast<const char *>(sqlite3_column_text(s, 0));
        auto *text = reinterpret_cast<const char *>(sqlite3_column_text(s, 1));
        stored.emplace_back(creator ? creator : "", text ? text : "");
    }
    sqlite3_finalize(s);
    for (auto &[creator, text] : stored) {
        auto r = std::make_unique<Routine>();
        Diagnostic ignored;
        if (!parse_definition(text, r->d, ignored))
            continue;
        r->qualified_name = creator + "." + r->d.name;
        install(std::move(r), ignored);
    }
}

bool Routines::create(std::string_view statement, Diagnostic &error) {
    auto r = std::make_unique<Routine>();
    if (!parse_definition(statement, r->d, error))
        return false;
    sqlite3 *db = c_.db();
    const bool replace = [&] {
        Parser p(statement);
        return p.accept("CREATE") && p.accept("OR") && p.accept("REPLACE");
    }();
    if (exists_in_catalog(db, r->d.name)) {
        if (!replace) {
            error = make_diagnostic(-454, "42723",
                                    "A function with the signature of \"" + r->d.name +
                                        "\" already exists in the schema.");
            return false;
        }
        for (auto &old : routines_)
            if (old->d.name == r->d.name) {
                uninstall(*old);
                break;
            }
    }
    r->qualified_name = c_.user() + "." + r->d.name;
    const std::string name = r->d.name;
    if (!run(db, "INSERT OR REPLACE INTO SYSZAL_FUNCTIONS (NAME, CREATOR, DEFINITION) VALUES (?1, ?2, ?3)",
             {name, c_.user(), std::string(statement)}, error))
        return false;
    if (!install(std::move(r), error)) {
        Diagnostic ignored;
        run(db, "DELETE FROM SYSZAL_FUNCTIONS WHERE NAME = ?1", {name}, ignored);
        return false;
    }
    return true;
}

bool Routines::drop(std::string_view statement, Diagnostic &error) {
    Parser p(statement);
    p.accept("DROP");
    p.accept("SPECIFIC");
    p.accept("FUNCTION");
    Token name = p.take();
    if (p.accept_punct("."))
        name = p.take();
    if (name.kind != TokenKind::Ident && name.kind != TokenKind::QuotedIdent) {
        error = syntax_error(name.text);
        return false;
    }
    const std::string n = identifier_name(name);
    sqlite3 *db = c_.db();
    if (!exists_in_catalog(db, n)) {
        error = undefined_name(n);
        return false;
    }
    if (!run(db, "DELETE FROM SYSZAL_FUNCTIONS WHERE NAME = ?1", {n}, error))
        return false;
    for (auto &r : routines_)
        if (r->d.name == n) {
            uninstall(*r);
            break;
        }
    return true;
}

} // namespace zal
