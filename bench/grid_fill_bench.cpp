// The program's statement path filling a result grid against the raw fetch loop of the CLI over
// the same statement: 100 000 rows of five columns.
#include "bench_support.h"
#include "dialogs.h"
#include "grid.h"
#include "messages.h"
#include "program.h"
#include "session.h"
#include "settings.h"
#include "sql_exec.h"
#include "zal_master.h"
#include "zal_output.h"
#include "zal_sql.h"

#include <zalapp.h>
#include <zalcli.h>

#include <QApplication>

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

// No box is ever wanted here: every question is answered at once.
class NoDialogs : public kestle::Dialogs {
public:
    kestle::Answer message(const std::string &text, const std::string &, kestle::MessageIcon,
                           kestle::MessageButtons) override {
        std::fprintf(stderr, "grid_fill_bench: %s\n", text.c_str());
        return kestle::Answer::Ok;
    }
    std::optional<std::string> input(const std::string &, const std::string &, const std::string &) override {
        return std::nullopt;
    }
    std::optional<std::string> open_file(const std::string &, const std::string &, const std::string &) override {
        return std::nullopt;
    }
    std::optional<kestle::FontChoice> font(const kestle::FontChoice &, const std::string &) override {
        return std::nullopt;
    }
};

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
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    bench::Instance instance("grid_fill_bench");
    bench::create_bench_table(table_rows);

    // The program as it runs a statement from an SQL window.
    NoDialogs dialogs;
    kestle::Program program(dialogs);
    kestle::set_defaults(program.settings, program.vars, program.run, program.notes,
                         std::filesystem::temp_directory_path().string());
    kestle::set_messages(program.messages);
    program.master().show();
    if (kestle::ZAL_connect(program, "SAMPLE", "", "") != 0 || !program.master().open_sql_window(false))
        return 1;
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
