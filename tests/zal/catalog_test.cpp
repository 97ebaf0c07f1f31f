// The catalog: the statements the program sends, live contents, creators and statistics.
#include "test_support.h"

#include <zalapp.h>

#include <gtest/gtest.h>

#include <algorithm>

using namespace kestle_test;

namespace {

bool has_row(const Result &r, const std::vector<std::string> &row) {
    return std::find(r.rows.begin(), r.rows.end(), row) != r.rows.end();
}

int32_t runstats(const std::string &name) {
    zal_runstats_request request{};
    request.table = name.c_str();
    request.flags = ZAL_RUNSTATS_TABLE;
    zal_sqlca ca{};
    int32_t code = zalRunstats(ZAL_RUNSTATS_VERSION, &request, &ca);
    EXPECT_EQ(code, ca.sqlcode);
    return code;
}

} // namespace

TEST(Catalog, AnswersTheProgramsStatementsAsWritten) {
    TempHome home;
    Client db("SAMPLE");
    const std::string user = db.value("VALUES CURRENT USER");
    ASSERT_FALSE(user.empty());

    Result tables = db.run("SELECT NAME, TYPE FROM SYSORL.SYSTABLES WHERE CREATOR=USER AND NAME LIKE '%EMP%'");
    ASSERT_TRUE(tables.ok()) << tables.message;
    EXPECT_EQ(tables.columns, (std::vector<std::string>{"NAME", "TYPE"}));
    EXPECT_TRUE(has_row(tables, {"EMPLOYEE", "T"}));
    for (const auto &row : tables.rows)
        EXPECT_NE(row[0].find("EMP"), std::string::npos);

    Result columns = db.run("SELECT TBNAME, NAME, COLTYPE, LENGTH, SCALE FROM SYSORL.SYSCOLUMNS WHERE TBNAME LIKE  '%EMP%'");
    ASSERT_TRUE(columns.ok()) << columns.message;
    EXPECT_TRUE(has_row(columns, {"EMPLOYEE", "SALARY", "DECIMAL", "9", "2"}));
    EXPECT_TRUE(has_row(columns, {"EMPLOYEE", "EMP_NO", "CHAR", "6", "0"}));

    Result one = db.run("SELECT NAME FROM SYSORL.SYSTABLES WHERE NAME='EMPLOYEE'");
    EXPECT_EQ(one.rows, (std::vector<std::vector<std::string>>{{"EMPLOYEE"}}));
    EXPECT_TRUE(db.run("SELECT NAME FROM SYSORL.SYSTABLES WHERE NAME='NOPE'").rows.empty());
}

