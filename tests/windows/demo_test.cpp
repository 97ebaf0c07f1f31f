// The demonstration's own files. Its presentation played from its first sql node to its last,
// as the presenter clicks them, on a fresh SAMPLE: the tools that would open windows (the text
// editor, the terminal) are stand-ins that record their call; the product's own tools run. Its
// help pages and notes against what the windows show.
#include "app_fixture.h"

#include "data_chart.h"
#include "interaction_commands.h"
#include "keyed_toolbar.h"
#include "presentation.h"
#include "zal_findpics.h"
#include "zal_graph.h"
#include "zal_messages.h"
#include "zal_perf_plot.h"
#include "zal_spatial.h"
#include "zal_toolbar.h"
#include "zal_viewers.h"
#include "zal_wmf.h"

#include <QAction>

#include <algorithm>
#include <cctype>
#include <fstream>
#include <functional>
#include <map>
#include <set>

using namespace kestle;
using namespace kestle_test;
namespace fs = std::filesystem;

namespace {

constexpr const char *presentation = "kestle.sql";

// The runs that demonstrate an error, as their notes say, each with a piece of what its status
// line then shows.
const std::map<std::string, std::string> meant_to_fail = {
    {"A query that finds nothing", "No records found"},
    {"A duplicate key is refused", "SQL0803N"},
};

// The files that a control file includes.
std::vector<std::string> includes_of(const fs::path &file) {
    std::vector<std::string> names;
    std::ifstream in(file);
    for (std::string line; std::getline(in, line);)
        if (line.starts_with(":include "))
            names.push_back(trim(line.substr(9)));
    return names;
}

// The control files of demo/: the .sql files whose first line opens a record.
std::set<std::string> control_files() {
    std::set<std::string> names;
    for (const auto &e : fs::directory_iterator(source_dir() / "demo")) {
        std::ifstream in(e.path());
        std::string first;
        if (e.path().extension() == ".sql" && std::getline(in, first) && first.starts_with(':'))
            names.insert(e.path().filename().string());
    }
    return names;
}

// A "%" line is a command of its own only up to a ";": without one, the lines after it become
// words of the command and never run.
void expect_commands_end_on_their_line(const std::string &sql) {
    for (const std::string &stmt : split_run_text(sql, false)) {
        const std::size_t start = stmt.find_first_not_of("~^ ");
        if (start == std::string::npos || stmt[start] != '%')
            continue;
        const std::size_t line_end = stmt.find('~', start);
        if (line_end != std::string::npos) {
            EXPECT_EQ(stmt.find_first_not_of("~^ ", line_end), std::string::npos)
                << "no \";\" after " << stmt.substr(start, line_end - start);
        }
    }
}

// The keywords of the commands in a control file's statements.
std::set<std::string> commands_of(const fs::path &file) {
    std::set<std::string> keywords;
    std::ifstream in(file);
    for (std::string line; std::getline(in, line);) {
        const std::string t = trim(line);
        std::size_t end = 1;
        while (end < t.size() && std::isalnum(static_cast<unsigned char>(t[end])))
            ++end;
        if (t.starts_with('%') && end > 1)
            keywords.insert(upper(t.substr(1, end - 1)));
    }
    return keywords;
}

class DemoTest : public AppTest {
protected:
    DemoTest() {
        for (const auto &e : fs::directory_iterator(source_dir() / "demo"))
            if (e.is_regular_file())
                fs::copy_file(e.path(), fx.dir / e.path().filename());
        write_script(tools / "editor", "echo \"$1\" > '" + tools.path().string() + "'/\"$1\".opened\n");
        write_script(tools / "terminal", "echo \"$@\" > '" + (tools / "terminal.args").string() + "'\n");
    }

    std::string recorded(const std::string &name) {
        EXPECT_TRUE(wait_for_file(tools / name, 60)) << name;
        return read_text(tools / name);
    }

