// The catalog tables SYSORL.SYSTABLES and SYSORL.SYSCOLUMNS and the bookkeeping behind them.
#include "catalog.h"

#include "query.h"
#include "types.h"
#include "vtab.h"

#include <vector>

namespace zal {

bool ensure_system_tables(sqlite3 *db, Diagnostic &error) {
    {
        Query have(db, "SELECT count(*) FROM sqlite_schema WHERE type='table' AND name IN "
                       "('SYSZAL_TABLES','SYSZAL_STATS','SYSZAL_FUNCTIONS')");
        if (!have.next()) {
            error = from_engine(db, have.rc());
            return false;
        }
        if (have.integer(0) == 3)
            return true;
    } // done with the schema before it changes
    const char *tables = "CREATE TABLE IF NOT EXISTS SYSZAL_TABLES (NAME VARCHAR(128) NOT NULL PRIMARY KEY, "
                         "CREATOR VARCHAR(128) NOT NULL);"
                         "CREATE TABLE IF NOT EXISTS SYSZAL_STATS (NAME VARCHAR(128) NOT NULL PRIMARY KEY, "
                         "CARD BIGINT NOT NULL, STATS_TIME TIMESTAMP);"
                         "CREATE TABLE IF NOT EXISTS SYSZAL_FUNCTIONS (NAME VARCHAR(128) NOT NULL PRIMARY KEY, "
                         "CREATOR VARCHAR(128) NOT NULL, DEFINITION CLOB NOT NULL);";
    return engine_ok(db, sqlite3_exec(db, tables, nullptr, nullptr, nullptr), error);
}

bool record_creator(sqlite3 *db, const std::string &object, const std::string &creator, bool replace) {
    return Query(db,
                 replace ? "INSERT OR REPLACE INTO SYSZAL_TABLES (NAME, CREATOR) VALUES (upper(?1), ?2)"
                         : "INSERT OR IGNORE INTO SYSZAL_TABLES (NAME, CREATOR) VALUES (upper(?1), ?2)",
                 {object, creator})
        .run();
}

bool forget_object(sqlite3 *db, const std::string &object) {
    return Query(db, "DELETE FROM SYSZAL_TABLES WHERE NAME = upper(?1)", {object}).run() &&
           Query(db, "DELETE FROM SYSZAL_STATS WHERE NAME = upper(?1)", {object}).run();
}

bool table_exists(sqlite3 *db, const std::string &object) {
    return Query(db, "SELECT 1 FROM sqlite_schema WHERE type IN ('table','view') AND upper(name) = upper(?1)",
                 {object})
        .next();
}

namespace {

// A value of a catalog row: the catalog has no nulls.
struct Cell {
    bool integer = false;
    int64_t i = 0;
    std::string s;
};
using Row = std::vector<Cell>;

Cell text(std::string s) { return {false, 0, std::move(s)}; }
Cell number(int64_t i) { return {true, i, {}}; }

struct CatalogTable {
    const char *schema;
    bool (*produce)(sqlite3 *, std::vector<Row> &);
};

// A catalog table whose rows are read afresh at every scan.
struct CatalogVtab {
    sqlite3_vtab base{};
    sqlite3 *db = nullptr;
    const CatalogTable *table = nullptr;

    struct Cursor {
        sqlite3_vtab_cursor base{};
        std::vector<Row> rows;
        size_t at = 0;
    };
    static Cursor &cursor(sqlite3_vtab_cursor *c) { return *reinterpret_cast<Cursor *>(c); }

    static int connect(sqlite3 *db, void *aux, int, const char *const *, sqlite3_vtab **out, char **) {
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
    static int disconnect(sqlite3_vtab *v) {
        delete reinterpret_cast<CatalogVtab *>(v);
        return SQLITE_OK;
    }
    static int best_index(sqlite3_vtab *, sqlite3_index_info *info) {
        info->estimatedCost = 1000;
        info->estimatedRows = 100;
        return SQLITE_OK;
    }
    static int open(sqlite3_vtab *, sqlite3_vtab_cursor **out) {
        *out = &(new Cursor)->base;
        return SQLITE_OK;
    }
    static int close(sqlite3_vtab_cursor *c) {
        delete &cursor(c);
        return SQLITE_OK;
    }
    static int filter(sqlite3_vtab_cursor *c, int, const char *, int, sqlite3_value **) {
        auto *vtab = reinterpret_cast<CatalogVtab *>(c->pVtab);
        cursor(c).rows.clear();
        cursor(c).at = 0;
        if (!vtab->table->produce(vtab->db, cursor(c).rows)) {
            set_vtab_error(&vtab->base, sqlite3_errmsg(vtab->db));
            return SQLITE_ERROR;
        }
        return SQLITE_OK;
    }
    static int next(sqlite3_vtab_cursor *c) {
        ++cursor(c).at;
        return SQLITE_OK;
    }
    static int eof(sqlite3_vtab_cursor *c) { return cursor(c).at >= cursor(c).rows.size(); }
    static int column(sqlite3_vtab_cursor *c, sqlite3_context *ctx, int n) {
        const Cell &cell = cursor(c).rows[cursor(c).at][static_cast<size_t>(n)];
        if (cell.integer)
            sqlite3_result_int64(ctx, cell.i);
        else
            sqlite3_result_text(ctx, cell.s.c_str(), static_cast<int>(cell.s.size()), SQLITE_TRANSIENT);
        return SQLITE_OK;
    }
    static int rowid(sqlite3_vtab_cursor *c, sqlite3_int64 *rowid) {
        *rowid = static_cast<sqlite3_int64>(cursor(c).at + 1);
        return SQLITE_OK;
    }
};

const sqlite3_module catalog_module = eponymous_module<CatalogVtab>();

// The objects the catalog lists: user tables and views, never the engine's or the product's,
// nor the tables in which a virtual table (an R*Tree) keeps its own data.
const std::string user_objects =
    " WHERE s.type IN ('table','view') AND s.name NOT LIKE 'sqlite\\_%' ESCAPE '\\'"
    " AND upper(s.name) NOT LIKE 'SYSZAL\\_%' ESCAPE '\\'"
    " AND s.name NOT IN (SELECT name FROM pragma_table_list WHERE type = 'shadow')";

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
    bool ok = Query(db, sql).each([&](const Query &q) {
        rows.push_back({text(q.text(0)), text(q.text(1)), text(q.text(2)), number(q.integer(3)), number(q.integer(4))});
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
    return Query(db, sql).each([&](const Query &q) {
        ColumnType type = parse_declared_type(q.text(4));
        if (!type.known)
            type = type_of_value(0, "", 0);
        rows.push_back({text(q.text(0)), text(q.text(1)), text(q.text(2)), number(q.integer(3)), text(type.coltype),
                        number(type.length), number(type.scale), text(q.integer(5) ? "N" : "Y")});
    });
}

CatalogTable systables{systables_schema, produce_systables};
CatalogTable syscolumns{syscolumns_schema, produce_syscolumns};

} // namespace

bool install_catalog(sqlite3 *db, Diagnostic &error) {
    for (auto [name, table] : {std::pair{"SYSORL_SYSTABLES", &systables}, std::pair{"SYSORL_SYSCOLUMNS", &syscolumns}})
        if (!engine_ok(db, sqlite3_create_module_v2(db, name, &catalog_module, table, nullptr), error))
            return false;
    return true;
}

} // namespace zal