TEST(Catalog, IsLiveInUpperCaseWithTheCreatorOfEachTable) {
    TempHome home;
    Client alice("SAMPLE", "alice");
    Client bob("SAMPLE", "Bob");
    ASSERT_TRUE(alice.run("create table lower_case (id integer, label varchar(12) not null)").ok()) << alice.last.message;
    ASSERT_TRUE(bob.run("CREATE VIEW BOBS_VIEW AS SELECT ID FROM LOWER_CASE").ok()) << bob.last.message;

    Result r = bob.run("SELECT NAME, CREATOR, TYPE, COLCOUNT, CARD FROM SYSORL.SYSTABLES WHERE NAME IN ('LOWER_CASE', 'BOBS_VIEW') ORDER BY NAME");
    EXPECT_EQ(r.rows, (std::vector<std::vector<std::string>>{{"BOBS_VIEW", "BOB", "V", "1", "-1"},
                                                            {"LOWER_CASE", "ALICE", "T", "2", "-1"}}));
    Result cols = alice.run("SELECT NAME, COLNO, COLTYPE, LENGTH, NULLS, TBCREATOR FROM SYSORL.SYSCOLUMNS WHERE TBNAME = 'LOWER_CASE'");
    EXPECT_EQ(cols.rows, (std::vector<std::vector<std::string>>{{"ID", "0", "INTEGER", "4", "Y", "ALICE"},
                                                               {"LABEL", "1", "VARCHAR", "12", "N", "ALICE"}}));
    EXPECT_EQ(alice.value("SELECT COUNT(*) FROM SYSORL.SYSTABLES WHERE CREATOR = USER AND NAME = 'BOBS_VIEW'"), "0");

    ASSERT_TRUE(bob.run("DROP VIEW BOBS_VIEW").ok());
    EXPECT_EQ(alice.value("SELECT COUNT(*) FROM SYSORL.SYSTABLES WHERE NAME = 'BOBS_VIEW'"), "0");
    // the product's own bookkeeping never shows
    EXPECT_EQ(alice.value("SELECT COUNT(*) FROM SYSORL.SYSTABLES WHERE NAME LIKE 'SYSZAL%' OR NAME LIKE 'SQLITE%'"), "0");

    // An R*Tree is listed; the tables that hold its nodes are not.
    ASSERT_TRUE(alice.run("CREATE VIRTUAL TABLE SPOTS USING RTREE_I32 (ID, X1, X2)").ok()) << alice.last.message;
    Result spots = alice.run("SELECT NAME FROM SYSORL.SYSTABLES WHERE NAME LIKE 'SPOTS%'");
    EXPECT_EQ(spots.rows, (std::vector<std::vector<std::string>>{{"SPOTS"}}));
    EXPECT_EQ(alice.value("SELECT COUNT(*) FROM SYSORL.SYSCOLUMNS WHERE TBNAME LIKE 'SPOTS_%'"), "0");
}

TEST(Catalog, FailedCreateKeepsTheCreator) {
    TempHome home;
    Client db("SAMPLE", "carol");
    const std::string creator = db.value("SELECT CREATOR FROM SYSORL.SYSTABLES WHERE NAME = 'EMPLOYEE'");
    EXPECT_FALSE(db.run("CREATE TABLE EMPLOYEE (X INT)").ok());
    EXPECT_EQ(db.last.sqlcode, -601);
    EXPECT_EQ(db.value("SELECT CREATOR FROM SYSORL.SYSTABLES WHERE NAME = 'EMPLOYEE'"), creator);
    EXPECT_NE(creator, "CAROL");
}

TEST(Catalog, RunstatsFillsCardOnTheCurrentConnection) {
    TempHome home;
    EXPECT_EQ(runstats("X.STAFF"), ZAL_SQLCODE_NO_CONNECTION);
    Client db("SAMPLE");
    const std::string staff = db.value("SELECT COUNT(*) FROM STAFF");
    EXPECT_EQ(db.value("SELECT CARD FROM SYSORL.SYSTABLES WHERE NAME = 'STAFF'"), "-1");
    EXPECT_EQ(runstats(db.value("VALUES USER") + ".STAFF"), 0);
    EXPECT_EQ(db.value("SELECT CARD FROM SYSORL.SYSTABLES WHERE NAME = 'STAFF'"), staff);

    ASSERT_TRUE(db.run("CREATE TABLE EMPTY_ONE (A INT)").ok());
    EXPECT_EQ(runstats("ME.EMPTY_ONE"), 0);
    EXPECT_EQ(db.value("SELECT CARD FROM SYSORL.SYSTABLES WHERE NAME = 'EMPTY_ONE'"), "0");

    EXPECT_EQ(runstats("ME.NO_SUCH_TABLE"), ZAL_SQLCODE_NO_TABLE);
    EXPECT_EQ(runstats("ME.SYSZAL_STATS"), ZAL_SQLCODE_NO_TABLE);
    zal_runstats_request request{};
    zal_sqlca ca{};
    EXPECT_EQ(zalRunstats(ZAL_RUNSTATS_VERSION, &request, &ca), ZAL_SQLCODE_BAD_REQUEST);
    request.table = "ME.STAFF";
    EXPECT_EQ(zalRunstats(1, &request, &ca), ZAL_SQLCODE_BAD_REQUEST);
}