    // The newest query of the run that opened a result is what the output window shows: its
    // caption, and the columns and rows another client gets for the same statement.
    void expect_output_of_newest_query(int logged_before) {
        const int added = queries().topLevelItemCount() - logged_before;
        for (int i = 0; i < added; ++i) {
            const QTreeWidgetItem *run = queries().topLevelItem(i);
            const std::string image = node_image(run);
            if (!image.starts_with('c'))
                continue;
            ZALOutput *out = output(program().forms.cur_sql_slot);
            ASSERT_NE(out, nullptr);
            EXPECT_EQ(out->windowTitle().toStdString(), node_text(run) + "...");
            const Result expected = query(node_tag(run->child(0)));
            ASSERT_TRUE(expected.ok()) << expected.message;
            Grid &g = *out->DataValues;
            EXPECT_EQ(grid_row(g, 0), expected.columns);
            ASSERT_EQ(g.rows() - 1, static_cast<int>(expected.rows.size()));
            for (int r = 1; r < g.rows(); ++r) {
                std::vector<std::string> cells = expected.rows[static_cast<std::size_t>(r - 1)];
                for (std::string &c : cells)
                    if (c == "<null>")
                        c.clear();
                EXPECT_EQ(grid_row(g, r), cells) << "row " << r;
            }
            return;
        }
    }

