// What the map benchmarks share: generated houses loaded through the interface, a second
// connection, and every row of a statement fetched through the interface as text.
#pragma once

#include "bench_support.h"
#include "spatial_data.h"

#include <algorithm>
#include <array>
#include <span>
#include <string>
#include <vector>

namespace bench {

using Rows = std::vector<std::string>;

inline SQLHDBC connect(const char *database) {
    SQLHDBC h = 0;
    SQLAllocConnect(henv, &h);
    if (SQLConnect(h, (SQLCHAR *)database, SQL_NTS, (SQLCHAR *)"", SQL_NTS, (SQLCHAR *)"", SQL_NTS) != SQL_SUCCESS)
        fail(std::string("connect to ") + database, 0);
    return h;
}

// The schema's statements, then the houses in chunks, on the current connection.
inline void load_houses(const std::vector<spatial::House> &all, const std::vector<std::string> &schema) {
    for (const std::string &s : schema)
        exec(s);
    constexpr std::size_t chunk = 5000;
    for (std::size_t at = 0; at < all.size(); at += chunk)
        exec(spatial::insert_statement(std::span<const spatial::House>(all).subspan(at, std::min(chunk, all.size() - at))));
}

// Every row of the statement through the interface, each as its values joined by TAB, in the
// order the statement gives them.
inline Rows fetch_rows(SQLHDBC db, const std::string &sql) {
    SQLHSTMT h = 0;
    SQLAllocStmt(db, &h);
    if (SQLExecDirect(h, (SQLCHAR *)sql.c_str(), SQL_NTS) != SQL_SUCCESS)
        fail(sql, h);
    SQLSMALLINT columns = 0;
    SQLNumResultCols(h, &columns);
    std::vector<std::array<char, 32>> cells(static_cast<std::size_t>(columns));
    std::vector<SQLINTEGER> lengths(static_cast<std::size_t>(columns));
    for (SQLSMALLINT c = 0; c < columns; ++c)
        SQLBindCol(h, static_cast<SQLUSMALLINT>(c + 1), SQL_C_CHAR, cells[static_cast<std::size_t>(c)].data(), 32,
                   &lengths[static_cast<std::size_t>(c)]);
    Rows rows;
    while (SQLFetch(h) == SQL_SUCCESS) {
        std::string row;
        for (std::size_t c = 0; c < cells.size(); ++c) {
            if (c)
                row += '\t';
            row += lengths[c] == SQL_NULL_DATA ? "null" : cells[c].data();
        }
        rows.push_back(std::move(row));
    }
    SQLFreeStmt(h, SQL_DROP);
    SQLEndTran(SQL_HANDLE_DBC, db, SQL_COMMIT);
    return rows;
}

} // namespace bench
