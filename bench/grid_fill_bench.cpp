// The program's statement path filling a result grid against the raw fetch loop of the CLI over
// the same statement: 100 000 rows of five columns.
#include "bench_program.h"
#include "bench_support.h"
#include "grid.h"
#include "sql_exec.h"
#include "zal_output.h"

#include <zalapp.h>
#include <zalcli.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>

namespace {

constexpr int table_rows = 100000;
constexpr int columns = bench::bench_columns;
constexpr int rounds = 5;
constexpr double target = 1.5;
constexpr const char *query = bench::bench_query;

using bench::fail;
using bench::hdbc;

// What any client of the CLI does at the least: the columns bound once, every row fetched.
long raw_fetch() {
    SQLHSTMT h = 0;
    SQLAllocStmt(hdbc, &h);
    if (SQLPrepare(h, (SQLCHAR *)query, SQL_NTS) != SQL_SUCCESS || SQLExecute(h) != SQL_SUCCESS)
        fail(query, h);
    static unsigned char buffer[32000];
    SQLINTEGER indicator = 0;
    SQLUINTEGER size = 0;
    int pos = 0;
    for (SQLUSMALLINT c = 1; c <= columns; ++c) {
        SQLCHAR name[32];
        SQLSMALLINT name_len = 0, type = 0, scale = 0, nullable = 0;
        SQLDescribeCol(h, c, name, 32, &name_len, &type, &size, &scale, &nullable);
        const int length = static_cast<int>(std::min<SQLUINTEGER>(size, 1000)) + 16;
        SQLBindCol(h, c, SQL_C_CHAR, buffer + pos, length, &indicator);
        pos += length;
    }
    long rows = 0;
    SQLRETURN rc;
    while ((rc = SQLFetch(h)) == SQL_SUCCESS || rc == SQL_SUCCESS_WITH_INFO)
        ++rows;
    if (rc != SQL_NO_DATA_FOUND)
        fail("fetch", h);
    SQLFreeStmt(h, SQL_DROP);
    SQLEndTran(SQL_HANDLE_DBC, hdbc, SQL_COMMIT);
    return rows;
}

} // namespace

int main(int argc, char **argv) {
    bench::ProgramBench bench(argc, argv, "grid_fill_bench", table_rows);
    kestle::Program &program = bench.program();
    auto fill = [&program] {
        if (kestle::ZAL_sql(program, query, true) != 0) {
            std::fprintf(stderr, "grid_fill_bench: the statement failed\n");
            std::exit(1);
        }
    };
    fill();
    auto *out = dynamic_cast<kestle::ZALOutput *>(kestle::form_at(program, kestle::find_form(program, 2, 1)));
    if (raw_fetch() != table_rows || !out || out->DataValues->rows() != table_rows + 1) {
        std::fprintf(stderr, "grid_fill_bench: the two paths fetched different rows\n");
        return 1;
    }
    const double grid_s = bench::best_seconds(rounds, fill);
    const double raw_s = bench::best_seconds(rounds, [] { raw_fetch(); });

    std::printf("%d rows of %d columns: grid %.4f s, raw fetch %.4f s\n", table_rows, columns, grid_s, raw_s);
    std::printf("grid fill ratio: %.2f\n", grid_s / raw_s);
    std::printf("target: at most %.1f\n", target);

    return 0;
}
