// The ZAL dialect's translation into the engine's SQL, and the lexer under it.
#include "dialect.h"

#include <gtest/gtest.h>

using zal::StatementKind;
using zal::translate;

namespace {

// The translation with runs of blanks folded, so cases read as written.
std::string folded(const std::string &sql) {
    std::string out;
    for (char c : translate(sql).sql) {
        if (c == ' ' && (out.empty() || out.back() == ' '))
            continue;
        out += c;
    }
    while (!out.empty() && out.back() == ' ')
        out.pop_back();
    return out;
}

} // namespace

TEST(Dialect, TranslatesTheDialect) {
    const std::pair<const char *, const char *> cases[] = {
        {"values current user", "VALUES (ZAL_USER())"},
        {"VALUES 1, 2", "VALUES (1), (2)"},
        {"VALUES (1, 2), (3, 4)", "VALUES (1, 2), (3, 4)"},
        {"VALUES (1+2)*3", "VALUES ((1+2)*3)"},
        {"select user, current_user, current schema from t", "SELECT ZAL_USER(), ZAL_USER(), ZAL_USER() FROM T"},
        {"SELECT CURRENT DATE, CURRENT TIME, CURRENT TIMESTAMP FROM T",
         "SELECT ZAL_CURRENT_DATE(), ZAL_CURRENT_TIME(), ZAL_CURRENT_TIMESTAMP() FROM T"},
        {"SELECT * FROM T ORDER BY A FETCH FIRST 5 ROWS ONLY", "SELECT * FROM T ORDER BY A LIMIT 5"},
        {"SELECT * FROM T FETCH FIRST ROW ONLY", "SELECT * FROM T LIMIT 1"},
        {"SELECT * FROM T FOR READ ONLY WITH UR", "SELECT * FROM T"},
        {"SELECT * FROM TABLE(airports()) AS A", "SELECT * FROM AIRPORTS() AS A"},
        {"SELECT * FROM TABLE ( f(1, 'x') ) x", "SELECT * FROM F(1, 'x') X"},
        {"CREATE TABLE P (PIC BLOB(2M), TXT CLOB(32K), V VARCHAR(1k))",
         "CREATE TABLE P (PIC BLOB(2097152), TXT CLOB(32768), V VARCHAR(1024))"},
        {"CREATE TABLE B (X VARCHAR(8) FOR BIT DATA)", "CREATE TABLE B (X VARCHAR(8) )"},
        {"CREATE TABLE K (ID INTEGER NOT NULL PRIMARY KEY, N INTEGER CHECK (N = INTEGER(N)))",
         "CREATE TABLE K (ID INT NOT NULL PRIMARY KEY, N INT CHECK (N = INTEGER(N)))"},
        {"SELECT INTEGER(X) FROM T WHERE X IS NOT NULL", "SELECT INTEGER(X) FROM T WHERE X IS NOT NULL"},
        {"SELECT NAME FROM sysorl.systables", "SELECT NAME FROM SYSORL_SYSTABLES"},
        {"SELECT A CONCAT B FROM T", "SELECT A || B FROM T"},
        {"CREATE TABLE L (T TIMESTAMP DEFAULT CURRENT TIMESTAMP)",
         "CREATE TABLE L (T TIMESTAMP DEFAULT CURRENT_TIMESTAMP)"},
        // names change case in their ASCII letters only
        {"select grüße from straße", "SELECT GRüßE FROM STRAßE"},
    };
    for (auto [zal, engine] : cases)
        EXPECT_EQ(folded(zal), engine) << zal;
}

TEST(Dialect, LeavesQuotesAndCommentsAlone) {
    const std::pair<const char *, const char *> cases[] = {
        {"SELECT 'user -- current date', \"Mixed\" FROM t", "SELECT 'user -- current date', \"Mixed\" FROM T"},
        {"SELECT 1 -- values 1, 2\nFROM t", "SELECT 1 -- values 1, 2\nFROM T"},
        {"SELECT /* fetch first 1 rows only */ x FROM t", "SELECT /* fetch first 1 rows only */ X FROM T"},
        {"SELECT 'it''s', X'0aff' FROM t", "SELECT 'it''s', X'0aff' FROM T"},
        {"SELECT T.USER FROM T", "SELECT T.USER FROM T"},
        {"SELECT 'unterminated", "SELECT 'unterminated"},
    };
    for (auto [zal, engine] : cases)
        EXPECT_EQ(folded(zal), engine) << zal;
}

TEST(Dialect, ClassifiesStatementsAndNamesTheirObject) {
    struct Case {
        const char *sql;
        StatementKind kind;
        const char *object;
    };
    const Case cases[] = {
        {"create table emp_x (a int)", StatementKind::CreateTable, "EMP_X"},
        {"CREATE TABLE IF NOT EXISTS \"Quoted\" (a int)", StatementKind::CreateTable, "Quoted"},
        {"CREATE VIEW admin.v AS SELECT 1", StatementKind::CreateView, "V"},
        {"DROP TABLE IF EXISTS t", StatementKind::DropTable, "T"},
        {"DROP VIEW v", StatementKind::DropView, "V"},
        {"CREATE FUNCTION rgb (BLOB) RETURNS INTEGER EXTERNAL NAME 'k!rgb'", StatementKind::CreateFunction, "RGB"},
        {"DROP FUNCTION rgb", StatementKind::DropFunction, "RGB"},
        {"COMMIT WORK", StatementKind::Commit, ""},
        {"ROLLBACK", StatementKind::Rollback, ""},
        {"ROLLBACK TO SAVEPOINT a", StatementKind::Other, ""},
        {"  -- nothing\n ;", StatementKind::Empty, ""},
        {"SELECT 1", StatementKind::Other, ""},
    };
    for (const Case &c : cases) {
        zal::Translation t = translate(c.sql);
        EXPECT_EQ(t.kind, c.kind) << c.sql;
        EXPECT_EQ(t.object, c.object) << c.sql;
    }
}

TEST(Dialect, LengthBeyondTwoGigabytesIsRefusedNotWrapped) {
    EXPECT_EQ(folded("CREATE TABLE P (PIC BLOB(2G))"), "CREATE TABLE P (PIC BLOB(2147483648))");
    EXPECT_EQ(translate("CREATE TABLE P (PIC BLOB(2G))").invalid_length, "");
    for (const char *length : {"17179869184G", "3G", "2049M", "99999999999999999999999999K"})
        EXPECT_EQ(translate(std::string("CREATE TABLE P (V VARCHAR(") + length + "))").invalid_length, length);
}

TEST(Dialect, ExpressionParametersBecomeMarkers) {
    EXPECT_EQ(zal::translate_expression("x * 2 + y.x + f(y)", {"X", "Y"}), "?1 * 2 + Y.X + F(?2)");
}
