// What the benchmarks share: a temporary instance with a connection, statements that must
// succeed, the best time of a few rounds and the line that reports a ratio.
#pragma once

#include "types.h"

#include <zalapp.h>
#include <zalcli.h>

#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <functional>
#include <string>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace bench {

inline SQLHENV henv = 0;
inline SQLHDBC hdbc = 0;
inline const char *program = "bench";

// Reports the diagnostic of a call that had to succeed, and ends the benchmark.
[[noreturn]] inline void fail(const std::string &what, SQLHSTMT hstmt) {
    SQLCHAR state[SQL_SQLSTATE_SIZE + 1] = {}, message[SQL_MAX_MESSAGE_LENGTH + 1] = {};
    SQLINTEGER native = 0;
    SQLSMALLINT length = 0;
    SQLError(henv, hdbc, hstmt, state, &native, message, sizeof message, &length);
    std::fprintf(stderr, "%s: %s: %s\n", program, what.substr(0, 200).c_str(), message);
    std::exit(1);
}

// Runs a statement without a result and commits.
inline void exec(const std::string &sql) {
    SQLHSTMT h = 0;
    SQLAllocStmt(hdbc, &h);
    if (SQLExecDirect(h, (SQLCHAR *)sql.c_str(), SQL_NTS) != SQL_SUCCESS)
        fail(sql, h);
    SQLFreeStmt(h, SQL_DROP);
    SQLEndTran(SQL_HANDLE_DBC, hdbc, SQL_COMMIT);
}

