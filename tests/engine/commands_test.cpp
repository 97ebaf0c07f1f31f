#include "app_fixture.h"

#include "commands.h"
#include "runner.h"
#include "zal_connect.h"
#include "zal_viewers.h"

#include <QPlainTextEdit>

#include <algorithm>

using namespace kestle;
using namespace kestle_test;

namespace {

class CommandsTest : public AppTest {
protected:
    void run(const std::string &text) { runit(program(), true, text); }
    // The first cells of the grid of slot 1, row by row.
    std::vector<std::string> column(int col) {
        std::vector<std::string> v;
        Grid &g = *output(1)->DataValues;
        for (int r = 1; r < g.rows(); ++r)
            v.push_back(g.text_matrix(r, col));
        return v;
    }
};

TEST_F(CommandsTest, ClearEmptiesTheNewestSqlWindow) {
    ZALSQL &first = open_sql();
    ZALSQL &second = open_sql();
    first.set_command_text("one");
    second.set_command_text("two");
    // The first window is made current again; CLEAR still takes the newest.
    program().forms.cur_sql_form = &first;
    program().forms.cur_sql_slot = 1;
    run("%CLEAR");
    EXPECT_EQ(first.command_text(), "one");
    EXPECT_EQ(second.command_text(), "");
    EXPECT_EQ(first.status_text(), "Command completed");

    cmd_clear(program());
    EXPECT_EQ(first.status_text(), "Command executed");
    first.unload();
    second.unload();
    cmd_clear(program()); // nothing open: nothing shown
    EXPECT_TRUE(dialogs().shown.empty());
}

TEST_F(CommandsTest, ConnectSetsTheSettingsInOrderAndReconnects) {
    open_sql();
    const SQLHDBC before = program().session.hdbc;
    command("%CONNECT USERID=a FOO=b DATABASE=X");
    EXPECT_EQ(status(), "Invalid keyword=FOO");
    EXPECT_EQ(program().settings.db_user, "a");
    EXPECT_EQ(var_sub(program().vars, "[USERID]"), "a");
    EXPECT_EQ(program().settings.db_name, "SAMPLE");
    EXPECT_EQ(program().session.hdbc, before); // not reconnected

    run("%CONNECT userid='' DATABASE=sample");
    EXPECT_EQ(status(), "Command completed");
    EXPECT_TRUE(program().session.db_connected);
    EXPECT_EQ(var_sub(program().vars, "[DATABASE]"), "sample");
    cmd_connect(program());
    EXPECT_EQ(status(), "Connected to Database: sample");

    command("%CONNECT DATABASE=NOSUCH");
    EXPECT_EQ(status(), "Error Connecting to database: NOSUCH");
    EXPECT_EQ(program().settings.db_name, "NOSUCH");

    run("%CONNECT");
    ASSERT_NE(program().forms.connect, nullptr);
    EXPECT_TRUE(program().forms.connect->isVisible());
}

TEST_F(CommandsTest, ViewShowsAValueAndKeepsEarlierFailures) {
    open_sql();
    run("%VIEW VALUES 'a++b'");
    EXPECT_EQ(program().view_text().text(), "a\r\nb");
    EXPECT_EQ(status(), "Command completed");
    cmd_view(program());
    EXPECT_EQ(status(), "Command executed");

    run("SELECT * FROM NOSUCH;%VIEW VALUES 'c'");
    EXPECT_EQ(program().view_text().text(), "c");
    EXPECT_EQ(status().rfind("SQL0204N", 0), 0u);

    command("%VIEW");
    EXPECT_EQ(status(), "No arguments supplied");
    // A value that is not there is told, and the run does not end as completed.
    run("%VIEW SELECT NAME FROM STAFF WHERE 1 = 0");
    EXPECT_EQ(status(), "No records found");
}

TEST_F(CommandsTest, TablesAndDescribeListTheCatalog) {
    open_sql();
    ASSERT_TRUE(query("CREATE TABLE MY_EMPTY (X INTEGER)").ok());
    run("%TABLES");
    std::vector<std::string> names = column(0);
    for (const char *t : {"DEPARTMENT", "EMPLOYEE", "EMP_ACT", "STAFF", "MY_EMPTY"})
        EXPECT_NE(std::find(names.begin(), names.end(), t), names.end()) << t;
    EXPECT_EQ(std::find(names.begin(), names.end(), "SYSTABLES"), names.end()); // not the user's
    EXPECT_EQ(status(), "Command completed");
    EXPECT_NE(node_text(run_node()).find("SYSORL.SYSTABLES"), std::string::npos);

    run("%TABLES emp");
    EXPECT_EQ(column(0), (std::vector<std::string>{"EMPLOYEE", "EMP_ACT", "MY_EMPTY"}));
    run("%TABLES x=y");
    EXPECT_EQ(node_tag(run_node()->child(0)),
              "SELECT NAME, TYPE FROM SYSORL.SYSTABLES WHERE CREATOR=USER AND NAME LIKE '%X%'");

    run("%DESCRIBE staff");
    names = column(1);
    EXPECT_EQ(names.size(), 7u);
    EXPECT_EQ(column(0), std::vector<std::string>(7, "STAFF"));
    EXPECT_NE(std::find(names.begin(), names.end(), "SALARY"), names.end());
    run("%DESCRIBE");
    EXPECT_GT(column(0).size(), 40u);

    // A quote in the pattern is part of the name.
    ASSERT_TRUE(query("CREATE TABLE \"O'X\" (A INTEGER)").ok());
    run("%TABLES o'x");
    EXPECT_EQ(column(0), std::vector<std::string>{"O'X"});
    run("%DESCRIBE o'x");
    EXPECT_EQ(column(1), std::vector<std::string>{"A"});

    // An empty listing is executed; having found no rows, the run does not complete.
    for (const char *cmd : {"%TABLES nosuch", "%DESCRIBE nosuch"}) {
        run(cmd);
        EXPECT_EQ(status(), "Command executed") << cmd;
        EXPECT_TRUE(program().run.cmd_error) << cmd;
    }
    // A listing that fails shows why.
    ZAL_disconnect(program());
    for (const char *cmd : {"%TABLES", "%DESCRIBE staff"}) {
        run(cmd);
        EXPECT_EQ(status(), "No connection exists") << cmd;
        EXPECT_EQ(node_image(run_node()), "sql-error") << cmd;
    }
}

TEST_F(CommandsTest, LoadsqlReadsANewControlFile) {
    open_sql();
    write_text(fx.dir / "other file.sql", ":section First\n:sql Query\nVALUES 1\n");
    run("%LOADSQL other file.sql");
    EXPECT_EQ(var_sub(program().vars, "[FILE]"), "other file.sql");
    EXPECT_EQ(program().control.stmt_count, 2);
    EXPECT_EQ(program().master().TV->topLevelItemCount(), 1);
    EXPECT_EQ(status(), "Command completed");

    // A file that cannot be read keeps the presentation, and the run ends on the reason.
    std::filesystem::create_directory(fx.dir / "a directory");
    for (const char *name : {"missing.sql", "a directory"}) {
        run(std::string("%LOADSQL ") + name);
        EXPECT_EQ(status(), std::string("File not found: ") + name);
        EXPECT_EQ(program().control.stmt_count, 2) << name;
        EXPECT_EQ(program().master().TV->topLevelItemCount(), 1) << name;
    }

    // A presentation cut at the include limit says so at the end of the run.
    write_text(fx.dir / "loop.sql", ":sql Again\n:include loop.sql\n");
    run("%LOADSQL loop.sql");
    EXPECT_EQ(status(), "Include file maximum exceeded (10)");
    EXPECT_EQ(program().control.stmt_count, 10);
    command("%LOADSQL");
    EXPECT_EQ(status(), "No arguments supplied");
}

TEST_F(CommandsTest, IfTestsTheCatalog) {
    open_sql();
    ASSERT_TRUE(query("CREATE TABLE T (A INTEGER)").ok());
    ASSERT_TRUE(query("CREATE TABLE \"O'X\" (A INTEGER)").ok());
    struct Case {
        std::string test;
        bool runs;
    };
    const Case cases[] = {
        {"%IF EXISTS=staff", true},  {"%IF EXISTS=nosuch", false}, {"%IF NOTEXISTS=staff", false},
        {"%IF NOTEXISTS=nosuch", true}, {"%IF FOO=X", true},
        // A quote in the name is part of the name, whatever follows it.
        {"%IF EXISTS=o'x", true}, {"%IF EXISTS=st'aff", false}, {"%IF EXISTS=\"X' OR 'A'='A\"", false},
    };
    for (const Case &c : cases) {
        ASSERT_TRUE(query("DELETE FROM T").ok());
        run(c.test + ";INSERT INTO T VALUES (1);%ENDIF");
        EXPECT_EQ(query("SELECT COUNT(*) FROM T").rows[0][0], c.runs ? "1" : "0") << c.test;
        EXPECT_EQ(status(), "Command completed") << c.test;
    }

    command("%IF");
    EXPECT_EQ(status(), "No arguments supplied");
}

TEST_F(CommandsTest, RunstatsCollectsStatisticsOfTheUsersTable) {
    open_sql();
    EXPECT_EQ(query("SELECT CARD FROM SYSORL.SYSTABLES WHERE NAME = 'STAFF'").rows[0][0], "-1");
    run("%RUNSTATS staff");
    EXPECT_EQ(status(), "Command completed");
    EXPECT_EQ(query("SELECT CARD FROM SYSORL.SYSTABLES WHERE NAME = 'STAFF'").rows[0][0], "35");

    // A failed request and a library that cannot be bound end the run on their reason.
    run("%RUNSTATS nosuch");
    EXPECT_EQ(status(), "Error executing RUNSTATS. SQLCODE=-2306");
    program().routines.set_file("libkestle-missing.so");
    run("%RUNSTATS staff");
    EXPECT_EQ(status().rfind("Error executing RUNSTATS: the library libkestle-missing.so cannot be bound: ", 0), 0u)
        << status();
    EXPECT_NE(status().find("No such file"), std::string::npos) << status();
    command("%RUNSTATS");
    EXPECT_EQ(status(), "No arguments supplied");
}

TEST_F(CommandsTest, LoadInsertsLargeObjectsFromFiles) {
    open_sql();
    ASSERT_TRUE(query("CREATE TABLE PICS (NO INTEGER, A BLOB, B BLOB)").ok());
    write_text(fx.dir / "one.bin", std::string("ab\0c", 4));
    write_text(fx.dir / "two.bin", "second");
    run("%LOAD INTO PICS (NO, A, B) VALUES (7, ?, ?) [one.bin] and [two.bin]");
    EXPECT_EQ(status(), "Command completed");
    EXPECT_EQ(program().session.sql_rc, 0);
    EXPECT_EQ(query("SELECT NO, A, B FROM PICS").rows,
              (std::vector<std::vector<std::string>>{{"7", "61620063", "7365636F6E64"}}));

    ZAL_load(program(), "INTO PICS (NO, A) VALUES (8, ?) [one.bin]");
    EXPECT_EQ(status(), "SQL Completed successfully");

    // No closing bracket: nothing runs.
    EXPECT_EQ(ZAL_load(program(), "INTO PICS (NO, A) VALUES (9, ?) [one.bin"), -1);
    EXPECT_EQ(query("SELECT COUNT(*) FROM PICS").rows[0][0], "2");

    run("%LOAD INTO PICS (NO, A) VALUES (10, ?) [missing.bin]");
    EXPECT_TRUE(program().run.cmd_error);
    EXPECT_EQ(query("SELECT COUNT(*) FROM PICS").rows[0][0], "2");
}

} // namespace
