// The command line processor writing 100 000 rows of five columns to a report file (-o- -z),
// against a plain program that steps the engine and writes the same report. Both are started as
// processes, so each side pays its own start and connection; both write the values as the
// interface converts them, and the two files are checked to hold the same bytes. Five runs on a
// busy machine, each of which runs both.
#include "bench_support.h"
#include "instance.h"
#include "types.h"

#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;

constexpr int table_rows = 100000;
constexpr int runs = 5;
constexpr double target = 1.15;
constexpr const char *query = bench::bench_query;

// The report's columns of the BENCH table: as wide as their values may be, numbers on the right.
struct ReportColumn {
    const char *name;
    size_t width;
    bool right;
};
constexpr ReportColumn report_columns[bench::bench_columns] = {
    {"ID", 11, true}, {"NAME", 30, false}, {"AMOUNT", 11, true}, {"DAY", 10, false}, {"RATIO", 22, true}};

// Appends a value padded to its column of the report.
void append_cell(std::string &line, size_t column, std::string_view value) {
    const ReportColumn &col = report_columns[column];
    const size_t fill = col.width > value.size() ? col.width - value.size() : 0;
    if (column)
        line += ' ';
    if (col.right)
        line.append(fill, ' ');
    line += value;
    if (!col.right)
        line.append(fill, ' ');
}

// A line of the report has no blanks at its end.
void end_line(std::string &line) {
    line.erase(line.find_last_not_of(' ') + 1);
    line += '\n';
}

// The plain program: the report of the query, NULL as "-".
int raw_export(const char *database, const char *output) {
    sqlite3 *db = nullptr;
    sqlite3_stmt *s = nullptr;
    if (sqlite3_open_v2(database, &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK ||
        sqlite3_prepare_v2(db, query, -1, &s, nullptr) != SQLITE_OK)
        return 1;
    FILE *out = std::fopen(output, "wb");
    if (!out)
        return 1;
    const std::vector<zal::ColumnType> types = bench::declared_types(s);
    std::string line, rule, text;
    for (size_t c = 0; c < types.size(); ++c) {
        append_cell(line, c, report_columns[c].name);
        rule.append(c ? " " : "").append(report_columns[c].width, '-');
    }
    end_line(line);
    line += rule + '\n';
    std::fwrite(line.data(), 1, line.size(), out);
    long rows = 0;
    while (sqlite3_step(s) == SQLITE_ROW) {
        line.clear();
        for (size_t c = 0; c < types.size(); ++c) {
            text.clear();
            if (!zal::append_value_text(s, static_cast<int>(c), types[c], text))
                text = "-";
            append_cell(line, c, text);
        }
        end_line(line);
        std::fwrite(line.data(), 1, line.size(), out);
        ++rows;
    }
    const std::string count = "\n  " + std::to_string(rows) + " record(s) selected.\n\n";
    std::fwrite(count.data(), 1, count.size(), out);
    sqlite3_finalize(s);
    sqlite3_close(db);
    return std::fclose(out) == 0 ? 0 : 1;
}

// Runs a program to its end; false when it fails. Adds the processor time it took (user and
// system), which a loaded machine disturbs less than the time on the clock.
bool run_process(const std::vector<std::string> &args, double &seconds) {
    std::vector<char *> argv;
    for (const std::string &a : args)
        argv.push_back(const_cast<char *>(a.c_str()));
    argv.push_back(nullptr);
    const pid_t pid = fork();
    if (pid == 0) {
        execv(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    seconds = double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
              double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

std::string read_file(const fs::path &file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

} // namespace

int main(int argc, char **argv) {
    if (argc == 4 && std::strcmp(argv[1], "raw") == 0)
        return raw_export(argv[2], argv[3]);

    bench::Instance instance("zal_export_bench");
    bench::create_bench_table(table_rows);
    const std::string database = zal::database_path("SAMPLE").string();
    const fs::path dir = fs::temp_directory_path();
    const std::string report = (dir / ("zal_export_bench-" + std::to_string(getpid()) + ".out")).string();
    const std::string plain = (dir / ("zal_export_bench-" + std::to_string(getpid()) + ".txt")).string();
    const std::string self = fs::read_symlink("/proc/self/exe").string();
    const std::string zal = (fs::path(KESTLE_BIN_DIR) / "zal").string();
    setenv("ZAL_DATABASE", "SAMPLE", 1);

    auto timed = [](const std::vector<std::string> &args, const char *what) {
        double seconds = 0;
        if (!run_process(args, seconds)) {
            std::fprintf(stderr, "zal_export_bench: %s failed\n", what);
            std::exit(1);
        }
        return seconds;
    };
    const std::vector<std::string> by_zal = {zal, "-o-", "-z", report, query};
    const std::vector<std::string> by_raw = {self, "raw", database, plain};
    bench::Pairs pairs;
    int spinning = 0;
    {
        const bench::Spinners busy(bench::busy_spinners);
        spinning = busy.count();
        pairs = bench::measure_pairs(
            runs, [&] { return timed(by_zal, "zal"); }, [&] { return timed(by_raw, "the plain program"); });
    }
    // the files that the last runs of each side wrote
    const std::string zal_text = read_file(report), raw_text = read_file(plain);
    fs::remove(report);
    fs::remove(plain);
    if (zal_text.find("  " + std::to_string(table_rows) + " record(s) selected.") == std::string::npos ||
        zal_text != raw_text) {
        std::fprintf(stderr, "zal_export_bench: the report and the plain program's file differ\n");
        return 1;
    }

    std::printf("export of %d rows of %d columns to a report, processor time, median: zal %.4f s, plain program "
                "%.4f s\n",
                table_rows, bench::bench_columns, pairs.first.median, pairs.second.median);
    bench::report_median("export", pairs.ratio, target, spinning);
    return 0;
}
