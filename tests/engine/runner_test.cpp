#include "app_fixture.h"

#include "keyed_toolbar.h"
#include "runner.h"
#include "zal_graph.h"
#include "zal_toolbar.h"

#include <QLabel>
#include <QTimer>

using namespace kestle;
using namespace kestle_test;
namespace fs = std::filesystem;

namespace {

class RunnerTest : public AppTest {
protected:
    RunnerTest() { EXPECT_TRUE(query("CREATE TABLE T (A INTEGER)").ok()); }
    void run(const std::string &text, bool interactive = true) { runit(program(), interactive, text); }
    std::string values() {
        std::string v;
        for (const auto &row : query("SELECT A FROM T ORDER BY A").rows)
            v += (v.empty() ? "" : ",") + row[0];
        return v;
    }
};

TEST_F(RunnerTest, StatementsRunInOrderWithTheirDelimitersAndComments) {
    open_sql();
    struct Case {
        std::string text;
        std::string rows;
    };
    const Case cases[] = {
        {"INSERT INTO T VALUES (1);INSERT INTO T VALUES (2);", "1,2"},
        {"INSERT INTO T VALUES (1);;INSERT INTO T VALUES (2)", "1,2"},
        {"$INSERT INTO T VALUES (1)$INSERT INTO T VALUES (2)", "1,2"},
        {"@INSERT INTO T VALUES (1)@INSERT INTO T VALUES (2)", "1,2"},
        // A text box gives LF line ends; they end comments as CR LF does.
        {"-- two rows\nINSERT INTO T\nVALUES (1);\nINSERT INTO T VALUES (2) -- the second", "1,2"},
        {"-- two rows\r\nINSERT INTO T\r\nVALUES (1);\r\nINSERT INTO T VALUES (2)", "1,2"},
        {"INSERT INTO T VALUES (1); -- INSERT INTO T VALUES (2);\nINSERT INTO T VALUES (3)", "1,3"},
        {"% a comment;%;INSERT INTO T VALUES (\t4)", "4"},
    };
    for (const Case &c : cases) {
        ASSERT_TRUE(query("DELETE FROM T").ok());
        run(c.text);
        EXPECT_EQ(values(), c.rows) << c.text;
        EXPECT_EQ(status(), "Command completed") << c.text;
    }
    // With run_at set, ";" stays inside the statement.
    program().run.run_at = true;
    ASSERT_TRUE(query("DELETE FROM T").ok());
    run("INSERT INTO T VALUES (5)@INSERT INTO T VALUES (6)");
    EXPECT_EQ(values(), "5,6");
}

TEST_F(RunnerTest, InteractiveRunShowsRunningThenCompletion) {
    open_sql();
    std::string during_yield;
    QTimer::singleShot(0, [&] { during_yield = status(); });
    run("INSERT INTO T VALUES (1)");
    EXPECT_EQ(during_yield, "Running ...");
    EXPECT_EQ(status(), "Command completed");

    // A blank text does nothing at all.
    program().forms.cur_sql_form->set_status_text("kept");
    run("   ");
    EXPECT_EQ(status(), "kept");

    // A silent run reports no completion.
    run("INSERT INTO T VALUES (2)", false);
    EXPECT_EQ(status().rfind("Execution time=", 0), 0u);
    EXPECT_EQ(values(), "1,2");
}

TEST_F(RunnerTest, EveryRunEndsOnItsLastMessageNeverOnRunning) {
    open_sql();
    const struct {
        const char *text;
        const char *status; // how the status line opens when the run has ended
    } cases[] = {
        // told in a box: the status line takes it after OK
        {"%PLOT BAR LABELS=1 DATA=2", "No output currently defined"},
        {"INSERT INTO T VALUES (1)", "Command completed"},
        {"SELECT * FROM NOSUCH", "SQL0204N  \"NOSUCH\" is an undefined name."},
        {"%FROB", "Invalid keyword=FROB"},
        {"%EXIT;INSERT INTO T VALUES (2)", "Command completed"},
        {"%PROMPT TEXT=Value VAR=V;INSERT INTO T VALUES (3)", "Command completed"}, // no answer
        {"%IF EXISTS=NOSUCH;INSERT INTO T VALUES (4)", "Command completed"},
    };
    for (const auto &c : cases) {
        run(c.text);
        EXPECT_EQ(status().rfind(c.status, 0), 0u) << c.text << ": " << status();
    }
    EXPECT_EQ(dialogs().messages(), (std::vector<std::string>{"No output currently defined"}));
    EXPECT_EQ(values(), "1");

    // The window made current while the run yields shows the run's end, and so does the one
    // whose status line said "Running ...".
    ZALSQL &first = *program().forms.cur_sql_form;
    QTimer::singleShot(0, [&] { open_sql(); });
    run("INSERT INTO T VALUES (5)");
    EXPECT_NE(program().forms.cur_sql_form, &first);
    EXPECT_EQ(status(), "Command completed");
    EXPECT_EQ(first.status_text(), "Command completed");
}

TEST_F(RunnerTest, AFailedRunBringsItsStatusLineInFront) {
    program().master().resize(1024, 768);
    ZALSQL &w = open_sql();
    run("VALUES ('A', 1), ('B', 2)");
    run("%PLOT BAR LABELS=1 DATA=2");
    // The chart over the status line; the tools window over the statement only.
    QWidget &chart = *program().graph().frame();
    const QPoint status_at = w.ZALMSG->mapTo(w.frame()->parentWidget(), QPoint(0, 0));
    chart.move(status_at - QPoint(20, 20));
    QWidget &tools = *program().tools().frame();
    program().tools().show_form();
    tools.move(w.frame()->pos() + QPoint(40, 40));
    tools.raise();
    ASSERT_FALSE(seen_whole(*w.ZALMSG));
    ASSERT_TRUE(seen_whole(*program().tools().TB));

    run("%PLOT PIE LABELS=9 DATA=2");
    EXPECT_EQ(status(), "Plot: Invalid Labels or Data value supplied for PIE chart");
    EXPECT_TRUE(seen_whole(*w.ZALMSG));
    EXPECT_TRUE(seen_whole(*program().tools().TB));

    // A run that ends well leaves the windows as its statements put them.
    run("%PLOT BAR LABELS=1 DATA=2");
    EXPECT_FALSE(seen_whole(*w.ZALMSG));
}

TEST_F(RunnerTest, CompletionGoesToABoxWithoutAnSqlWindow) {
    run("INSERT INTO T VALUES (1)");
    ASSERT_EQ(dialogs().shown.size(), 1u);
    EXPECT_EQ(dialogs().shown[0].text, "Command completed");
    EXPECT_EQ(dialogs().shown[0].title, app_title);
    EXPECT_EQ(dialogs().shown[0].icon, MessageIcon::None);
    EXPECT_EQ(dialogs().shown[0].buttons, MessageButtons::Ok);
}

TEST_F(RunnerTest, FailedIfSkipsToTheNextEndif) {
    open_sql();
    run("%IF NOTEXISTS=staff;INSERT INTO T VALUES (1);%IF EXISTS=staff;INSERT INTO T VALUES (2);"
        "~ %endif more;INSERT INTO T VALUES (3);%ENDIF;INSERT INTO T VALUES (4)");
    EXPECT_EQ(values(), "3,4");
    EXPECT_EQ(status(), "Command completed");

    // "% ENDIF" is a comment, not the end; a run without an end skips to its end, and the next
    // run starts executing again.
    ASSERT_TRUE(query("DELETE FROM T").ok());
    run("%IF EXISTS=NOSUCH;INSERT INTO T VALUES (1);% ENDIF;INSERT INTO T VALUES (2)");
    EXPECT_EQ(values(), "");
    EXPECT_EQ(status(), "Command completed");
    run("INSERT INTO T VALUES (3)");
    EXPECT_EQ(values(), "3");
}

TEST_F(RunnerTest, ExitStopsTheRunOnly) {
    open_sql();
    run("INSERT INTO T VALUES (1);%EXIT;INSERT INTO T VALUES (2)");
    EXPECT_EQ(values(), "1");
    EXPECT_EQ(status(), "Command completed");
    run("INSERT INTO T VALUES (3)");
    EXPECT_EQ(values(), "1,3");
}

TEST_F(RunnerTest, ARunExecutesItsFirstThousandStatements) {
    open_sql();
    std::string text;
    for (int i = 1; i <= 1005; ++i)
        text += "INSERT INTO T VALUES (" + std::to_string(i) + ");";
    run(text);
    const Result r = query("SELECT COUNT(*), MAX(A) FROM T");
    EXPECT_EQ(r.rows[0], (std::vector<std::string>{"1000", "1000"}));
    EXPECT_EQ(status(), "Command completed");
}

TEST_F(RunnerTest, UnknownKeywordIsReportedAndLaterCommandsAreKnown) {
    open_sql();
    run("%FROB x=1;INSERT INTO T VALUES (1)");
    EXPECT_EQ(status().rfind("Execution time=", 0), 0u); // the run went on, without completion
    EXPECT_EQ(values(), "1");
    run("%frob");
    EXPECT_EQ(status(), "Invalid keyword=FROB");
    EXPECT_TRUE(program().run.cmd_error);

    for (const char *keyword :
         {"DISPLAY", "DUMPVARS", "ENDIF", "EXTRAS", "DISCONNECT"}) {
        run(std::string("%") + keyword);
        EXPECT_EQ(status(), "Command completed") << keyword;
    }
    EXPECT_TRUE(program().master().TB->button_visible("spatial"));
    EXPECT_TRUE(program().master().TB->button_visible("qbe"));
    EXPECT_FALSE(program().session.db_connected);

    // Without an SQL window the invalid keyword comes in a box.
    program().forms.cur_sql_form->unload();
    run("%FROB");
    EXPECT_EQ(dialogs().messages(), (std::vector<std::string>{"Invalid keyword=FROB"}));
}

TEST_F(RunnerTest, RefusedCommandsKeepTheirMessageAtTheEndOfTheRun) {
    open_sql();
    run("VALUES 1"); // PLOT needs an output window before it looks at its options
    for (const char *cmd : {"%VIEW", "%LOADSQL", "%IF", "%RUNSTATS", "%VAR", "%ERASE", "%MSG", "%PROMPT", "%ZAL",
                            "%EXPLAIN", "%PLOT", "%GRAPH", "%COMPARE"}) {
        run(cmd);
        EXPECT_EQ(status(), "No arguments supplied") << cmd;
    }
    run("%CONNECT FOO=1");
    EXPECT_EQ(status(), "Invalid keyword=FOO");
}

TEST_F(RunnerTest, CommandWithAnOpenQuoteDoesNotRun) {
    open_sql();
    const SQLHDBC connection = program().session.hdbc;
    run("%CONNECT DATABASE=\"NOSUCH");
    EXPECT_EQ(status(), "No ending quote found in command string");
    EXPECT_EQ(program().session.hdbc, connection);
    EXPECT_TRUE(program().session.db_connected);
    EXPECT_EQ(program().settings.db_name, "SAMPLE");

    run("%VAR Q=1;%VAR P=2 Q='abc");
    EXPECT_EQ(status(), "No ending quote found in command string");
    EXPECT_EQ(var_sub(program().vars, "[Q][P]"), "1[P]");

    // The run goes on after it, as after any failing statement.
    run("%VAR Q=\"x;INSERT INTO T VALUES (1)");
    EXPECT_EQ(values(), "1");
    EXPECT_TRUE(program().run.cmd_error);
}

TEST_F(RunnerTest, VariablesAreSubstitutedBeforeAnythingElse) {
    open_sql();
    run("%VAR N=7 P=%;INSERT INTO T VALUES ([N]);[P] INSERT INTO T VALUES (8)");
    EXPECT_EQ(values(), "7");
}

TEST_F(RunnerTest, EraseDeletesTheFilesItsNameMatches) {
    open_sql();
    for (const char *f : {"a1.tmp", "a22.tmp", "b.tmp", "a1.txt", "keep"})
        write_text(fx.dir / f, "x");
    fs::create_directory(fx.dir / "sub");
    write_text(fx.dir / "sub" / "c.tmp", "x");

    command("%ERASE a?.tmp");
    EXPECT_EQ(status(), "File erased: a?.tmp");
    EXPECT_FALSE(fs::exists(fx.dir / "a1.tmp"));
    EXPECT_TRUE(fs::exists(fx.dir / "a22.tmp"));
    command("%ERASE *.tmp");
    EXPECT_FALSE(fs::exists(fx.dir / "a22.tmp"));
    EXPECT_FALSE(fs::exists(fx.dir / "b.tmp"));
    EXPECT_TRUE(fs::exists(fx.dir / "a1.txt"));
    EXPECT_TRUE(fs::exists(fx.dir / "sub" / "c.tmp"));
    command("%ERASE sub/*");
    EXPECT_FALSE(fs::exists(fx.dir / "sub" / "c.tmp"));
    command("%ERASE keep");
    EXPECT_FALSE(fs::exists(fx.dir / "keep"));
    command("%ERASE nothing-here");
    EXPECT_EQ(status(), "File erased: nothing-here");
    EXPECT_TRUE(fs::exists(fx.dir / "a1.txt"));

    command("%ERASE");
    EXPECT_EQ(status(), "No arguments supplied");
}

TEST_F(RunnerTest, StatementWithANulByteIsHandedOverWholeAndTheRunGoesOn) {
    open_sql();
    run(std::string("INSERT INTO T VALUES (1)\0 trailing", 34) + ";INSERT INTO T VALUES (2)");
    EXPECT_EQ(values(), "2");
    QTreeWidgetItem *first = queries().topLevelItem(1);
    EXPECT_EQ(node_image(first), "sql-error");
    EXPECT_NE(child_texts(first).back().find("0x00"), std::string::npos);
}

} // namespace
