// The program started on control files that hold very large pieces (a note of one long line, a
// long title, a long statement), timed to its first answer: start-up, then the window painted
// and its events handled; for the statement, its click in the tree until the error is shown
// and the window answers again. The median of a few starts; target: at most 2 seconds each.
// An argument n runs the n-th case alone (from 0), for a profiler.
#include "bench_program.h"
#include "bench_support.h"
#include "program.h"
#include "startup.h"
#include "tree.h"
#include "work_file.h"
#include "zal_master.h"
#include "zal_sql.h"

#include <QApplication>
#include <QTreeWidget>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

constexpr double target = 2.0;
constexpr int rounds = 3; // the median is told

struct Case {
    const char *what;
    std::string text;
    bool click_statement; // the answer timed is the one to a click on record 2
};

double seconds_since(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// The windows as the presenter sees them: every pending event handled and the main window
// painted whole.
void settle(kestle::Program &program) {
    QApplication::processEvents();
    (void)program.master().grab();
    QApplication::processEvents();
}

QTreeWidgetItem *node_of(QTreeWidget &tree, int record) {
    for (QTreeWidgetItemIterator it(&tree); *it; ++it)
        if (kestle::node_tag(*it) == " " + std::to_string(record))
            return *it;
    return nullptr;
}

[[noreturn]] void fail(const Case &c, const std::string &why) {
    std::fprintf(stderr, "first_answer_bench: %s: %.200s\n", c.what, why.c_str());
    std::exit(1);
}

// One start of a fresh program on the case's file: the seconds to its answer.
double first_answer(const Case &c, const fs::path &file) {
    bench::NoDialogs dialogs;
    kestle::Program program(dialogs);
    auto start = std::chrono::steady_clock::now();
    kestle::Main(program, "file=" + file.string());
    settle(program);
    if (program.control.stmt_count != 2)
        fail(c, std::to_string(program.control.stmt_count) + " records read, not 2");
    if (!c.click_statement)
        return seconds_since(start);
    QTreeWidgetItem *node = node_of(*program.master().TV, 2);
    kestle::ZALSQL *sql = program.forms.cur_sql_form;
    if (!node || !sql)
        fail(c, "no statement node or SQL window");
    start = std::chrono::steady_clock::now();
    emit program.master().TV->itemClicked(node, 0);
    settle(program);
    const double seconds = seconds_since(start);
    if (sql->status_text().find("SQLSTATE") == std::string::npos)
        fail(c, "no error shown: " + sql->status_text());
    return seconds;
}

void run(const Case &c, const fs::path &dir) {
    const fs::path file = dir / "large.sql";
    if (!kestle::write_work_file(file.string(), c.text))
        fail(c, "cannot write " + file.string());
    std::vector<double> times;
    for (int i = 0; i < rounds; ++i)
        times.push_back(first_answer(c, file));
    std::sort(times.begin(), times.end());
    const double median = times[times.size() / 2];
    std::printf("%-44s %6.2f s  (target at most %.0f s)%s\n", c.what, median, target,
                median > target ? "  MISSED" : "");
}

} // namespace

int main(int argc, char **argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    bench::Instance instance("first_answer_bench");
    std::string pattern = (fs::temp_directory_path() / "first_answer_bench-dir-XXXXXX").string();
    if (!mkdtemp(pattern.data())) {
        std::perror("first_answer_bench");
        return 1;
    }
    const fs::path dir = pattern;
    fs::current_path(dir);

    auto notes = [](int mib) { return ":section Notes\n{\n" + std::string(mib << 20, 'x') + "\n}\n:sql Q\nVALUES 1\n"; };
    const Case cases[] = {
        {"notes of one line of 1 MiB, at start-up", notes(1), false},
        {"notes of one line of 2 MiB, at start-up", notes(2), false},
        {"notes of one line of 10 MiB, at start-up", notes(10), false},
        {"section title of 10 MB, at start-up", ":section " + std::string(10'000'000, 'T') + "\n:sql Q\nVALUES 1\n",
         false},
        {"statement of 10 MB, clicked in the tree",
         ":section S\n:sql Big\nSELECT " + std::string(10'000'000, 'x') + " FROM T\n", true},
    };
    const int only = argc > 1 ? std::atoi(argv[1]) : -1;
    for (int i = 0; i < static_cast<int>(std::size(cases)); ++i)
        if (only < 0 || only == i)
            run(cases[i], dir);

    fs::current_path(fs::temp_directory_path());
    std::error_code ec;
    fs::remove_all(dir, ec);
    return 0;
}
