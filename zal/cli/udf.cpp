// User-defined functions on a connection: their catalog, their registration and their calls.
#include "udf.h"

#include "connection.h"
#include "dialect.h"
#include "guard.h"
#include "udf_table.h"

#include <array>
#include <cstring>
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

// A call of a scalar external routine; a null argument gives null unless CALLED ON NULL INPUT.

void call_scalar(sqlite3_context *ctx, int argc, sqlite3_value **argv) {
    auto &r = *static_cast<Routine *>(sqlite3_user_data(ctx));
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

// A call of an SQL-bodied function: its expression with the arguments bound.

void call_sql(sqlite3_context *ctx, int argc, sqlite3_value **argv) {
    auto &r = *static_cast<Routine *>(sqlite3_user_data(ctx));
    if (r.dropped) {
        raise(ctx, r, diagnose(Condition::RoutineNotFound, {r.d.name}));
        return;
    }
    if (r.depth > 32) {
        raise(ctx, r, diagnose(Condition::RoutineTooDeep, {r.d.name}));
        return;
    }
    sqlite3 *db = r.c->db();
    const bool nested = r.depth > 0;
    Query own; // a nested call needs a statement of its own
    if (nested || !r.body.prepared()) {
        std::vector<std::string> names;
        for (const udf::Param &p : r.d.params)
            names.push_back(p.name);
        Query q(db, "SELECT " + translate_expression(r.d.body, names));
        if (!q.prepared()) {
            sqlite3_result_error(ctx, sqlite3_errmsg(db), -1);
            return;
        }
        (nested ? own : r.body) = std::move(q);
    }
    sqlite3_stmt *s = nested ? own.get() : r.body.get();
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
    if (!nested) {
        sqlite3_reset(s);
        sqlite3_clear_bindings(s);
    }
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

} // namespace

Routines::Routines(Connection &c) : c_(c) {}

Routines::~Routines() = default;

bool Routines::install(std::unique_ptr<Routine> r, Diagnostic &error) {
    sqlite3 *db = c_.db();
    r->c = &c_;
    const bool sql = r->d.language == "SQL";
    // table functions are external: the definition refuses one written in SQL
    const int flags = SQLITE_UTF8 | (r->d.deterministic ? SQLITE_DETERMINISTIC : 0);
    const ScalarFunction call = sql ? guarded_function<call_sql> : guarded_function<call_scalar>;
    const int rc = r->d.table ? sqlite3_create_module_v2(db, r->d.name.c_str(), &udf::table_function_module(),
                                                          r.get(), nullptr)
                              : sqlite3_create_function_v2(db, r->d.name.c_str(), static_cast<int>(r->d.params.size()),
                                                           flags, r.get(), call, nullptr, nullptr, nullptr);
    if (!engine_ok(db, rc, error))
        return false;
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
    std::vector<std::pair<std::string, std::string>> stored;
    Query(c_.db(), "SELECT CREATOR, DEFINITION FROM SYSZAL_FUNCTIONS ORDER BY NAME").each([&](const Query &q) {
        stored.emplace_back(q.text(0), q.text(1));
    });
    for (auto &[creator, text] : stored) {
        auto r = std::make_unique<Routine>();
        Diagnostic ignored;
        if (!udf::parse_definition(text, r->d, ignored))
            continue;
        r->qualified_name = creator + "." + r->d.name;
        install(std::move(r), ignored);
    }
}

bool Routines::create(std::string_view statement, Diagnostic &error) {
    auto r = std::make_unique<Routine>();
    if (!udf::parse_definition(statement, r->d, error))
        return false;
    if (r->d.language != "SQL") {
        // a library named by a path is refused now, not at its first call
        r->binding = udf::named(r->d.external, r->d.name);
        if (!r->binding.reason.empty()) {
            error = r->unbound();
            return false;
        }
    }
    sqlite3 *db = c_.db();
    if (exists_in_catalog(db, r->d.name)) {
        if (!r->d.replace) {
            error = diagnose(Condition::FunctionExists, {r->d.name});
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
    if (!change(db, "INSERT OR REPLACE INTO SYSZAL_FUNCTIONS (NAME, CREATOR, DEFINITION) VALUES (?1, ?2, ?3)",
             {name, c_.user(), statement}, error))
        return false;
    if (!install(std::move(r), error)) {
        Diagnostic ignored;
        change(db, "DELETE FROM SYSZAL_FUNCTIONS WHERE NAME = ?1", {name}, ignored);
        return false;
    }
    return true;
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
    return true;
}

} // namespace zal