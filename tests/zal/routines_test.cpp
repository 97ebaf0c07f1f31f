// External and SQL-bodied routines: registration, calls, failures, persistence and DROP.
#include "test_support.h"

#include <gtest/gtest.h>

using namespace kestle_test;

namespace {

const char *definitions[] = {
    "CREATE FUNCTION TWICE (INTEGER) RETURNS INTEGER EXTERNAL NAME 'zaltest!twice' LANGUAGE C PARAMETER STYLE ZAL "
    "NO SQL DETERMINISTIC",
    "CREATE FUNCTION GREET (VARCHAR(20)) RETURNS VARCHAR(40) EXTERNAL NAME 'zaltest!greet' LANGUAGE C",
    "CREATE FUNCTION BLOB_SIZE (BLOB(1M)) RETURNS INTEGER EXTERNAL NAME 'zaltest!blob_size' LANGUAGE C",
    "CREATE FUNCTION REFUSE (INTEGER) RETURNS INTEGER EXTERNAL NAME 'zaltest!refuse' LANGUAGE C",
    "CREATE FUNCTION COUNT_TO (INTEGER) RETURNS TABLE (VALUE INTEGER, LABEL VARCHAR(10)) "
    "EXTERNAL NAME 'zaltest!count_to' LANGUAGE C PARAMETER STYLE ZAL NO SQL",
    "CREATE FUNCTION MISSING_LIB (INTEGER) RETURNS INTEGER EXTERNAL NAME 'nosuchlibrary!x' LANGUAGE C",
    "CREATE FUNCTION MISSING_ENTRY (INTEGER) RETURNS INTEGER EXTERNAL NAME 'zaltest!not_there' LANGUAGE C",
    "CREATE FUNCTION ADD_TAX (AMOUNT DECIMAL(9,2), RATE DOUBLE) RETURNS DOUBLE LANGUAGE SQL "
    "RETURN AMOUNT * (1 + RATE)",
};

class Routines : public ::testing::Test {
protected:
    TempHome home;
    Client db{"SAMPLE"};
    void SetUp() override {
        for (const char *d : definitions)
            ASSERT_TRUE(db.run(d).ok()) << d << ": " << db.last.message;
    }
};

} // namespace

TEST_F(Routines, ScalarRoutinesAreCalledWithTheirArguments) {
    EXPECT_EQ(db.value("VALUES TWICE(21)"), "42");
    EXPECT_EQ(db.value("VALUES GREET('Ann')"), "Hello, Ann");
    EXPECT_EQ(db.value("VALUES BLOB_SIZE(X'0102FF')"), "3");
    EXPECT_EQ(db.value("VALUES ADD_TAX(100, 0.25)"), "125.0");
    EXPECT_EQ(db.value("VALUES COALESCE(CHAR(TWICE(NULL)), 'not called')"), "not called");
    EXPECT_EQ(db.value("SELECT SUM(TWICE(ID)) = 2 * SUM(ID) FROM STAFF"), "1");
}

TEST_F(Routines, TableFunctionScansFromOpenToClose) {
    Result r = db.run("SELECT * FROM TABLE(COUNT_TO(3)) AS C");
    ASSERT_TRUE(r.ok()) << r.message;
    EXPECT_EQ(r.columns, (std::vector<std::string>{"VALUE", "LABEL"}));
    EXPECT_EQ(r.rows, (std::vector<std::vector<std::string>>{{"1", "row 1"}, {"2", "<null>"}, {"3", "row 3"}}));
    EXPECT_EQ(db.value("SELECT COUNT(*) FROM TABLE(COUNT_TO(0)) AS C"), "0");
    // the scan restarts for every outer row
    EXPECT_EQ(db.value("SELECT COUNT(*) FROM (SELECT ID FROM STAFF FETCH FIRST 4 ROWS ONLY) S, "
                       "TABLE(COUNT_TO(2)) AS C"),
              "8");
    // an argument taken from the outer row
    const std::string id = db.value("SELECT MIN(ID) FROM STAFF WHERE YEARS > 1");
    EXPECT_EQ(db.value("SELECT SUM(C.VALUE) FROM STAFF S, TABLE(COUNT_TO(S.YEARS)) AS C WHERE S.ID = " + id),
              db.value("SELECT YEARS * (YEARS + 1) / 2 FROM STAFF WHERE ID = " + id));
}

