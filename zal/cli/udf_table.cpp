// Table functions as eponymous virtual tables: a scan opens the routine with its arguments,
// fetches a row a call until the routine reports the end of its table, and closes it.
#include "udf_table.h"

#include "connection.h"
#include "udf.h"

#include <sqlite3.h>

namespace zal::udf {

namespace {

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
        c->frame.set_argument(static_cast<size_t>(i), r.d.params[static_cast<size_t>(i)], argv[i]);
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
        c->frame.deliver(ctx, r.d.params.size() + col, r.d.results[col]);
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

} // namespace

const sqlite3_module &table_function_module() { return table_module; }

} // namespace zal::udf
