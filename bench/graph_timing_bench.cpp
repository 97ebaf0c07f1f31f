// GRAPH's recorded milliseconds against the raw engine's prepare-step-finalize of the same
// statement: a COUNT over 100 000 rows that takes a few milliseconds, averaged over as many
// runs on each side, each side after one warm-up run.
#include "bench_program.h"
#include "bench_support.h"
#include "connection.h"
#include "data_chart.h"
#include "grid.h"
#include "instance.h"
#include "runner.h"
#include "sql_exec.h"
#include "timing_runs.h"
#include "zal_output.h"
#include "zal_perf_plot.h"

#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>

namespace {

constexpr int table_rows = 100000;
constexpr int repeat = 50; // the most GRAPH records
constexpr int rounds = 10;
constexpr double target = 1.1;
constexpr const char *statement = "SELECT COUNT(*) FROM BENCH WHERE AMOUNT > 500";

// The milliseconds of each run as GRAPH drew them, averaged.
double graph_average(kestle::Program &p) {
    kestle::do_cmd(p, "%GRAPH REPEAT=" + std::to_string(repeat) + " SQL='" + statement + "'", true);
    if (!p.forms.perf_plot || p.forms.perf_plot->Chart->row_count() != repeat) {
        std::fprintf(stderr, "graph_timing_bench: GRAPH did not record %d runs\n", repeat);
        std::exit(1);
    }
    const kestle::DataChart &chart = *p.forms.perf_plot->Chart;
    double total = 0;
    for (int r = 1; r <= repeat; ++r)
        total += chart.data(r, 1).value_or(0);
    return total / repeat;
}

long long raw_count(sqlite3 *db) {
    sqlite3_stmt *s = nullptr;
    long long count = -1;
    if (sqlite3_prepare_v2(db, statement, -1, &s, nullptr) == SQLITE_OK && sqlite3_step(s) == SQLITE_ROW)
        count = sqlite3_column_int64(s, 0);
    sqlite3_finalize(s);
    return count;
}

// The raw engine's milliseconds of one prepare-step-finalize, recorded as GRAPH records a run
// and averaged in the same way.
double raw_average(sqlite3 *db) {
    raw_count(db);
    double total = 0;
    for (int i = 0; i < repeat; ++i) {
        const auto start = std::chrono::steady_clock::now();
        raw_count(db);
        total += kestle::run_ms(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    return total / repeat;
}

} // namespace

int main(int argc, char **argv) {
    bench::ProgramBench bench(argc, argv, "graph_timing_bench", table_rows);
    kestle::Program &program = bench.program();

    sqlite3 *db = nullptr;
    if (sqlite3_open_v2(zal::database_path("SAMPLE").c_str(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        std::fprintf(stderr, "graph_timing_bench: cannot open the database file\n");
        return 1;
    }
    // The same page cache as the product's connections, so both sides read from memory alike.
    sqlite3_exec(db, ("PRAGMA cache_size=-" + std::to_string(zal::page_cache_kib)).c_str(), nullptr, nullptr, nullptr);
    // The program's statement path counts what the raw engine counts.
    auto *out = kestle::ZAL_sql(program, statement, true) == 0
                    ? dynamic_cast<kestle::ZALOutput *>(kestle::form_at(program, kestle::find_form(program, kestle::window_output, 1)))
                    : nullptr;
    const long long counted = raw_count(db);
    if (!out || counted <= 0 || out->DataValues->text_matrix(1, 0) != std::to_string(counted)) {
        std::fprintf(stderr, "graph_timing_bench: the two paths counted differently\n");
        return 1;
    }

    // Rounds taken in turn, so both sides see the same state of the machine; the best of each.
    double graph_ms = 1e9, raw_ms = 1e9;
    for (int i = 0; i < rounds; ++i) {
        graph_ms = std::min(graph_ms, graph_average(program));
        raw_ms = std::min(raw_ms, raw_average(db));
    }
    sqlite3_close(db);

    std::printf("%s over %d rows (count %lld), %d runs: GRAPH %.3f ms, raw %.3f ms\n", statement, table_rows, counted,
                repeat, graph_ms, raw_ms);
    bench::report("GRAPH timing", graph_ms / raw_ms, target);
    return 0;
}
