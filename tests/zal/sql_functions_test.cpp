// SQL-bodied functions written out into the statements that call them: the same names, types,
// values and errors as their calls give; what is called instead; nesting and its limit; and
// changes of the functions reaching every statement, connection and process that uses them.
#include "connection.h"
#include "dialect.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace kestle_test;

namespace {

// Each function is made twice: DETERMINISTIC (suffix _W), so that its calls are written out,
// and NOT DETERMINISTIC (suffix _C), so that its calls run its body as a statement of its own,
// as every call of an SQL function did before. "$" in a body or a statement stands for the
// suffix.
struct Function {
    const char *name, *params, *returns, *body;
};
const Function functions[] = {
    {"TWICE", "(X INTEGER)", "INTEGER", "X + X"},
    {"SAME", "(X VARCHAR(20))", "VARCHAR(20)", "X"},
    {"IS_FIVE", "(X VARCHAR(20))", "INTEGER", "X = 5"},
    {"IS_ABC", "(X VARCHAR(20))", "INTEGER", "X = 'abc'"},
    {"NUMBER", "(X VARCHAR(20))", "INTEGER", "CAST(X AS INTEGER)"},
    {"NOUGHT", "(X DOUBLE)", "DOUBLE", "X - X"},
    {"NEXT_ID", "(ID INTEGER)", "INTEGER", "TWICE$(ID) + 1"},
    {"LABEL", "(ID INTEGER)", "VARCHAR(40)", "'ID ' || ID"},
    {"FIRST", "(X INTEGER, Y INTEGER)", "INTEGER", "COALESCE(X, Y, -1)"},
    {"ONE", "(X INTEGER)", "INTEGER", "1"},
};

std::string with_suffix(std::string text, const std::string &suffix) {
    for (size_t at; (at = text.find('$')) != std::string::npos;)
        text.replace(at, 1, suffix);
    return text;
}

// Whether the statement's translation still calls the function.
bool calls(const std::string &sql, const std::string &function) {
    const std::vector<zal::Token> t = zal::significant(zal::lex(sql));
    for (size_t i = 0; i + 1 < t.size(); ++i)
        if (t[i].is(function) && t[i + 1].is_punct("("))
            return true;
    return false;
}

class SqlFunctions : public ::testing::Test {
protected:
    TempHome home;
    Client db{"SAMPLE"};
    void SetUp() override {
        ASSERT_TRUE(db.run("CREATE TABLE T (ID INTEGER, TXT VARCHAR(20), NC VARCHAR(20) COLLATE NOCASE)").ok())
            << db.last.message;
        ASSERT_TRUE(db.run("INSERT INTO T VALUES (1, '5', 'ABC'), (2, NULL, 'abc'), (3, '07', NULL)").ok());
        for (const std::string suffix : {"_W", "_C"})
            for (const Function &f : functions) {
                const std::string d = std::string("CREATE FUNCTION ") + f.name + suffix + " " + f.params + " RETURNS " +
                                      f.returns + " LANGUAGE SQL " + (suffix == "_W" ? "" : "NOT ") +
                                      "DETERMINISTIC RETURN " + with_suffix(f.body, suffix);
                ASSERT_TRUE(db.run(d).ok()) << d << ": " << db.last.message;
            }
    }
    void create(const std::string &definition) { ASSERT_TRUE(db.run(definition).ok()) << definition << ": " << db.last.message; }
};

} // namespace