TEST_F(Routines, ErrorStateOfARoutineFailsTheStatementAndChangesNothing) {
    const std::string before = db.value("SELECT SUM(YEARS) FROM STAFF");
    Result r = db.run("UPDATE STAFF SET YEARS = REFUSE(YEARS)");
    EXPECT_EQ(r.rc, SQL_ERROR);
    EXPECT_EQ(r.sqlcode, -443);
    EXPECT_EQ(r.sqlstate, "38601");
    EXPECT_NE(r.message.find("refused on purpose"), std::string::npos) << r.message;
    EXPECT_EQ(db.value("SELECT SUM(YEARS) FROM STAFF"), before);
}

TEST_F(Routines, RoutinesThatCannotBeBoundSayWhy) {
    for (const char *call : {"VALUES MISSING_LIB(1)", "VALUES MISSING_ENTRY(1)"}) {
        Result r = db.run(call);
        EXPECT_EQ(r.sqlcode, -444) << call << ": " << r.message;
        EXPECT_EQ(r.sqlstate, "42724");
    }
    EXPECT_NE(db.run("VALUES MISSING_ENTRY(1)").message.find("not_there"), std::string::npos);
}

TEST_F(Routines, DefinitionsLiveInTheDatabaseUntilDropped) {
    Client other("SAMPLE");
    EXPECT_EQ(other.value("VALUES TWICE(5)"), "10");
    EXPECT_EQ(other.value("SELECT MAX(VALUE) FROM TABLE(COUNT_TO(4)) AS C"), "4");

    EXPECT_FALSE(db.run(definitions[0]).ok());
    EXPECT_EQ(db.last.sqlcode, -454);

    ASSERT_TRUE(db.run("DROP FUNCTION TWICE").ok()) << db.last.message;
    ASSERT_TRUE(db.run("DROP FUNCTION COUNT_TO").ok()) << db.last.message;
    EXPECT_EQ(db.run("VALUES TWICE(1)").sqlcode, -440);
    EXPECT_EQ(db.run("SELECT * FROM TABLE(COUNT_TO(1)) AS C").sqlcode, -204);
    EXPECT_EQ(db.run("DROP FUNCTION TWICE").sqlcode, -204);

    Client later("SAMPLE");
    EXPECT_EQ(later.run("VALUES TWICE(1)").sqlcode, -440);
    EXPECT_EQ(later.value("VALUES GREET('again')"), "Hello, again");
    ASSERT_TRUE(db.run(definitions[0]).ok()) << "a dropped name can be created again";
    EXPECT_EQ(db.value("VALUES TWICE(4)"), "8");
}

TEST_F(Routines, BadDefinitionsAreRefused) {
    const char *bad[] = {
        "CREATE FUNCTION F1 (INTEGER) RETURNS INTEGER LANGUAGE C",
        "CREATE FUNCTION F2 (NOTATYPE) RETURNS INTEGER EXTERNAL NAME 'zaltest!twice'",
        "CREATE FUNCTION F3 (INTEGER RETURNS INTEGER EXTERNAL NAME 'zaltest!twice'",
        "CREATE FUNCTION F4 (X INTEGER) RETURNS INTEGER LANGUAGE SQL",
    };
    for (const char *d : bad) {
        Result r = db.run(d);
        EXPECT_EQ(r.rc, SQL_ERROR) << d;
        EXPECT_LT(r.sqlcode, 0) << d;
    }
    EXPECT_EQ(db.run("VALUES F1(1)").sqlcode, -440);
}
