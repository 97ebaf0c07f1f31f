// The command line processor writing 100 000 rows of five columns to a report file (-o- -z),
// against a plain program that steps the engine and writes each row as text. Both are started
// as processes, so each side pays its own start and connection; both write the values as the
// interface converts them, and the two files are checked to hold the same values.
#include "ascii.h"
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
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;

constexpr int table_rows = 100000;
constexpr int rounds = 5;
constexpr double target = 1.3;
constexpr const char *query = bench::bench_query;

using Rows = std::vector<std::vector<std::string>>;

// The plain program: every row as its values separated by tabs, NULL as "-".
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
    std::string line;
    while (sqlite3_step(s) == SQLITE_ROW) {
        line.clear();
        bench::append_row(s, types, "-", line);
        line += '\n';
        std::fwrite(line.data(), 1, line.size(), out);
    }
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

// The report's rows, cut at the columns that its rule line of dashes marks; empty when the
// report does not end with the count of all its rows.
Rows report_rows(const std::string &report) {
    std::istringstream in(report);
    std::string header, rule, line;
    std::getline(in, header);
    std::getline(in, rule);
    std::vector<std::pair<size_t, size_t>> columns; // start and width
    for (size_t at = 0; at < rule.size();) {
        const size_t end = std::min(rule.find(' ', at), rule.size());
        columns.emplace_back(at, end - at);
        at = end + 1;
    }
    Rows rows;
    while (std::getline(in, line) && !line.empty()) {
        std::vector<std::string> row;
        for (const auto &[start, width] : columns)
            row.push_back(zal::trim(start < line.size() ? line.substr(start, width) : ""));
        rows.push_back(std::move(row));
    }
    std::getline(in, line);
    return line == "  " + std::to_string(rows.size()) + " record(s) selected." ? rows : Rows{};
}

Rows raw_rows(const std::string &text) {
    std::istringstream in(text);
    Rows rows;
    for (std::string line; std::getline(in, line);) {
        std::vector<std::string> row;
        std::istringstream fields(line);
        for (std::string field; std::getline(fields, field, '\t');)
            row.push_back(field);
        rows.push_back(std::move(row));
    }
    return rows;
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

    // the least processor time of a few runs
    auto best = [](const std::vector<std::string> &args, const char *what) {
        double least = 1e9;
        for (int i = 0; i < rounds; ++i) {
            double seconds = 0;
            if (!run_process(args, seconds)) {
                std::fprintf(stderr, "zal_export_bench: %s failed\n", what);
                std::exit(1);
            }
            least = std::min(least, seconds);
        }
        return least;
    };
    const std::vector<std::string> by_zal_args = {zal, "-o-", "-z", report, query};
    const std::vector<std::string> by_raw_args = {self, "raw", database, plain};
    const double zal_s = best(by_zal_args, "zal");
    const double raw_s = best(by_raw_args, "the plain program");
    // the files that the last runs of each side wrote
    const Rows by_zal = report_rows(read_file(report));
    const Rows by_raw = raw_rows(read_file(plain));
    fs::remove(report);
    fs::remove(plain);
    if (by_zal.size() != table_rows || by_zal != by_raw) {
        std::fprintf(stderr, "zal_export_bench: the report and the plain program's file hold different values\n");
        return 1;
    }

    std::printf("export of %d rows of %d columns to a report, processor time: zal %.4f s, plain program %.4f s\n",
                table_rows, bench::bench_columns, zal_s, raw_s);
    bench::report("export", zal_s / raw_s, target);
    return 0;
}