TEST_F(SqlFunctions, WrittenOutCallsGiveWhatCallsGive) {
    const char *statements[] = {
        // names of result columns, with and without their own
        "SELECT TWICE$(ID), TWICE$(ID) + 1 AS PLUS, TWICE$(ID) OTHER, TWICE$( ID ) /* as written */ FROM T ORDER BY ID",
        // an argument's affinity and collation stay out of the body
        "SELECT IS_FIVE$(TXT), IS_FIVE$(TXT || ''), IS_ABC$(NC), IS_ABC$(UPPER(NC)) FROM T ORDER BY ID",
        // and a result's out of the statement, its declared type too
        "SELECT NUMBER$(TXT) = '5', SAME$(NC) = 'abc', SAME$(TXT) FROM T ORDER BY ID",
        "SELECT * FROM (SELECT NUMBER$(TXT) AS V, SAME$(NC) AS W FROM T) WHERE V = '5' OR W = 'abc'",
        "SELECT DISTINCT SAME$(NC) FROM T ORDER BY 1",
        // nesting; arguments that are expressions, subqueries and CASEs; a parameter named like
        // a column of the statement, and inside a string
        "SELECT NEXT_ID$(ID), NEXT_ID$(ID * 10 - 1), NEXT_ID$((SELECT MAX(ID) FROM T)), "
        "NEXT_ID$(CASE WHEN ID > 1 THEN ID END), NEXT_ID$(NEXT_ID$(ID)) FROM T ORDER BY ID",
        "SELECT LABEL$(ID), LABEL$(NULL) FROM T ORDER BY ID",
        "SELECT FIRST$(NULL, NULL), FIRST$(ID, NULL), FIRST$(NULL, ID), TWICE$(NULL) IS NULL FROM T ORDER BY ID",
        // an argument that differs each time it is evaluated, used twice; an aggregate not used
        "SELECT NOUGHT$(RANDOM()), NOUGHT$(ID) FROM T ORDER BY ID",
        "SELECT ONE$(COUNT(*)), ONE$(MAX(ID)) FROM T",
        "SELECT TWICE$(ID), COUNT(*) FROM T GROUP BY TWICE$(ID) HAVING TWICE$(ID) > 2 ORDER BY TWICE$(ID) DESC",
        "VALUES TWICE$(21), NEXT_ID$(1)",
        "WITH H(N) AS (SELECT TWICE$(ID) FROM T) SELECT SUM(N), MAX(SAME$('x')) FROM H",
        "SELECT T.ID FROM T WHERE TWICE$(T.ID) IN (2, 4) ORDER BY 1",
        // names followed by "(" that are no calls
        "WITH TWICE$(N) AS (SELECT ID FROM T) SELECT SUM(N) FROM TWICE$",
        // failures
        "VALUES TWICE$(1, 2)",
        "SELECT TWICE$(NOSUCH) FROM T",
        "SELECT * FROM TWICE$(1)",
    };
    for (const char *s : statements) {
        const Result written = db.run(with_suffix(s, "_W"));
        const Result called = db.run(with_suffix(s, "_C"));
        std::vector<std::string> names = written.columns;
        for (std::string &n : names)
            for (size_t at; (at = n.find("_W")) != std::string::npos;)
                n.replace(at, 2, "_C");
        EXPECT_EQ(names, called.columns) << s;
        EXPECT_EQ(written.types, called.types) << s;
        EXPECT_EQ(written.rows, called.rows) << s;
        EXPECT_EQ(written.sqlcode, called.sqlcode) << s << ": " << written.message << " / " << called.message;
        EXPECT_FALSE(called.rows.empty() && called.ok()) << s << ": the case shows nothing";
    }
}

TEST_F(SqlFunctions, OnlyCallsThatMeanTheSameWrittenOutAreWrittenOut) {
    create("CREATE FUNCTION FACT (N INTEGER) RETURNS DOUBLE LANGUAGE SQL DETERMINISTIC "
           "RETURN CASE WHEN N <= 1 THEN 1 ELSE N * FACT(N - 1) END");
    create("CREATE FUNCTION UP_TO (X INTEGER) RETURNS INTEGER LANGUAGE SQL DETERMINISTIC "
           "RETURN (SELECT COUNT(*) FROM T WHERE ID <= X)");
    create("CREATE FUNCTION LOOSE (X VARCHAR(20)) RETURNS VARCHAR(20) LANGUAGE SQL DETERMINISTIC "
           "RETURN X COLLATE NOCASE");
    zal::Diagnostic error;
    auto c = zal::Connection::open("SAMPLE", "", error);
    ASSERT_TRUE(c) << error.text;
    const struct {
        const char *sql, *function;
        bool written_out;
    } cases[] = {
        {"SELECT TWICE_W(ID) FROM T", "TWICE_W", true},
        {"SELECT NEXT_ID_W(ID) FROM T", "TWICE_W", true},
        {"SELECT TWICE_C(ID) FROM T", "TWICE_C", false},       // NOT DETERMINISTIC
        {"SELECT NOUGHT_W(RANDOM()) FROM T", "NOUGHT_W", false}, // an argument that differs each time
        {"SELECT TWICE_W(?) FROM T", "TWICE_W", false},        // a marker, numbered by its place
        {"SELECT SAME_W(NC COLLATE BINARY) FROM T", "SAME_W", false},
        {"SELECT TWICE_W(1, 2)", "TWICE_W", false},
        {"SELECT FACT(3)", "FACT", false},                     // calls itself
        {"SELECT UP_TO(2)", "UP_TO", false},                   // a subquery would take in the arguments
        {"SELECT LOOSE('ABC')", "LOOSE", false},               // a collation would reach the statement
        {"CREATE VIEW V AS SELECT TWICE_W(ID) FROM T", "TWICE_W", false}, // a definition keeps its calls
    };
    for (const auto &k : cases) {
        const auto t = c->translation(k.sql);
        EXPECT_EQ(calls(t->sql, k.function), !k.written_out) << k.sql << "\n" << t->sql;
    }
    EXPECT_FALSE(c->translation("SELECT 'TWICE_W(ID)', \"TWICE_W\" FROM T")->names_routine);
    // the statements mean what they meant
    EXPECT_EQ(db.value("VALUES NOUGHT_W(RANDOM())"), "0");
    EXPECT_EQ(db.run("SELECT UP_TO(ID) FROM T ORDER BY ID").rows,
              (std::vector<std::vector<std::string>>{{"1"}, {"2"}, {"3"}}));
    EXPECT_EQ(db.value("VALUES LOOSE('abc') = 'ABC'"), "0");
}

