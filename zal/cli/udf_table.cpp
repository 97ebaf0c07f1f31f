// Table functions as eponymous virtual tables that open, fetch from and close their routine.
#include "udf_table.h"

#include "connection.h"
#include "dialect.h"
#include "udf.h"
#include "vtab.h"

namespace zal::udf {

namespace {

std::string vtab_schema(const Definition &d) {
    std::string s = "CREATE TABLE x(";
    for (size_t i = 0; i < d.results.size(); ++i)
        s += (i ? ", " : "") + quoted_name(d.results[i].name) + " " + d.results[i].type_text;
    for (size_t i = 0; i < d.params.size(); ++i)
        s += ", ARG" + std::to_string(i + 1) + " HIDDEN";
    return s + ")";
}

// The table of one table function: its result columns, then a hidden column per argument.
struct TableVtab {
    sqlite3_vtab base{};
    Routine *routine = nullptr;

    struct Cursor {
        sqlite3_vtab_cursor base{};
        Frame frame;
        zal_scratchpad scratchpad{};
        int32_t call_type = ZAL_CALL_OPEN;
        bool open = false;
        bool eof = true;
        sqlite3_int64 row = 0;
        std::vector<sqlite3_value *> args; // copies of the arguments of the scan
        ~Cursor() {
            for (sqlite3_value *v : args)
                sqlite3_value_free(v);
        }
    };
    static Cursor &cursor(sqlite3_vtab_cursor *c) { return *reinterpret_cast<Cursor *>(c); }
    static Routine &routine_of(sqlite3_vtab *v) { return *reinterpret_cast<TableVtab *>(v)->routine; }

    // A failure of the scan: the engine reports the text, the statement takes the diagnostic.
    static int fail(sqlite3_vtab_cursor *c, Diagnostic d) {
        set_vtab_error(c->pVtab, d.text.c_str());
        routine_of(c->pVtab).c->raise(std::move(d));
        return SQLITE_ERROR;
    }

    // One call of the table function; false on a failure it reported.
    static bool call(sqlite3_vtab_cursor *c, int32_t type) {
        Cursor &k = cursor(c);
        Routine &r = routine_of(c->pVtab);
        k.frame.clear_results();
        k.call_type = type;
        k.frame.call(r.binding.entry);
        if (k.frame.end_of_table()) {
            k.eof = true;
            return true;
        }
        if (!k.frame.succeeded()) {
            k.eof = true;
            fail(c, r.failed(k.frame.sqlstate, k.frame.message));
            return false;
        }
        return true;
    }

    static void finish(sqlite3_vtab_cursor *c) {
        if (cursor(c).open) {
            cursor(c).open = false;
            call(c, ZAL_CALL_CLOSE);
        }
    }

    static int connect(sqlite3 *db, void *aux, int, const char *const *, sqlite3_vtab **out, char **err) {
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

    static int disconnect(sqlite3_vtab *v) {
        delete reinterpret_cast<TableVtab *>(v);
        return SQLITE_OK;
    }

    static int best_index(sqlite3_vtab *v, sqlite3_index_info *info) {
        const Routine &r = routine_of(v);
        const int first_arg = static_cast<int>(r.d.results.size());
        int found = 0;
        for (int i = 0; i < info->nConstraint; ++i) {
            const auto &c = info->aConstraint[i];
            const int arg = c.iColumn - first_arg;
            if (arg < 0 || arg >= static_cast<int>(r.d.params.size()) || c.op != SQLITE_INDEX_CONSTRAINT_EQ)
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

    static int open(sqlite3_vtab *, sqlite3_vtab_cursor **out) {
        *out = &(new Cursor)->base;
        return SQLITE_OK;
    }

    static int close(sqlite3_vtab_cursor *c) {
        finish(c);
        delete &cursor(c);
        return SQLITE_OK;
    }

    static int filter(sqlite3_vtab_cursor *c, int, const char *, int argc, sqlite3_value **argv) {
        Cursor &k = cursor(c);
        Routine &r = routine_of(c->pVtab);
        finish(c);
        k.eof = true;
        k.row = 0;
        if (r.dropped)
            return fail(c, diagnose(Condition::UndefinedName, {r.d.name}));
        if (!r.bind())
            return fail(c, r.unbound());
        if (!k.frame.ready) // the buffers of a routine that can be called
            k.frame.prepare(r.d, r.qualified_name, &k.scratchpad, &k.call_type);
        for (sqlite3_value *v : k.args)
            sqlite3_value_free(v);
        k.args.clear();
        for (int i = 0; i < argc; ++i) {
            const int type = sqlite3_value_type(argv[i]);
            if (type == SQLITE_NULL && !r.d.called_on_null)
                return SQLITE_OK; // a null argument gives an empty table
            k.args.push_back(sqlite3_value_dup(argv[i]));
            if (!k.frame.set_argument(static_cast<size_t>(i), r.d.params[static_cast<size_t>(i)], argv[i], type))
                return fail(c, r.overflow(static_cast<size_t>(i)));
        }
        k.scratchpad = {};
        k.scratchpad.length = ZAL_SCRATCHPAD_LEN;
        k.eof = false;
        if (!call(c, ZAL_CALL_OPEN))
            return SQLITE_ERROR;
        k.open = true;
        if (k.eof)
            return SQLITE_OK;
        return call(c, ZAL_CALL_FETCH) ? SQLITE_OK : SQLITE_ERROR;
    }

    static int next(sqlite3_vtab_cursor *c) {
        ++cursor(c).row;
        return call(c, ZAL_CALL_FETCH) ? SQLITE_OK : SQLITE_ERROR;
    }

    static int eof(sqlite3_vtab_cursor *c) { return cursor(c).eof; }

    static int column(sqlite3_vtab_cursor *c, sqlite3_context *ctx, int n) {
        const Cursor &k = cursor(c);
        const Routine &r = routine_of(c->pVtab);
        const auto col = static_cast<size_t>(n);
        if (col < r.d.results.size())
            k.frame.deliver(ctx, r.d.params.size() + col, r.d.results[col]);
        else if (col - r.d.results.size() < k.args.size())
            sqlite3_result_value(ctx, k.args[col - r.d.results.size()]);
        else
            sqlite3_result_null(ctx);
        return SQLITE_OK;
    }

    static int rowid(sqlite3_vtab_cursor *c, sqlite3_int64 *rowid) {
        *rowid = cursor(c).row + 1;
        return SQLITE_OK;
    }
};

const sqlite3_module table_module = eponymous_module<TableVtab>();

} // namespace

const sqlite3_module &table_function_module() { return table_module; }

} // namespace zal::udf
