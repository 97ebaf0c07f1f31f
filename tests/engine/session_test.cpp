#include "app_fixture.h"

#include "runner.h"
#include "sql_exec.h"

using namespace kestle;
using namespace kestle_test;
namespace fs = std::filesystem;

namespace {

// A program whose instance is set up by the test itself.
class SessionTest : public AppTest {
protected:
    SessionTest() : AppTest(false) {}
};

TEST(SessionStart, FirstConnectOnANewInstanceStartsTheManager) {
    ProgramFixture fx(false);
    Program &p = fx.program;
    set_messages(p.messages);
    ASSERT_FALSE(fs::exists(fx.home / "SAMPLE.db"));
    EXPECT_EQ(ZAL_connect(p, "SAMPLE", "", ""), 0);
    EXPECT_TRUE(p.session.db_connected);
    EXPECT_TRUE(fs::exists(fx.home / "SAMPLE.db"));
    // "Connected to Database: " is for a status line; at start-up there is none.
    EXPECT_TRUE(fx.dialogs.shown.empty());
    EXPECT_EQ(ZAL_disconnect(p), 0);
    EXPECT_FALSE(p.session.db_connected);
    EXPECT_EQ(ZAL_disconnect(p), 0);
}

TEST_F(SessionTest, ConnectReportsOnTheStatusLine) {
    open_sql();
    EXPECT_EQ(ZAL_connect(program(), "SAMPLE", "", ""), 0);
    EXPECT_EQ(status(), "Connected to Database: SAMPLE");
    EXPECT_TRUE(dialogs().shown.empty());
}

TEST_F(SessionTest, FailingConnectShowsTheDatabasesMessageAndKeepsTheSession) {
    EXPECT_EQ(ZAL_connect(program(), "NOSUCH", "", ""), -1);
    EXPECT_FALSE(program().session.db_connected);
    EXPECT_TRUE(program().run.cmd_error);
    ASSERT_EQ(dialogs().messages().size(), 1u);
    const std::string shown = dialogs().messages()[0];
    EXPECT_EQ(shown.find('['), std::string::npos) << shown;
    EXPECT_NE(shown.find("NOSUCH"), std::string::npos) << shown;

    // A connection that works stays when another attempt fails.
    ASSERT_EQ(ZAL_connect(program(), "SAMPLE", "", ""), 0);
    EXPECT_EQ(ZAL_connect(program(), "NOSUCH", "", ""), -1);
    EXPECT_TRUE(program().session.db_connected);
    open_sql();
    EXPECT_EQ(ZAL_sql(program(), "VALUES 1", true), 0);
    // Connecting again replaces the connection.
    EXPECT_EQ(ZAL_connect(program(), "SAMPLE", "", ""), 0);
    EXPECT_EQ(ZAL_sql(program(), "VALUES 2", true), 0);
}

TEST_F(SessionTest, StatementWithoutAConnectionIsAFailure) {
    open_sql();
    runit(program(), true, "VALUES 1");
    EXPECT_EQ(status(), "No connection exists");
    EXPECT_EQ(node_image(run_node()), "sql-error");

    // ZAL_error without a window shows nothing for a message without a database code.
    program().forms.cur_sql_form->unload();
    program().run.cmd_error = false;
    EXPECT_EQ(ZAL_view(program(), "VALUES 1"), 0);
    EXPECT_TRUE(program().run.cmd_error);
    EXPECT_TRUE(dialogs().shown.empty());
}

TEST_F(SessionTest, CliLibraryThatCannotBeBoundIsReported) {
    program().session.cli.set_library("libzalcli-missing.so");
    EXPECT_EQ(ZAL_connect(program(), "SAMPLE", "", ""), -1);
    EXPECT_FALSE(program().session.db_connected);
    ASSERT_EQ(dialogs().messages().size(), 1u);
    const std::string shown = dialogs().messages()[0];
    EXPECT_NE(shown.find("libzalcli-missing.so"), std::string::npos) << shown;
    EXPECT_NE(shown.find("No such file"), std::string::npos) << shown;

    open_sql();
    runit(program(), true, "VALUES 1");
    EXPECT_NE(status().find("libzalcli-missing.so"), std::string::npos) << status();
    EXPECT_EQ(node_image(run_node()), "sql-error");
}

TEST_F(SessionTest, DatabaseFileThatDisappearsBetweenStatements) {
    ASSERT_EQ(ZAL_connect(program(), "SAMPLE", "", ""), 0);
    open_sql();
    runit(program(), true, "CREATE TABLE T (A INTEGER);INSERT INTO T VALUES (1)");
    EXPECT_EQ(status(), "Command completed");
    for (const auto &e : fs::directory_iterator(fx.home.path()))
        if (e.path().filename().string().rfind("SAMPLE.db", 0) == 0)
            fs::remove(e.path());

    // The next statement finds the file gone: it fails, and nothing goes on into the file
    // that the open connection still holds.
    runit(program(), true, "INSERT INTO T VALUES (2)");
    EXPECT_TRUE(program().run.cmd_error);
    QTreeWidgetItem *lost = queries().topLevelItem(0);
    ASSERT_NE(lost, nullptr);
    EXPECT_EQ(node_image(lost), "sql-error");
    ASSERT_FALSE(child_texts(lost).empty());
    EXPECT_NE(child_texts(lost).back().find("SQL1036C"), std::string::npos) << child_texts(lost).back();
    EXPECT_NE(child_texts(lost).back().find("removed or replaced"), std::string::npos);

    // A new connection finds no database; the statements after it fail with a message.
    runit(program(), true, "%CONNECT DATABASE=SAMPLE;INSERT INTO T VALUES (3);%IF EXISTS=T;%RUNSTATS T;%TABLES");
    EXPECT_FALSE(program().session.db_connected);
    EXPECT_TRUE(program().run.cmd_error);
    EXPECT_EQ(status(), "No connection exists"); // the listing failed too
    QTreeWidgetItem *insert = queries().topLevelItem(1);
    EXPECT_EQ(node_text(insert), "INSERT INTO T VALUES (3)");
    EXPECT_EQ(node_image(insert), "sql-error");
    EXPECT_EQ(child_texts(insert).back(), "No connection exists");
    EXPECT_EQ(node_image(run_node()), "sql-error");
}

} // namespace
