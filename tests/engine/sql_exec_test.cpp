#include "app_fixture.h"

#include "icons.h"
#include "runner.h"
#include "sql_exec.h"
#include "twips.h"
#include "zal_viewers.h"

#include <QFontMetrics>
#include <QPlainTextEdit>

#include <regex>

using namespace kestle;
using namespace kestle_test;

namespace {

class SqlExecTest : public AppTest {
protected:
    int run(const std::string &sql, bool interactive = true) { return ZAL_sql(program(), sql, interactive); }
    Grid &grid(int slot = 1) { return *output(slot)->DataValues; }
    // Creates a table through another client, so that the query log holds only the test's runs.
    void make(const std::string &sql) { ASSERT_TRUE(query(sql).ok()) << query(sql).message; }
};

const std::regex seconds_pattern(R"(\d+\.\d{3}s)");

TEST_F(SqlExecTest, StatementWithoutResultIsLoggedAndTimed) {
    open_sql();
    make("CREATE TABLE T (A INTEGER)");
    ASSERT_EQ(run("INSERT INTO T~VALUES (1)"), 0);

    QTreeWidgetItem *n = run_node();
    EXPECT_EQ(node_key(n), "x1");
    EXPECT_EQ(node_image(n), "sql-ok");
    EXPECT_EQ(node_text(n), "INSERT INTO T VALUES (1)");
    ASSERT_EQ(n->childCount(), 2);
    EXPECT_EQ(node_text(n->child(0)), "SQL Information");
    EXPECT_EQ(node_image(n->child(0)), "sql");
    EXPECT_EQ(node_tag(n->child(0)), "INSERT INTO T\r\nVALUES (1)");
    EXPECT_EQ(node_image(n->child(1)), "clock");
    const std::string time = node_text(n->child(1));
    ASSERT_EQ(time.rfind("Execution Time: ", 0), 0u);
    EXPECT_TRUE(std::regex_match(time.substr(16), seconds_pattern)) << time;
    ASSERT_EQ(status().rfind("Execution time=", 0), 0u);
    EXPECT_TRUE(std::regex_match(status().substr(15), seconds_pattern)) << status();
    EXPECT_EQ(output(1), nullptr);
    EXPECT_EQ(query("SELECT COUNT(*) FROM T").rows[0][0], "1");
}

TEST_F(SqlExecTest, TitleKeepsOnlyWholeCharactersOfItsFortyBytes) {
    open_sql();
    const std::string euro = "\xE2\x82\xAC";
    const std::string title = "VALUES '" + std::string(29, 'x') + euro; // 40 bytes
    ASSERT_EQ(run(title + euro + "'"), 0);
    EXPECT_EQ(node_text(run_node()), title);
    EXPECT_EQ(bytes(output(1)->windowTitle()), title + "...");
    ASSERT_EQ(run("VALUES '" + std::string(30, 'x') + euro + "'"), 0);
    EXPECT_EQ(node_text(run_node()), "VALUES '" + std::string(30, 'x'));
}

TEST_F(SqlExecTest, QueryFillsTheGridOfTheSlotsOutputWindow) {
    ZALSQL &sql = open_sql();
    sql.move_twips(600, 900);
    const std::string text = "SELECT DEPT_NO, DEPT_NAME, SALARY_SUM FROM (SELECT D.DEPT_NO, D.DEPT_NAME, "
                             "SUM(E.SALARY) AS SALARY_SUM FROM DEPARTMENT D JOIN EMPLOYEE E ON E.DEPT_NO = D.DEPT_NO "
                             "GROUP BY D.DEPT_NO, D.DEPT_NAME) X ORDER BY DEPT_NO";
    ASSERT_EQ(run(text), 0);
    const Result expected = query(text);

    ZALOutput *out = output(1);
    ASSERT_NE(out, nullptr);
    EXPECT_EQ(out->tag, "2^1^");
    EXPECT_TRUE(out->isVisible());
    EXPECT_EQ(bytes(out->windowTitle()), text.substr(0, 40) + "...");
    EXPECT_EQ(out->left_twips(), sql.left_twips());
    EXPECT_NEAR(out->top_twips(), sql.top_twips() + sql.height_twips() + 100, 15); // whole pixels
    EXPECT_EQ(out->query_colour(), palette_colour(1));

    Grid &g = grid();
    EXPECT_TRUE(g.isVisible());
    ASSERT_EQ(g.cols(), 3);
    ASSERT_EQ(g.rows(), static_cast<int>(expected.rows.size()) + 1);
    EXPECT_EQ(grid_row(g, 0), (std::vector<std::string>{"DEPT_NO", "DEPT_NAME", "SALARY_SUM"}));
    for (std::size_t r = 0; r < expected.rows.size(); ++r)
        EXPECT_EQ(grid_row(g, static_cast<int>(r) + 1), expected.rows[r]);
    EXPECT_EQ(g.top_row(), 1);
    // CHAR(3) and VARCHAR(36) are text, the sum a number.
    EXPECT_EQ(g.col_alignment(0), align_left_centre);
    EXPECT_EQ(g.col_alignment(1), align_left_centre);
    EXPECT_EQ(g.col_alignment(2), align_left_bottom);
    // A CHAR(3) column is as wide as its name, a VARCHAR(36) one as 32 "O"s (it is wide).
    const QFontMetrics m(out->font());
    auto width = [&](const QString &t) { return px_to_twips(m.horizontalAdvance(t)) + 100; };
    EXPECT_NEAR(g.col_width(0), std::max(width("DEPT_NO"), width("OOO")), 15);
    EXPECT_NEAR(g.col_width(1), std::max(width("DEPT_NAME"), width(QString(32, 'O'))), 15);
    EXPECT_FALSE(program().exec.col_info[1].wide);
    EXPECT_TRUE(program().exec.col_info[2].wide);
    EXPECT_EQ(program().exec.col_info[1].length, 3 + 16);

    QTreeWidgetItem *n = run_node();
    EXPECT_EQ(node_image(n), "c1");
    ASSERT_EQ(n->childCount(), 3);
    EXPECT_EQ(node_text(n->child(1)), "Records found: " + std::to_string(expected.rows.size()));
    EXPECT_EQ(node_image(n->child(1)), "info");
    EXPECT_EQ(node_image(n->child(2)), "clock");
    // The icon theme's information and clock pictures, not the help picture of the "info" key.
    EXPECT_EQ(n->child(1)->icon(0).name(), "dialog-information");
    EXPECT_EQ(n->child(2)->icon(0).name(), "clock");
    EXPECT_EQ(status().rfind("Execution time=", 0), 0u);
}

TEST_F(SqlExecTest, OutputWindowIsReusedInItsSlotAndMadeBelowAnotherSqlWindow) {
    open_sql();
    ASSERT_EQ(run("SELECT NAME FROM STAFF"), 0);
    ZALOutput *first = output(1);
    first->move_twips(3000, 45);
    ASSERT_EQ(run("SELECT ID, NAME FROM STAFF WHERE ID < 105"), 0);
    EXPECT_EQ(output(1), first);
    EXPECT_EQ(first->left_twips(), 3000);
    EXPECT_EQ(first->top_twips(), 45);
    EXPECT_EQ(grid().cols(), 2);
    EXPECT_EQ(grid().rows(), 5);

    ZALSQL &second = open_sql();
    second.move_twips(1500, 300);
    ASSERT_EQ(run("VALUES 1"), 0);
    ZALOutput *other = output(2);
    ASSERT_NE(other, nullptr);
    EXPECT_NE(other, first);
    EXPECT_EQ(other->tag, "2^2^");
    EXPECT_EQ(other->left_twips(), 1500);
    EXPECT_NEAR(other->top_twips(), 300 + second.height_twips() + 100, 15);
    EXPECT_EQ(grid(1).cols(), 2); // the first slot's result stays
}

TEST_F(SqlExecTest, ColourAdvancesWithEveryResultAndWrapsAfterFourteen) {
    open_sql();
    std::vector<std::string> images;
    for (int i = 0; i < 15; ++i) {
        ASSERT_EQ(run("VALUES " + std::to_string(i)), 0);
        images.push_back(node_image(run_node()));
    }
    EXPECT_EQ(images[0], "c1");
    EXPECT_EQ(images[13], "c14");
    EXPECT_EQ(images[14], "c1");
    EXPECT_EQ(output(1)->query_colour(), palette_colour(1));
    EXPECT_EQ(node_key(run_node()), "x15");
    // Statements without a result leave the colour alone.
    ASSERT_EQ(run("DELETE FROM STAFF WHERE ID = 0"), 0);
    ASSERT_EQ(run("VALUES 1"), 0);
    EXPECT_EQ(node_image(run_node()), "c2");
}

TEST_F(SqlExecTest, QueryWithoutRowsShowsNoRecordsFound) {
    open_sql();
    runit(program(), true, "SELECT NAME, JOB FROM STAFF WHERE ID = 0");
    EXPECT_EQ(status(), "No records found");
    EXPECT_TRUE(program().run.cmd_error);
    QTreeWidgetItem *n = run_node();
    EXPECT_EQ(node_image(n), "c1");
    EXPECT_EQ(child_texts(n), (std::vector<std::string>{"SQL Information"}));
    ZALOutput *out = output(1);
    ASSERT_NE(out, nullptr);
    EXPECT_FALSE(out->isVisible()); // made by this run, shown by a later one
    EXPECT_EQ(out->DataValues->rows(), 1);
    EXPECT_EQ(grid_row(*out->DataValues, 0), (std::vector<std::string>{"NAME", "JOB"}));
    EXPECT_EQ(program().session.sql_rc, -1);
}

TEST_F(SqlExecTest, EveryValueKeepsItsColumnAndIsCutAtItsFirstZeroByte) {
    open_sql();
    make("CREATE TABLE T (N INTEGER, A VARCHAR(10), B VARCHAR(10))");
    make("INSERT INTO T VALUES (1, NULL, 'x'), (2, '', 'y'), (3, CAST(X'700071' AS VARCHAR(3)), 'z')");
    // A TAB inside a value cannot come through the runner, which marks tabs: it comes from
    // the data.
    make("INSERT INTO T VALUES (4, 'a\tb', 'w')");
    ASSERT_EQ(run("SELECT A, B, N FROM T ORDER BY N"), 0);
    Grid &g = grid();
    EXPECT_EQ(grid_row(g, 1), (std::vector<std::string>{"", "x", "1"}));
    EXPECT_EQ(grid_row(g, 2), (std::vector<std::string>{"", "y", "2"}));
    EXPECT_EQ(grid_row(g, 3), (std::vector<std::string>{"p", "z", "3"}));
    EXPECT_EQ(grid_row(g, 4), (std::vector<std::string>{"a", "b", "w"}));
}

TEST_F(SqlExecTest, RowBufferTakesThirtyOneColumnsOfAThousandButNotThirtyTwo) {
    open_sql();
    std::string create = "CREATE TABLE W (", all;
    for (int i = 1; i <= 32; ++i) {
        create += (i > 1 ? ", C" : "C") + std::to_string(i) + " VARCHAR(1000)";
        all += (i > 1 ? ", C" : "C") + std::to_string(i);
    }
    make(create + ")");
    make("INSERT INTO W (C1, C31) VALUES ('first', 'last')");
    const std::string thirty_one = all.substr(0, all.find(", C32"));

    ASSERT_EQ(run("SELECT " + thirty_one + " FROM W"), 0);
    EXPECT_EQ(program().exec.col_info[31].offset, 1 + 30 * 1016);
    EXPECT_EQ(grid().text_matrix(1, 30), "last");

    program().run.cmd_error = false;
    EXPECT_EQ(run("SELECT " + all + " FROM W"), -1);
    EXPECT_EQ(status(), "Maximum output record length exceeded - reduce the number of columns");
    EXPECT_TRUE(program().run.cmd_error);
    EXPECT_EQ(child_texts(run_node()), (std::vector<std::string>{"SQL Information"}));
    EXPECT_FALSE(grid().isVisible());
}

TEST_F(SqlExecTest, LongColumnsAndNamesAndManyColumnsAreCut) {
    open_sql();
    make("CREATE TABLE L (V VARCHAR(2000))");
    make("INSERT INTO L VALUES ('" + std::string(1990, 'v') + "')");
    ASSERT_EQ(run("SELECT V AS A_COLUMN_NAME_OF_FORTY_CHARACTERS_LONG_X FROM L"), 0);
    EXPECT_EQ(program().exec.col_info[1].length, 1016);
    EXPECT_EQ(grid().text_matrix(1, 0), std::string(1015, 'v'));
    EXPECT_EQ(grid().text_matrix(0, 0), std::string("A_COLUMN_NAME_OF_FORTY_CHARACTERS_LONG_X").substr(0, 31));

    std::string many = "VALUES (1";
    for (int i = 2; i <= 300; ++i)
        many += ", " + std::to_string(i);
    ASSERT_EQ(run(many + ")"), 0);
    EXPECT_EQ(grid().cols(), 255);
    EXPECT_EQ(grid().text_matrix(1, 254), "255");
}

TEST_F(SqlExecTest, FailingStatementIsMarkedInTheLogAndOnTheStatusLine) {
    open_sql();
    EXPECT_EQ(run("SELECT * FROM NOSUCH"), -1);
    QTreeWidgetItem *n = run_node();
    EXPECT_EQ(node_image(n), "sql-error");
    ASSERT_EQ(n->childCount(), 2);
    QTreeWidgetItem *warning = n->child(1);
    EXPECT_EQ(node_image(warning), "warning");
    EXPECT_EQ(node_tag(warning), node_text(warning));
    // The three bracketed prefixes are gone: the message number leads.
    EXPECT_EQ(status().rfind("SQL0204N", 0), 0u) << status();
    EXPECT_NE(status().find("NOSUCH"), std::string::npos);
    EXPECT_EQ(node_text(warning), status());
    EXPECT_TRUE(program().run.cmd_error);
    EXPECT_TRUE(dialogs().shown.empty());

    // Without an SQL window the message comes in a box.
    program().forms.cur_sql_form->unload();
    ASSERT_EQ(program().forms.cur_sql_form, nullptr);
    EXPECT_EQ(run("SELEC 1"), -1);
    ASSERT_EQ(dialogs().messages().size(), 1u);
    EXPECT_EQ(dialogs().messages()[0].rfind("SQL0104N", 0), 0u) << dialogs().messages()[0];
}

TEST_F(SqlExecTest, FetchThatFailsAfterSomeRowsShowsThemAndReportsTheFailure) {
    open_sql();
    // The value of the fourth row cannot be computed.
    EXPECT_EQ(run("SELECT ID, CASE WHEN ID > 103 THEN abs(-9223372036854775807 - 1) ELSE ID END FROM STAFF"), -1);
    EXPECT_EQ(grid().rows(), 4);
    EXPECT_EQ(grid().text_matrix(3, 0), "103");
    QTreeWidgetItem *n = run_node();
    EXPECT_EQ(node_image(n), "sql-error");
    EXPECT_EQ(child_texts(n)[1], "Records found: 3");
    EXPECT_EQ(node_image(n->child(n->childCount() - 1)), "warning");
    EXPECT_EQ(status().rfind("SQL0901N", 0), 0u) << status();
}

TEST_F(SqlExecTest, SilentRunsExecuteAndTimeOnly) {
    open_sql();
    make("CREATE TABLE T (A INTEGER)");
    EXPECT_EQ(run("INSERT INTO T VALUES (1)", false), 0);
    EXPECT_EQ(run("SELECT A FROM T", false), 0);
    EXPECT_EQ(status().rfind("Execution time=", 0), 0u);
    EXPECT_EQ(queries().topLevelItemCount(), 0);
    EXPECT_EQ(output(1), nullptr);
    EXPECT_EQ(program().exec.run_count, 0);

    // A failure says nothing and marks nothing.
    ZALSQL &w = *program().forms.cur_sql_form;
    w.set_status_text("before");
    EXPECT_EQ(run("INSERT INTO NOSUCH VALUES (1)", false), -1);
    EXPECT_EQ(status(), "before");
    EXPECT_FALSE(program().run.cmd_error);
    EXPECT_TRUE(dialogs().shown.empty());
    EXPECT_EQ(run("INSERT INTO T VALUES (2)", false), 0);
    EXPECT_EQ(query("SELECT COUNT(*) FROM T").rows[0][0], "2");

    // An empty statement does nothing at all.
    w.set_status_text("before");
    EXPECT_EQ(run(" ~ ~", true), -1);
    EXPECT_EQ(status(), "before");
    EXPECT_EQ(queries().topLevelItemCount(), 0);
}

TEST_F(SqlExecTest, ViewShowsTheFirstValueInTheTextViewer) {
    open_sql();
    make("CREATE TABLE V (N INTEGER, S VARCHAR(3000))");
    make("INSERT INTO V VALUES (1, 'first++second++'), (2, NULL), (3, '" + std::string(2000, 's') + "')");
    struct Case {
        std::string sql;
        std::string shown;
    };
    const Case cases[] = {
        {"SELECT S FROM V WHERE N = 1", "first\r\nsecond\r\n"},
        {"SELECT S FROM V WHERE N = 2", ""},
        {"SELECT S FROM V WHERE N = 3", std::string(999, 's')},
    };
    for (const Case &c : cases) {
        program().view_text().set_text("stale");
        EXPECT_EQ(ZAL_view(program(), c.sql), 0);
        EXPECT_EQ(program().view_text().text(), c.shown) << c.sql;
        EXPECT_TRUE(program().view_text().isVisible());
    }
    EXPECT_EQ(queries().topLevelItemCount(), 0);

    EXPECT_EQ(ZAL_view(program(), "SELECT S FROM V WHERE N = 0"), 0);
    EXPECT_EQ(status(), "No records found");
    EXPECT_EQ(ZAL_view(program(), "SELECT * FROM NOSUCH"), 0);
    EXPECT_EQ(status().rfind("SQL0204N", 0), 0u);
    EXPECT_TRUE(program().run.cmd_error);
    EXPECT_EQ(program().session.sql_rc, 0);
}

} // namespace
