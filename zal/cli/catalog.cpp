// The catalog tables SYSORL.SYSTABLES and SYSORL.SYSCOLUMNS, read live from the engine's schema,
// and the bookkeeping of creators and statistics behind them.
#include "catalog.h"

#include "types.h"

#include <functional>
#include <sqlite3.h>
#include <vector>

namespace zal {

namespace {

bool exec(sqlite3 *db, const char *sql, Diagnostic *error = nullptr) {
    int rc = sqlite3_exec(db, sql, nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK && error)
        *error = from_engine(db, rc);
    return rc == SQLITE_OK;
}

// Runs sql with text parameters and no result.
bool exec_with(sqlite3 *db, const char *sql, std::initializer_list<std::string> params) {
    sqlite3_stmt *s = nullptr;
    if (sqlite3_prepare_v2(db, sql, -1, &s, nullptr) != SQLITE_OK)
        return false;
    int i = 1;
    for (const std::string &p : params)
        sqlite3_bind_text(s, i++, p.c_str(), static_cast<int>(p.size()), SQLITE_TRANSIENT);
    int rc = sqlite3_step(s);
    sqlite3_finalize(s);
    return rc == SQLITE_DONE;
}

} // namespace

bool ensure_system_tables(sqlite3 *db, Diagnostic &error) {
    sqlite3_stmt *s = nullptr;
    int have = 0;
    if (sqlite3_prepare_v2(db,
                           "SELECT count(*) FROM sqlite_schema WHERE type='table' AND name IN "
                           "('SYSZAL_TABLES','SYSZAL_STATS','SYSZAL_FUNCTIONS')",
                           -1, &s, nullptr) != SQLITE_OK) {
        error = from_engine(db, sqlite3_errcode(db));
        return false;
    }
    if (sqlite3_step(s) == SQLITE_ROW)
        have = sqlite3_column_int(s, 0);
    int rc = sqlite3_finalize(s);
    if (rc != SQLITE_OK) {
        error = from_engine(db, rc);
        return false;
    }
    if (have == 3)
        return true;
    return exec(db,
                "CREATE TABLE IF NOT EXISTS SYSZAL_TABLES (NAME VARCHAR(128) NOT NULL PRIMARY KEY, "
                "CREATOR VARCHAR(128) NOT NULL);"
                "CREATE TABLE IF NOT EXISTS SYSZAL_STATS (NAME VARCHAR(128) NOT NULL PRIMARY KEY, "
                "CARD BIGINT NOT NULL, STATS_TIME TIMESTAMP);"
                "CREATE TABLE IF NOT EXISTS SYSZAL_FUNCTIONS (NAME VARCHAR(128) NOT NULL PRIMARY KEY, "
                "CREATOR VARCHAR(128) NOT NULL, DEFINITION CLOB NOT NULL);",
                &error);
}

bool record_creator(sqlite3 *db, const std::string &object, const std::string &creator, bool replace) {
    return exec_with(db,
                     replace ? "INSERT OR REPLACE INTO SYSZAL_TABLES (NAME, CREATOR) VALUES (upper(?1), ?2)"
                             : "INSERT OR IGNORE INTO SYSZAL_TABLES (NAME, CREATOR) VALUES (upper(?1), ?2)",
                     {object, creator});
}

bool forget_object(sqlite3 *db, const std::string &object) {
    return exec_with(db, "DELETE FROM SYSZAL_TABLES WHERE NAME = upper(?1)", {object}) &&
           exec_with(db, "DELETE FROM SYSZAL_STATS WHERE NAME = upper(?1)", {object});
}

bool table_exists(sqlite3 *db, const std::string &object) {
    sqlite3_stmt *s = nullptr;
    if (sqlite3_prepare_v2(db,
                           "SELECT 1 FROM sqlite_schema WHERE type IN ('table','view') AND "
                           "upper(name) = upper(?1)",
                           -1, &s, nullptr) != SQLITE_OK)
        return false;
    sqlite3_bind_text(s, 1, object.c_str(), -1, SQLITE_TRANSIENT);
    bool found = sqlite3_step(s) == SQLITE_ROW;
    sqlite3_finalize(s);
    return found;
}

namespace {

// ---- catalog tables: eponymous virtual tables whose rows are read afresh at every scan ----

struct Cell {
    bool null = false;
    bool integer = false;
    int64_t i = 0;
    std::string s;
};
using Row = std::vector<Cell>;
using Producer = std::function<bool(sqlite3 *, std::vector<Row> &)>;

Cell text(std::string s) { return {false, false, 0, std::move(s)}; }
Cell number(int64_t i) { return {false, true, i, {}}; }

struct CatalogTable {
    const char *schema;
    Producer produce;
};

struct CatalogVtab {
    sqlite3_vtab base{};
    sqlite3 *db = nullptr;
    const CatalogTable *table = nullptr;
};

struct CatalogCursor {
    sqlite3_vtab_cursor base{};
    std::vector<Row> rows;
    size_t at = 0;
};

int catalog_connect(sqlite3 *db, void *aux, int, const char *const *, sqlite3_vtab **out, char **) {
    auto *table = static_cast<const CatalogTable *>(aux);
    int rc = sqlite3_declare_vtab(db, table->schema);
    if (rc != SQLITE_OK)
        return rc;
    auto *v = new CatalogVtab;
    v->db = db;
    v->table = table;
    *out = &v->base;
    return SQLITE_OK;
}

int catalog_disconnect(sqlite3_vtab *v) {
    delete reinterpret_cast<CatalogVtab *>(v);
    return SQLITE_OK;
}

int catalog_best_index(sqlite3_vtab *, sqlite3_index_info *info) {
    info->estimatedCost = 1000;
    info->estimatedRows = 100;
    return SQLITE_OK;
}

int catalog_open(sqlite3_vtab *, sqlite3_vtab_cursor **out) {
    *out = &(new CatalogCursor)->base;
    return SQLITE_OK;
}

int catalog_close(sqlite3_vtab_cursor *c) {
    delete reinterpret_cast<CatalogCursor *>(c);
    return SQLITE_OK;
}

int catalog_filter(sqlite3_vtab_cursor *c, int, const char *, int, sqlite3_value **) {
    auto *cursor = reinterpret_cast<CatalogCursor *>(c);
    auto *vtab = reinterpret_cast<CatalogVtab *>(c->pVtab);
    cursor->rows.clear();
    cursor->at = 0;
    if (!vtab->table->produce(vtab->db, cursor->rows)) {
        sqlite3_free(vtab->base.zErrMsg);
        vtab->base.zErrMsg = sqlite3_mprintf("%s", sqlite3_errmsg(vtab->db));
        return SQLITE_ERROR;
    }
    return SQLITE_OK;
}

int catalog_next(sqlite3_vtab_cursor *c) {
    ++reinterpret_cast<CatalogCursor *>(c)->at;
    return SQLITE_OK;
}

int catalog_eof(sqlite3_vtab_cursor *c) {
    auto *cursor = reinterpret_cast<CatalogCursor *>(c);
    return cursor->at >= cursor->rows.size();
}

int catalog_column(sqlite3_vtab_cursor *c, sqlite3_context *ctx, int n) {
    auto *cursor = reinterpret_cast<CatalogCursor *>(c);
    const Cell &cell = cursor->rows[cursor->at][static_cast<size_t>(n)];
    if (cell.null)
        sqlite3_result_null(ctx);
    else if (cell.integer)
        sqlite3_result_int64(ctx, cell.i);
    else
        sqlite3_result_text(ctx, cell.s.c_str(), static_cast<int>(cell.s.size()), SQLITE_TRANSIENT);
    return SQLITE_OK;
}

int catalog_rowid(sqlite3_vtab_cursor *c, sqlite3_int64 *rowid) {
    *rowid = static_cast<sqlite3_int64>(reinterpret_cast<CatalogCursor *>(c)->at + 1);
    return SQLITE_OK;
}

sqlite3_module catalog_module() {
    sqlite3_module m{};
    m.iVersion = 1;
    m.xCreate = nullptr; // eponymous only: the tables exist without CREATE VIRTUAL TABLE
    m.xConnect = catalog_connect;
    m.xBestIndex = catalog_best_index;
    m.xDisconnect = catalog_disconnect;
    m.xDestroy = catalog_disconnect;
    m.xOpen = catalog_open;
    m.xClose = catalog_close;
    m.xFilter = catalog_filter;
    m.xNext = catalog_next;
    m.xEof = catalog_eof;
    m.xColumn = catalog_column;
    m.xRowid = catalog_rowid;
    return m;
}

const sqlite3_module module_of_catalog = catalog_module();

// Runs a query and hands every row to `each`; false on an engine error.
bool for_each_row(sqlite3 *db, const char *sql, const std::function<void(sqlite3_stmt *)> &each) {
    sqlite3_stmt *s = nullptr;
    if (sqlite3_prepare_v2(db, sql, -1, &s, nullptr) != SQLITE_OK)
        return false;
    int rc;
    while ((rc = sqlite3_step(s)) == SQLITE_ROW)
        each(s);
    sqlite3_finalize(s);
    return rc == SQLITE_DONE;
}

std::string column_text(sqlite3_stmt *s, int i) {
    auto *p = reinterpret_cast<const char *>(sqlite3_column_text(s, i));
    return p ? std::string(p, static_cast<size_t>(sqlite3_column_bytes(s, i))) : std::string();
}

// The objects the catalog lists: user tables and views, never the engine's or the product's.
const std::string user_objects =
    " WHERE s.type IN ('table','view') AND s.name NOT LIKE 'sqlite\\_%' ESCAPE '\\'"
    " AND upper(s.name) NOT LIKE 'SYSZAL\\_%' ESCAPE '\\'";

const char *systables_schema =
    "CREATE TABLE x(NAME VARCHAR(128), CREATOR VARCHAR(128), TYPE CHAR(1), COLCOUNT SMALLINT, "
    "CARD BIGINT)";
const char *syscolumns_schema =
    "CREATE TABLE x(NAME VARCHAR(128), TBNAME VARCHAR(128), TBCREATOR VARCHAR(128), COLNO SMALLINT, "
    "COLTYPE VARCHAR(9), LENGTH INTEGER, SCALE SMALLINT, NULLS CHAR(1))";

bool produce_systables(sqlite3 *db, std::vector<Row> &rows) {
    const std::string sql =
        "SELECT upper(s.name), coalesce(t.CREATOR, ''), CASE s.type WHEN 'view' THEN 'V' ELSE 'T' END,"
        " (SELECT count(*) FROM pragma_table_info(s.name)),"
        " coalesce((SELECT CARD FROM SYSZAL_STATS st WHERE st.NAME = upper(s.name)), -1)"
        " FROM sqlite_schema s LEFT JOIN SYSZAL_TABLES t ON t.NAME = upper(s.name)" +
        user_objects + " ORDER BY 1";
    bool ok = for_each_row(
        db, sql.c_str(),
        [&](sqlite3_stmt *s) {
            rows.push_back({text(column_text(s, 0)), text(column_text(s, 1)), text(column_text(s, 2)),
                            number(sqlite3_column_int64(s, 3)), number(sqlite3_column_int64(s, 4))});
        });
    rows.push_back({text("SYSCOLUMNS"), text("SYSORL"), text("T"), number(8), number(-1)});
    rows.push_back({text("SYSTABLES"), text("SYSORL"), text("T"), number(5), number(-1)});
    return ok;
}

bool produce_syscolumns(sqlite3 *db, std::vector<Row> &rows) {
    const std::string sql =
        "SELECT upper(p.name), upper(s.name), coalesce(t.CREATOR, ''), p.cid, p.type, p.\"notnull\""
        " FROM sqlite_schema s JOIN pragma_table_info(s.name) p"
        " LEFT JOIN SYSZAL_TABLES t ON t.NAME = upper(s.name)" +
        user_objects + " ORDER BY 2, 4";
    return for_each_row(
        db, sql.c_str(),
        [&](sqlite3_stmt *s) {
            ColumnType type = parse_declared_type(column_text(s, 4));
            if (!type.known)
                type = type_of_value(0, "", 0);
            rows.push_back({text(column_text(s, 0)), text(column_text(s, 1)), text(column_text(s, 2)),
                            number(sqlite3_column_int64(s, 3)), text(type.coltype), number(type.length),
                            number(type.scale), text(sqlite3_column_int(s, 5) ? "N" : "Y")});
        });
}

CatalogTable systables{systables_schema, produce_systables};
CatalogTable syscolumns{syscolumns_schema, produce_syscolumns};

} // namespace

bool install_catalog(sqlite3 *db, Diagnostic &error) {
    int rc = sqlite3_create_module_v2(db, "SYSORL_SYSTABLES", &module_of_catalog, &systables, nullptr);
    if (rc == SQLITE_OK)
        rc = sqlite3_create_module_v2(db, "SYSORL_SYSCOLUMNS", &module_of_catalog, &syscolumns, nullptr);
    if (rc != SQLITE_OK) {
        error = from_engine(db, rc);
        return false;
    }
    return true;
}

} // namespace zal