TEST_F(SqlFunctions, ChangesOfDataWriteFunctionsOutToo) {
    ASSERT_TRUE(db.run("UPDATE T SET TXT = LABEL_W(NEXT_ID_W(ID)) WHERE ID < 3").ok()) << db.last.message;
    ASSERT_TRUE(db.run("INSERT INTO T (ID, TXT) SELECT TWICE_W(ID) + 10, SAME_W(TXT) FROM T WHERE ID = 1").ok());
    EXPECT_EQ(db.run("SELECT ID, TXT FROM T ORDER BY ID").rows,
              (std::vector<std::vector<std::string>>{{"1", "ID 3"}, {"2", "ID 5"}, {"3", "07"}, {"12", "ID 3"}}));
}

TEST_F(SqlFunctions, NestingPastTheLimitIsCalledAndRecursionPastItFails) {
    // 40 functions deep: the deepest are called where writing out stops
    for (int k = 1; k <= 40; ++k)
        create("CREATE FUNCTION DEEP" + std::to_string(k) + " (X INTEGER) RETURNS INTEGER LANGUAGE SQL DETERMINISTIC "
               "RETURN " + (k == 40 ? std::string("X") : "DEEP" + std::to_string(k + 1) + "(X) + 1"));
    EXPECT_EQ(db.value("VALUES DEEP1(0)"), "39") << db.last.message;
    // each level doubles what is written out: the text stays bounded
    for (int k = 1; k <= 24; ++k)
        create("CREATE FUNCTION WIDE" + std::to_string(k) + " (X INTEGER) RETURNS INTEGER LANGUAGE SQL DETERMINISTIC "
               "RETURN " + (k == 24 ? std::string("X") : "WIDE" + std::to_string(k + 1) + "(X) + WIDE" + std::to_string(k + 1) + "(X)"));
    EXPECT_EQ(db.value("VALUES WIDE1(1)"), "8388608") << db.last.message;

    // a function that calls itself, called directly or from one written out, nests 33 deep
    create("CREATE FUNCTION FACT (N INTEGER) RETURNS DOUBLE LANGUAGE SQL DETERMINISTIC "
           "RETURN CASE WHEN N <= 1 THEN 1 ELSE N * FACT(N - 1) END");
    create("CREATE FUNCTION FACT_OF (N INTEGER) RETURNS DOUBLE LANGUAGE SQL DETERMINISTIC RETURN FACT(N) + 0");
    for (const char *f : {"FACT", "FACT_OF"}) {
        EXPECT_EQ(db.value("VALUES " + std::string(f) + "(5)"), "120") << f;
        EXPECT_TRUE(db.run("VALUES " + std::string(f) + "(33)").ok()) << f << ": " << db.last.message;
        const Result r = db.run("VALUES " + std::string(f) + "(34)");
        EXPECT_EQ(r.sqlcode, -724) << f << ": " << r.message;
        EXPECT_EQ(r.sqlstate, "54038") << f;
        EXPECT_NE(r.message.find("\"FACT\""), std::string::npos) << r.message;
    }
}