inline double best_seconds(int rounds, const std::function<void()> &work) {
    double best = 1e9;
    for (int i = 0; i < rounds; ++i) {
        const auto start = std::chrono::steady_clock::now();
        work();
        best = std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    return best;
}

// Processor time of the calling thread: a loaded machine disturbs it less than the clock.
inline double thread_seconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

inline double thread_seconds_of(const std::function<void()> &work) {
    const double start = thread_seconds();
    work();
    return thread_seconds() - start;
}

// A busy machine for as long as it lives: processes that spin on their own, ended by their ids.
class Spinners {
public:
    explicit Spinners(int count) {
        const pid_t parent = getpid();
        for (int i = 0; i < count; ++i) {
            const pid_t pid = fork();
            if (pid == 0) {
                // never outlives a benchmark that dies, even one that died before this line
                prctl(PR_SET_PDEATHSIG, SIGKILL);
                if (getppid() != parent)
                    _exit(0);
                static volatile int flag = 0;
                for (;;)
                    (void)flag;
            }
            if (pid > 0)
                pids_.push_back(pid);
        }
    }
    ~Spinners() {
        for (pid_t pid : pids_)
            kill(pid, SIGKILL);
        for (pid_t pid : pids_)
            waitpid(pid, nullptr, 0);
    }
    Spinners(const Spinners &) = delete;
    Spinners &operator=(const Spinners &) = delete;
    int count() const { return static_cast<int>(pids_.size()); }

private:
    std::vector<pid_t> pids_;
};

// How many processes spin while a benchmark that measures on a busy machine runs.
inline constexpr int busy_spinners = 6;

// The median of a few runs (of a ratio or a time) and their spread.
struct Spread {
    double median = 0, least = 0, most = 0;
    size_t runs = 0;
};

inline Spread spread_of(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    if (values.empty())
        return {};
    return {values[values.size() / 2], values.front(), values.back(), values.size()};
}

// Runs that each time two sides doing the same work, one right after the other: the ratio of the
// first to the second in each run, and the times of each side.
struct Pairs {
    Spread ratio, first, second;
};

inline Pairs measure_pairs(int runs, const std::function<double()> &first, const std::function<double()> &second) {
    std::vector<double> ratios, a, b;
    for (int i = 0; i < runs; ++i) {
        a.push_back(first());
        b.push_back(second());
        ratios.push_back(a.back() / b.back());
    }
    return {spread_of(ratios), spread_of(a), spread_of(b)};
}

// The line of a benchmark that measures on a busy machine: the median ratio of its runs, each of
// which timed both sides once, against its target, their spread, and MISSED when the median is over.
inline void report_median(const char *what, const Spread &r, double target, int spinners) {
    std::printf("%s ratio: median %.2f of %zu runs, spread %.2f-%.2f, %d processes spinning (target at most %.2f)%s\n",
                what, r.median, r.runs, r.least, r.most, spinners, target, r.median > target ? " MISSED" : "");
}

// The best times of two works run in turn, round by round, so that a change in the load of the
// machine falls on both alike.
inline std::pair<double, double> best_seconds_in_turn(int rounds, const std::function<void()> &a,
                                                      const std::function<void()> &b) {
    std::pair<double, double> best = {1e9, 1e9};
    for (int i = 0; i < rounds; ++i) {
        best.first = std::min(best.first, best_seconds(1, a));
        best.second = std::min(best.second, best_seconds(1, b));
    }
    return best;
}

// The line every benchmark ends with: its ratio against its target, and MISSED when it is over.
inline void report(const char *what, double ratio, double target) {
    std::printf("%s ratio: %.2f (target at most %.2f)%s\n", what, ratio, target, ratio > target ? " MISSED" : "");
}

// A temporary instance in ZAL_HOME, set up and connected to SAMPLE for the benchmark's life.
class Instance {
public:
    explicit Instance(const char *name) {
        program = name;
        std::string pattern = (std::filesystem::temp_directory_path() / (std::string(name) + "-XXXXXX")).string();
        if (!mkdtemp(pattern.data())) {
            std::perror(name);
            std::exit(1);
        }
        home_ = pattern;
        setenv("ZAL_HOME", pattern.c_str(), 1);
        zal_sqlca ca{};
        if (zalStartManager(nullptr, &ca) != 0) {
            std::fprintf(stderr, "%s: the manager did not start: %.70s\n", name, ca.sqlerrmc);
            std::exit(1);
        }
        SQLAllocEnv(&henv);
        SQLAllocConnect(henv, &hdbc);
        if (SQLConnect(hdbc, (SQLCHAR *)"SAMPLE", SQL_NTS, (SQLCHAR *)"", SQL_NTS, (SQLCHAR *)"", SQL_NTS) !=
            SQL_SUCCESS)
            fail("connect", 0);
    }
    ~Instance() {
        SQLDisconnect(hdbc);
        SQLFreeConnect(hdbc);
        SQLFreeEnv(henv);
        std::error_code ec;
        std::filesystem::remove_all(home_, ec);
    }
    Instance(const Instance &) = delete;
    Instance &operator=(const Instance &) = delete;

private:
    std::filesystem::path home_;
};

// The table BENCH: rows of an integer, a text, a decimal, a date and a double.
inline constexpr const char *bench_query = "SELECT ID, NAME, AMOUNT, DAY, RATIO FROM BENCH";
inline constexpr int bench_columns = 5;

inline void create_bench_table(int rows) {
    exec("CREATE TABLE BENCH (ID INTEGER NOT NULL, NAME VARCHAR(30), AMOUNT DECIMAL(9,2), DAY DATE, RATIO DOUBLE)");
    exec("INSERT INTO BENCH WITH RECURSIVE N(I) AS (SELECT 1 UNION ALL SELECT I + 1 FROM N WHERE I < " +
         std::to_string(rows) +
         ") SELECT I, 'name of row ' || I, (I % 100000) / 100.0, date('2000-01-01', '+' || (I % 9000) || ' days'),"
         " I / 7.0 FROM N");
}

// The types of a raw statement's columns as the interface reads them, so that the raw side of a
// benchmark turns its values into text as the interface does (zal::append_value_text). An
// expression has no declared type.
inline std::vector<zal::ColumnType> declared_types(sqlite3_stmt *s) {
    std::vector<zal::ColumnType> types;
    for (int c = 0; c < sqlite3_column_count(s); ++c) {
        const char *declared = sqlite3_column_decltype(s, c);
        types.push_back(zal::parse_declared_type(declared ? declared : ""));
    }
    return types;
}

// Appends the current row of a raw statement to out: its values joined by TAB, NULL as null.
inline void append_row(sqlite3_stmt *s, const std::vector<zal::ColumnType> &types, const char *null,
                       std::string &out) {
    for (size_t c = 0; c < types.size(); ++c) {
        if (c)
            out += '\t';
        if (!zal::append_value_text(s, static_cast<int>(c), types[c], out))
            out += null;
    }
}

} // namespace bench
