// User-defined functions on a connection: their catalog, their registration and their calls.
#include "udf.h"

#include "ascii.h"
#include "connection.h"
#include "dialect.h"
#include "guard.h"
#include "udf_table.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <map>
#include <sqlite3.h>

namespace zal {

bool Routine::bind() {
    if (!binding.entry)
        binding = udf::bind(d.external, d.name);
    return binding.entry != nullptr;
}

Diagnostic Routine::unbound() const {
    return diagnose(Condition::RoutineUnbound, {d.name, binding.library, binding.entry_name, binding.reason});
}

Diagnostic Routine::overflow(size_t argument) const {
    return diagnose(Condition::ArgumentOverflow, {std::to_string(argument + 1), d.name});
}

Diagnostic Routine::failed(const char *state, const char *message) const {
    return diagnose(Condition::RoutineFailed,
                    {std::string_view(state, strnlen(state, ZAL_SQLSTATE_LEN)), qualified_name, d.name,
                     std::string_view(message, strnlen(message, ZAL_MESSAGE_LEN))});
}

namespace {

void raise(sqlite3_context *ctx, Routine &r, Diagnostic d) {
    sqlite3_result_error(ctx, d.text.c_str(), -1);
    r.c->raise(std::move(d));
}

bool is_sql(const udf::Definition &d) { return d.language == "SQL"; }

std::vector<std::string> parameter_names(const udf::Definition &d) {
    std::vector<std::string> names;
    for (const udf::Param &p : d.params)
        names.push_back(p.name);
    return names;
}

// A call of a scalar external routine; a null argument gives null unless CALLED ON NULL INPUT.

void call_scalar(sqlite3_context *ctx, int argc, sqlite3_value **argv) {
    auto &r = *static_cast<Routine *>(sqlite3_user_data(ctx));
    r.c->routines().look();
    if (r.dropped) {
        raise(ctx, r, diagnose(Condition::RoutineNotFound, {r.d.name}));
        return;
    }
    if (!r.bind()) {
        raise(ctx, r, r.unbound());
        return;
    }
    // each value's storage class is asked once
    std::array<int, udf::max_params> types;
    for (int i = 0; i < argc; ++i) {
        types[static_cast<size_t>(i)] = sqlite3_value_type(argv[i]);
        if (types[static_cast<size_t>(i)] == SQLITE_NULL && !r.d.called_on_null) {
            sqlite3_result_null(ctx);
            return;
        }
    }
    udf::Frame &f = r.frame;
    if (!f.ready)
        f.prepare(r.d, r.qualified_name);
    f.clear_results();
    for (size_t i = 0; i < static_cast<size_t>(argc); ++i)
        if (!f.set_argument(i, r.d.params[i], argv[i], types[i])) {
            raise(ctx, r, r.overflow(i));
            return;
        }
    f.call(r.binding.entry);
    if (!f.succeeded()) {
        raise(ctx, r, r.failed(f.sqlstate, f.message));
        return;
    }
    f.deliver(ctx, r.d.params.size(), r.d.results[0]);
}

// A call of an SQL-bodied function that is not written out: its expression with the arguments
// bound, in a statement prepared once for each depth of nesting.

void call_sql(sqlite3_context *ctx, int argc, sqlite3_value **argv) {
    auto &r = *static_cast<Routine *>(sqlite3_user_data(ctx));
    r.c->routines().look();
    if (r.dropped) {
        raise(ctx, r, diagnose(Condition::RoutineNotFound, {r.d.name}));
        return;
    }
    if (r.depth > max_nesting) {
        raise(ctx, r, diagnose(Condition::RoutineTooDeep, {r.d.name}));
        return;
    }
    sqlite3 *db = r.c->db();
    sqlite3_stmt *s = r.c->routines().body_statement(r);
    if (!s) {
        sqlite3_result_error(ctx, sqlite3_errmsg(db), -1);
        return;
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
    sqlite3_reset(s);
    sqlite3_clear_bindings(s);
}

bool exists_in_catalog(sqlite3 *db, const std::string &name) {
    return Query(db, "SELECT 1 FROM SYSZAL_FUNCTIONS WHERE NAME = ?1", {name}).next();
}

// A change of the routine catalog.
bool change(sqlite3 *db, const char *sql, std::initializer_list<std::string_view> params, Diagnostic &error) {
    Query q(db, sql, params);
    if (q.run())
        return true;
    error = from_engine(db, q.rc());
    return false;
}

bool exec(sqlite3 *db, const char *sql, Diagnostic &error) {
    return engine_ok(db, sqlite3_exec(db, sql, nullptr, nullptr, nullptr), error);
}

} // namespace

Routines::Routines(Connection &c) : c_(c) {}

Routines::~Routines() = default;

Routine *Routines::find(std::string_view key) const {
    for (const auto &r : routines_)
        if (r->key == key)
            return r.get();
    return nullptr;
}

RoutineSet::Callee Routines::callee(std::string_view name, size_t args) {
    Routine *r = find(name);
    if (!r || r->d.params.size() != args)
        return {};
    Callee c{is_sql(r->d) ? Kind::sql : Kind::external, r->d.deterministic, nullptr};
    if (c.kind == Kind::sql) {
        SqlBody &s = sql_of(*r);
        if (s.written_out)
            c.body = &s.body;
    }
    return c;
}

bool Routines::calls_itself(const Routine &r) const {
    std::vector<const Routine *> seen, next = {&r};
    while (!next.empty()) {
        const Routine *f = next.back();
        next.pop_back();
        for (const auto &[name, args] : calls(expression_tokens(f->d.body, parameter_names(f->d)))) {
            const Routine *g = find(name);
            if (!g || !is_sql(g->d) || g->d.params.size() != args)
                continue;
            if (g == &r)
                return true;
            if (std::find(seen.begin(), seen.end(), g) == seen.end()) {
                seen.push_back(g);
                next.push_back(g);
            }
        }
    }
    return false;
}

SqlBody &Routines::sql_of(Routine &r) {
    SqlBody &s = r.sql;
    // a call in progress keeps the statements it runs
    if (s.generation == generation_ || s.making || r.depth > 0)
        return s;
    s.statements.clear();
    s.making = true;
    s.written_out = false;
    bool written_out_ok = false;
    s.body = expand_body(expression_tokens(r.d.body, parameter_names(r.d)), r.d.params.size(), *this, written_out_ok);
    s.text = "SELECT " + join(s.body.tokens);
    // the statement of the first depth also shows that the body stands alone
    s.statements.emplace_back(c_.db(), s.text);
    s.written_out = written_out_ok && r.d.deterministic && s.statements[0].prepared() && !calls_itself(r);
    s.making = false;
    s.generation = generation_;
    return s;
}

sqlite3_stmt *Routines::body_statement(Routine &r) {
    SqlBody &s = sql_of(r);
    const auto depth = static_cast<size_t>(r.depth);
    if (s.statements.size() <= depth)
        s.statements.resize(depth + 1);
    if (!s.statements[depth].prepared())
        s.statements[depth] = Query(c_.db(), s.text);
    return s.statements[depth].get();
}

bool Routines::install(std::unique_ptr<Routine> r, Routine *old, Diagnostic &error) {
    sqlite3 *db = c_.db();
    r->c = &c_;
    // A module goes before its successor comes. A function takes the place of one of the same
    // name and arguments at once, or fails and leaves it as it was.
    if (old && (old->d.table || r->d.table)) {
        uninstall(*old);
        old = nullptr;
    }
    // table functions are external: the definition refuses one written in SQL
    const int flags = SQLITE_UTF8 | (r->d.deterministic ? SQLITE_DETERMINISTIC : 0);
    const ScalarFunction call = is_sql(r->d) ? guarded_function<call_sql> : guarded_function<call_scalar>;
    const int rc = r->d.table ? sqlite3_create_module_v2(db, r->d.name.c_str(), &udf::table_function_module(),
                                                          r.get(), nullptr)
                              : sqlite3_create_function_v2(db, r->d.name.c_str(), static_cast<int>(r->d.params.size()),
                                                           flags, r.get(), call, nullptr, nullptr, nullptr);
    if (!engine_ok(db, rc, error))
        return false;
    if (old && old->d.params.size() == r->d.params.size())
        retire(*old);
    else if (old)
        uninstall(*old); // registered for other arguments
    routines_.push_back(std::move(r));
    return true;
}

void Routines::retire(Routine &r) {
    r.dropped = true;
    for (auto it = routines_.begin(); it != routines_.end(); ++it)
        if (it->get() == &r) {
            retired_.push_back(std::move(*it));
            routines_.erase(it);
            break;
        }
}

void Routines::uninstall(Routine &r) {
    sqlite3 *db = c_.db();
    if (r.d.table)
        sqlite3_create_module_v2(db, r.d.name.c_str(), nullptr, nullptr, nullptr);
    else
        sqlite3_create_function_v2(db, r.d.name.c_str(), static_cast<int>(r.d.params.size()), SQLITE_UTF8,
                                   nullptr, nullptr, nullptr, nullptr, nullptr);
    retire(r);
}

bool Routines::apply(const std::string &creator, const std::string &text, Diagnostic &error) {
    auto r = std::make_unique<Routine>();
    if (!udf::parse_definition(text, r->d, error))
        return false;
    r->key = upper(r->d.name);
    r->creator = creator;
    r->definition = text;
    r->qualified_name = creator + "." + r->d.name;
    Routine *old = find(r->key);
    if (old && is_sql(old->d) && is_sql(r->d) && old->d.params.size() == r->d.params.size() &&
        old->d.deterministic == r->d.deterministic) {
        // the engine's registration stands; what a call runs is made anew
        old->d = std::move(r->d);
        old->creator = creator;
        old->definition = text;
        old->qualified_name = std::move(r->qualified_name);
        return true;
    }
    return install(std::move(r), old, error);
}

void Routines::load() {
    refresh_if_changed();
}

bool Routines::refresh_if_changed() {
    if (!doubt_) {
        if (!data_version_.prepared())
            data_version_ = Query(c_.db(), "PRAGMA data_version");
        const int64_t version = data_version_.next() ? data_version_.integer(0) : seen_version_;
        sqlite3_reset(data_version_.get());
        if (version == seen_version_)
            return false;
        seen_version_ = version;
    }
    return refresh();
}

bool Routines::refresh() {
    std::map<std::string, std::pair<std::string, std::string>> stored; // name: creator, definition
    Query q(c_.db(), "SELECT NAME, CREATOR, DEFINITION FROM SYSZAL_FUNCTIONS");
    if (!q.each([&](const Query &row) { stored[row.text(0)] = {row.text(1), row.text(2)}; }))
        return false;
    doubt_ = false;
    std::vector<Routine *> gone;
    for (const auto &r : routines_)
        if (!stored.count(r->d.name))
            gone.push_back(r.get());
    for (Routine *r : gone)
        uninstall(*r);
    bool changed = !gone.empty();
    for (const auto &[name, row] : stored) {
        const Routine *r = find(upper(name));
        if (r && r->creator == row.first && r->definition == row.second)
            continue;
        // A definition that does not parse is left out, as it was at the connect; one that the
        // engine cannot register while a statement runs is tried again at the next look.
        udf::Definition d;
        Diagnostic ignored;
        if (!udf::parse_definition(row.second, d, ignored))
            continue;
        if (apply(row.first, row.second, ignored))
            changed = true;
        else
            doubt_ = true;
    }
    if (changed)
        ++generation_;
    return changed;
}

bool Routines::create(std::string_view statement, Diagnostic &error) {
    udf::Definition d;
    if (!udf::parse_definition(statement, d, error))
        return false;
    if (!is_sql(d)) {
        // a library named by a path is refused now, not at its first call
        const udf::Binding named = udf::named(d.external, d.name);
        if (!named.reason.empty()) {
            error = diagnose(Condition::RoutineUnbound, {d.name, named.library, named.entry_name, named.reason});
            return false;
        }
    }
    sqlite3 *db = c_.db();
    if (exists_in_catalog(db, d.name) && !d.replace) {
        error = diagnose(Condition::FunctionExists, {d.name});
        return false;
    }
    // The catalog and the registration change together or not at all.
    if (!exec(db, "SAVEPOINT ZAL_ROUTINE", error))
        return false;
    const std::string text(statement);
    bool ok = change(db, "INSERT OR REPLACE INTO SYSZAL_FUNCTIONS (NAME, CREATOR, DEFINITION) VALUES (?1, ?2, ?3)",
                     {d.name, c_.user(), text}, error) &&
              apply(c_.user(), text, error);
    Diagnostic ignored;
    if (!ok)
        exec(db, "ROLLBACK TO ZAL_ROUTINE", ignored);
    // RELEASE commits when no transaction was open; a catalog that did not take the change is
    // compared with the routines at the next look
    if (!exec(db, "RELEASE ZAL_ROUTINE", ok ? error : ignored) && ok) {
        doubt_ = true;
        ok = false;
    }
    ++generation_;
    return ok;
}

bool Routines::drop(std::string_view statement, Diagnostic &error) {
    std::string n;
    if (!udf::parse_drop(statement, n, error))
        return false;
    sqlite3 *db = c_.db();
    if (!exists_in_catalog(db, n)) {
        error = diagnose(Condition::UndefinedName, {n});
        return false;
    }
    if (!change(db, "DELETE FROM SYSZAL_FUNCTIONS WHERE NAME = ?1", {n}, error))
        return false;
    for (auto &r : routines_)
        if (r->d.name == n) {
            uninstall(*r);
            break;
        }
    ++generation_;
    return true;
}

} // namespace zal