TEST_F(SqlFunctions, ChangedFunctionsReachEveryStatementConnectionAndProcess) {
    const std::string sum = "SELECT SUM(CHANGE(ID)) FROM T";
    Client other("SAMPLE");
    create("CREATE FUNCTION CHANGE (X INTEGER) RETURNS INTEGER LANGUAGE SQL DETERMINISTIC RETURN X * 10");
    EXPECT_EQ(other.value(sum), "60") << "the other connection has read the routines";
    // a statement prepared once and executed again after each change
    SQLHSTMT prepared = 0;
    SQLAllocStmt(db.hdbc, &prepared);
    ASSERT_EQ(SQLPrepare(prepared, (SQLCHAR *)sum.c_str(), SQL_NTS), SQL_SUCCESS);
    auto run_prepared = [&] {
        char value[32] = {};
        SQLINTEGER length = 0;
        const bool ok = SQLExecute(prepared) == SQL_SUCCESS && SQLFetch(prepared) == SQL_SUCCESS &&
                        SQLGetData(prepared, 1, SQL_C_CHAR, value, sizeof value, &length) == SQL_SUCCESS;
        SQLFreeStmt(prepared, SQL_CLOSE);
        return ok ? std::string(value) : diagnostic(SQL_ERROR, db.henv, db.hdbc, prepared).message;
    };
    // a view calls the function without naming it in the statement
    ASSERT_TRUE(db.run("CREATE VIEW CHANGED AS SELECT CHANGE(ID) AS C FROM T").ok()) << db.last.message;
    const std::string through_view = "SELECT SUM(C) FROM CHANGED";
    auto everywhere = [&](const std::string &expected, const char *after) {
        EXPECT_EQ(db.value(through_view), expected) << after;
        EXPECT_EQ(other.value(through_view), expected) << after;
        EXPECT_EQ(db.value(sum), expected) << after;
        EXPECT_EQ(other.value(sum), expected) << after << ": " << other.last.message;
        EXPECT_EQ(run_prepared(), expected) << after;
    };
    everywhere("60", "created");
    ASSERT_TRUE(db.run("DROP FUNCTION CHANGE").ok());
    EXPECT_EQ(db.run(sum).sqlcode, -440);
    EXPECT_EQ(other.run(sum).sqlcode, -440);
    EXPECT_EQ(other.run(through_view).sqlcode, -440);
    create("CREATE FUNCTION CHANGE (X INTEGER) RETURNS INTEGER LANGUAGE SQL DETERMINISTIC RETURN X * 100");
    everywhere("600", "dropped and created again");
    ASSERT_TRUE(other.run("CREATE OR REPLACE FUNCTION CHANGE (X INTEGER) RETURNS INTEGER LANGUAGE SQL DETERMINISTIC "
                          "RETURN X + 1").ok());
    everywhere("9", "replaced on the other connection");
    const Command zal = run_command("ZAL_DATABASE=SAMPLE " + (bin_dir() / "zal").string() +
                                    " 'CREATE OR REPLACE FUNCTION CHANGE (X INTEGER) RETURNS INTEGER LANGUAGE SQL "
                                    "DETERMINISTIC RETURN X - 1' 2>&1");
    ASSERT_EQ(zal.status, 0) << zal.output;
    everywhere("3", "replaced by the command line processor");
    SQLFreeStmt(prepared, SQL_DROP);
}

TEST_F(SqlFunctions, RolledBackFunctionIsGone) {
    auto direct = [&](const std::string &sql) {
        SQLHSTMT h = 0;
        SQLAllocStmt(db.hdbc, &h);
        const SQLRETURN rc = SQLExecDirect(h, (SQLCHAR *)sql.c_str(), SQL_NTS);
        SQLFreeStmt(h, SQL_DROP);
        return rc;
    };
    const std::string definition = "CREATE FUNCTION GONE (X INTEGER) RETURNS INTEGER LANGUAGE SQL DETERMINISTIC RETURN X";
    // to a savepoint
    ASSERT_EQ(direct("SAVEPOINT S"), SQL_SUCCESS);
    ASSERT_EQ(direct(definition), SQL_SUCCESS);
    ASSERT_EQ(direct("ROLLBACK TO S"), SQL_SUCCESS);
    ASSERT_EQ(direct("RELEASE S"), SQL_SUCCESS);
    EXPECT_EQ(db.run("VALUES GONE(1)").sqlcode, -440);
    // the whole transaction
    ASSERT_EQ(direct("BEGIN"), SQL_SUCCESS);
    ASSERT_EQ(direct(definition), SQL_SUCCESS);
    ASSERT_EQ(SQLEndTran(SQL_HANDLE_DBC, db.hdbc, SQL_ROLLBACK), SQL_SUCCESS);
    EXPECT_EQ(db.run("VALUES GONE(1)").sqlcode, -440);
    create(definition);
    EXPECT_EQ(db.value("VALUES GONE(7)"), "7");
}