    TempDir tools;
    EnvVar visual{"VISUAL", (tools / "editor").string()};
    EnvVar terminal{"TERMINAL", (tools / "terminal").string()};
    EnvVar path{"PATH", tools.path().string() + ":" + bin_dir().string() + ":/usr/bin:/bin"};
};

TEST_F(DemoTest, TheMainPresentationHoldsEveryControlFile) {
    std::set<std::string> reached{presentation};
    for (std::vector<std::string> next{presentation}; !next.empty();) {
        const std::string file = next.back();
        next.pop_back();
        for (const std::string &name : includes_of(source_dir() / "demo" / file))
            if (reached.insert(name).second)
                next.push_back(name);
    }
    EXPECT_EQ(reached, control_files());
}

TEST_F(DemoTest, EveryRunEndsAsItsAuthorMeant) {
    bool complete = false;
    ASSERT_GT(readops(program(), presentation, &complete), 0);
    ASSERT_TRUE(complete);
    open_sql();
    dialogs().input_answers = {std::string("R20")};

    // A record whose notes say that it can be clicked again: the second run completes too and
    // shows its result anew.
    auto runs_again = [&](int n) {
        const int logged = queries().topLevelItemCount();
        click_record(n);
        EXPECT_EQ(status(), "Command completed");
        expect_output_of_newest_query(logged);
    };
    // What the runs of some records leave beside their status line and output window.
    const std::map<std::string, std::function<void(int)>> leaves = {
        {"Sales by region as bars",
         [&](int) { EXPECT_EQ(program().graph().Chart->drawn().kind, DataChart::Kind::Bar); }},
        {"Monthly sales of each region as lines",
         [&](int) {
             const DataChart::Drawing d = program().graph().Chart->drawn();
             EXPECT_EQ(d.kind, DataChart::Kind::Line);
             EXPECT_GT(d.series.size(), 1u);
         }},
        {"Create a table for notes when it is missing", runs_again},
        {"Make a table of sensor readings",
         [&](int n) {
             runs_again(n);
             EXPECT_EQ(query("SELECT COUNT(*) FROM SENSOR_READING_IX").rows.at(0).at(0), "100000");
         }},
        {"Time one statement twenty times",
         [&](int) {
             const DataChart::Drawing d = program().perf_plot().Chart->drawn();
             ASSERT_EQ(d.series.size(), 1u);
             EXPECT_EQ(d.series[0].points.size(), 20u);
         }},
        {"Compare a search with and without an index",
         [&](int) {
             EXPECT_EQ(program().perf_plot().Chart->drawn().categories,
                       (std::vector<std::string>{"No index", "Index on SENSOR_NO"}));
         }},
        {"Pick a department and list its people",
         [&](int) { EXPECT_EQ(var_sub(program().vars, "[DEPT]"), "R20"); }},
        {"Ask before a report",
         [&](int) {
             EXPECT_EQ(dialogs().shown.back().title, "Sales report");
             ASSERT_NE(program().forms.message_window, nullptr);
             EXPECT_FALSE(program().forms.message_window->frame()->isVisible());
         }},
        {"The program's variables",
         [&](int) {
             std::vector<std::vector<std::string>> rows;
             for (Form *f : program().forms.windows.open())
                 if (auto *out = dynamic_cast<ZALOutput *>(f); out && out->windowTitle() == "ZALDEMO variables")
                     for (int r = 1; r < out->DataValues->rows(); ++r)
                         rows.push_back(grid_row(*out->DataValues, r));
             EXPECT_NE(std::ranges::find(rows, std::vector<std::string>{"DEPT", "R20"}), rows.end());
         }},
        {"How the database runs a join",
         [&](int) {
             ASSERT_NE(program().forms.view_text, nullptr);
             EXPECT_TRUE(program().forms.view_text->isVisible());
             EXPECT_EQ(program().view_text().text().rfind("Cost = ", 0), 0u);
         }},
        {"A script for the command line processor",
         [&](int) {
             EXPECT_EQ(recorded("ZALCMDS.OUT.opened"), "ZALCMDS.OUT\n");
             EXPECT_NE(read_text(fx.dir / tool_output_file).find("Sensor Research"), std::string::npos);
         }},
        {"A system command",
         [&](int) {
             EXPECT_EQ(recorded("ZALSYSTEM.TXT.opened"), "ZALSYSTEM.TXT\n");
             EXPECT_FALSE(read_text(fx.dir / "ZALSYSTEM.TXT").empty());
         }},
        {"A command window", [&](int) { EXPECT_FALSE(recorded("terminal.args").empty()); }},
    };

    const ControlFile &c = program().control;
    std::set<std::string> failed, looked_at;
    for (int n = 1; n <= c.stmt_count; ++n) {
        const stmt_rec r = c.record(n);
        if (r.kind != kind_sql)
            continue;
        SCOPED_TRACE(r.title);
        expect_commands_end_on_their_line(r.sql);
        const int logged = queries().topLevelItemCount();
        click_record(n);
        if (auto meant = meant_to_fail.find(r.title); meant != meant_to_fail.end()) {
            failed.insert(r.title);
            EXPECT_FALSE(r.info.empty()) << "its notes say that it fails";
            EXPECT_NE(status().find(meant->second), std::string::npos) << status();
        } else {
            EXPECT_EQ(status(), "Command completed");
        }
        expect_output_of_newest_query(logged);
        if (auto l = leaves.find(r.title); l != leaves.end()) {
            l->second(n);
            looked_at.insert(r.title);
        }
    }
    EXPECT_EQ(failed.size(), meant_to_fail.size());
    EXPECT_EQ(looked_at.size(), leaves.size());
    // The presenter answered the prompt and the question, and saw no other box.
    std::vector<std::string> kinds;
    for (const ScriptedDialogs::Shown &s : dialogs().shown)
        kinds.push_back(s.kind + " " + s.title);
    EXPECT_EQ(kinds, (std::vector<std::string>{"input Department", "message Sales report"}));
}

// A key with a tip is named by it on its window's help page; the picture beside it is a matter of
// the icon theme and is read by eye.
TEST_F(DemoTest, TheHelpPagesNameTheKeysAndCommandsThatTheScreenShows) {
    const std::string help = read_text(source_dir() / "demo/kestle.htm");
    const struct {
        const char *page;
        const KeyedToolBar *bar;
    } bars[] = {
        {"kestle.htm", program().master().TB}, {"kestle.htm", open_sql().TB},
        {"kestle.htm", program().tools().TB},  {"kestle.htm", program().wmf().TB},
        {"picdemo.htm", program().findpics().TB}, {"spatialdemo.htm", program().spatial_window().TB},
    };
    for (const auto &b : bars) {
        const std::string page = read_text(source_dir() / "demo" / b.page);
        for (const QAction *key : b.bar->actions()) {
            const std::string tip = bytes(key->toolTip());
            if (!tip.empty()) {
                EXPECT_NE(page.find('"' + tip + '"'), std::string::npos) << b.page << " lacks " << tip;
            }
        }
    }
    for (const std::string &file : control_files())
        for (const std::string &keyword : commands_of(source_dir() / "demo" / file))
            EXPECT_NE(help.find('%' + keyword), std::string::npos) << "kestle.htm lacks %" << keyword;
    // The windows' measures are the program's business, not the presenter's.
    for (const auto &e : fs::directory_iterator(source_dir() / "demo"))
        if (e.path().extension() == ".htm" || e.path().extension() == ".sql") {
            EXPECT_EQ(upper(read_text(e.path())).find("TWIP"), std::string::npos) << e.path().filename();
        }
}

} // namespace
