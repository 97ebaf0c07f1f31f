// The map search's query runner, its error display and the houses of a block.
#include "spatial_search.h"

#include "program.h"
#include "session.h"
#include "sql_exec.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <limits>

namespace kestle {

int SQLresults(Program &p, const std::string &sql) {
    Session &s = p.session;
    Execution &e = p.exec;
    SpatialSearch &m = p.spatial;
    m.row_count = 0;
    std::string text = expand_marks(sql, true);
    if (trim(text).empty())
        return -1;

    // A handle the CLI does not know fails as an error does, so the presenter hears of it.
    if (cli_failed(run_statement(p, text))) {
        FormatError(p);
        return -1;
    }

    SQLSMALLINT columns = 0;
    if (cli_failed(s.cli.NumResultCols(s.hstmt, &columns)) || columns <= 0) {
        ZAL_close(p);
        return -1;
    }
    const int n = std::min<int>(columns, Execution::max_columns);
    SQLINTEGER indicator = 0; // shared by every column and never read: a NULL reads as 0
    int pos = 1;
    for (int j = 1; j <= n; ++j) {
        std::array<SQLCHAR, 33> name{};
        SQLSMALLINT name_len = 0, type = 0, scale = 0, nullable = 0;
        SQLUINTEGER size = 0;
        s.sql_rc = s.cli.DescribeCol(s.hstmt, static_cast<SQLUSMALLINT>(j), name.data(), 32, &name_len, &type, &size,
                                     &scale, &nullable);
        // A column that would reach past the row buffer cannot be bound.
        if (size > static_cast<SQLUINTEGER>(Execution::fetch_buf_size) ||
            pos + static_cast<int>(size) + 16 - 1 > Execution::fetch_buf_size) {
            ZAL_close(p);
            return -1;
        }
        col_info_rec &c = e.col_info[static_cast<std::size_t>(j)];
        c.offset = pos;
        c.length = static_cast<int32_t>(size) + 16;
        s.sql_rc = s.cli.BindCol(s.hstmt, static_cast<SQLUSMALLINT>(j), SQL_C_CHAR, &e.fetch_buf[pos], c.length,
                                 &indicator);
        if (cli_failed(s.sql_rc)) {
            ZAL_close(p);
            return -1;
        }
        pos += c.length;
    }

    // Only the bound part of the buffer is ever read, so only that part needs clearing.
    unsigned char *const used = &e.fetch_buf[1];
    const std::size_t used_len = static_cast<std::size_t>(pos - 1);
    std::memset(used, 0, used_len);
    SQLRETURN rc = s.cli.Fetch(s.hstmt);
    if (rc == SQL_NO_DATA_FOUND) {
        ZAL_close(p);
        return 0;
    }
    // A fetch that fails after rows were read ends the rows: those read so far count.
    while (row_fetched(rc)) {
        ++m.row_count;
        if (m.row_count <= SpatialSearch::max_rows) {
            for (int j = 1; j <= std::min(n, SpatialSearch::max_columns); ++j) {
                const col_info_rec &c = e.col_info[static_cast<std::size_t>(j)];
                m.results[static_cast<std::size_t>(m.row_count)][static_cast<std::size_t>(j)] =
                    round_long(lenient_number(ByteToStr(e.fetch_buf, c.offset, c.length)));
            }
        }
        std::memset(used, 0, used_len);
        rc = s.cli.Fetch(s.hstmt);
    }
    const bool none = m.row_count == 0;
    ZAL_close(p);
    if (none)
        return -1; // the first fetch failed
    return static_cast<int>(std::min<int32_t>(m.row_count, std::numeric_limits<int16_t>::max()));
}

void FormatError(Program &p) {
    p.message_box(after_prefixes(diagnostic_message(p)));
    ZAL_close(p);
}

int32_t get_homes(Program &p, const std::string &sql) {
    SpatialSearch &m = p.spatial;
    const int32_t n = SQLresults(p, sql);
    m.home_count = n;
    for (int32_t i = 1; i <= std::min(n, SpatialSearch::max_homes); ++i) {
        const auto &r = m.results[static_cast<std::size_t>(i)];
        m.homes[static_cast<std::size_t>(i)] = {r[1], r[2], r[3], r[4], r[6], r[5]};
    }
    return n;
}

} // namespace kestle
