// Running one SQL statement and presenting it: the query log, the timing and the result grid.
#pragma once

#include <zalcli.h>

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace kestle {

class Program;

// Where a result column lies in the row buffer.
struct col_info_rec {
    int32_t offset = 0; // 1-based position in fetch_buf
    int32_t length = 0; // bytes bound: the column size (at most 1000) + 16
    bool wide = false;  // the column size exceeds 32: its cells open in the text viewer
};

// Statement execution: the row buffer, the column table of the latest result, run counting.
struct Execution {
    static constexpr int fetch_buf_size = 32000;
    static constexpr int max_columns = 255;
    std::array<unsigned char, fetch_buf_size + 1> fetch_buf{}; // 1 to 32000; 0 unused
    std::array<col_info_rec, max_columns + 1> col_info{};     // 1 to 255; 0 unused
    int64_t run_count = 0; // interactive runs logged so far (not limited to 16 bits)
    int out_color = 0;     // colour 1 to 14 of the latest result
    double sql_time = 0;   // seconds of the latest statement
    bool no_rows = false;  // the latest statement was a query that found no rows: its -1 is
                           // no failure
    std::string silent_error;  // the message of the latest silent run that failed
};

// Prepares and executes text on the statement handle already allocated, stopping at the step
// that fails; the code goes to sql_rc and is returned. Each caller reports a failure its own way.
SQLRETURN prepare_execute(Program &p, std::string_view text);
// Allocates the statement handle, then prepares and executes text on it in the same way.
SQLRETURN run_statement(Program &p, std::string_view text);

// 0 on success, -1 on every failure and on a query that returns no rows.
int ZAL_sql(Program &p, const std::string &sql, bool interactive);
// The first column of the first row of a query, in the text viewer. Always 0.
int ZAL_view(Program &p, const std::string &sql);

} // namespace kestle
