#include "explain_report.h"

#include <test_support.h>

#include <gtest/gtest.h>

using namespace kestle;
using kestle_test::TempDir;
using kestle_test::write_text;

TEST(ExplainView, CostAndPlanLinesOfTheReport) {
    struct Case {
        const char *report;
        std::optional<std::string> shown;
    } cases[] = {
        // as the explain tool writes it: only the first statement's plan is shown
        {"Statement 1 (database SAMPLE):\n  SELECT 1\n\nEstimated Cost = 12.50\n\nAccess Plan:\n  SCAN E\n"
         "    SEARCH D\n========\n\nStatement 2:\nEstimated Cost = 3.00\n\nAccess Plan:\n  SCAN S\n",
         "Cost = 12.50\r\n\r\n  SCAN E\r\n    SEARCH D"},
        // CR LF lines, blank plan lines dropped, the plan running to the end of the file
        {"Cost = 1\r\nPlan:\r\n a\r\n   \r\n\tb\r\n", "Cost = 1\r\n\r\n a\r\n\tb"},
        // "Plan:" on the cost line is not the plan line
        {"Cost = 1 Plan:\nx\nPlan:\np\n", "Cost = 1 Plan:\r\n\r\np"},
        // a plan that ends at once
        {"Cost = 1\nPlan:\n=== end\n", "Cost = 1\r\n"},
        // a "===" inside a line does not end the plan
        {"Cost = 1\nPlan:\n a === b\n", "Cost = 1\r\n\r\n a === b"},
        {"", std::nullopt},
        {"[ZAL][CLI Driver][ZAL] SQL0204N  \"NOSUCH\" is an undefined name.\n========\n", std::nullopt},
        {"Estimated Cost = 5", std::nullopt},         // the cost line is the last line
        {"Estimated Cost = 5\n", std::nullopt},
        {"Cost = 5\nno plan here\n", std::nullopt},   // no plan line
        {"Cost = 5\nAccess Plan:\n", std::nullopt},   // the plan line is the last line
        {"cost = 5\nPlan:\nx\n", std::nullopt},       // compared exactly
    };
    TempDir dir;
    for (const Case &c : cases) {
        write_text(dir / "report", c.report);
        EXPECT_EQ(explain_view((dir / "report").string()), c.shown) << c.report;
    }
    EXPECT_EQ(explain_view((dir / "missing").string()), std::nullopt);
    EXPECT_EQ(explain_view(dir.path().string()), std::nullopt); // a directory
}

TEST(ExplainView, DatabaseMessageOfAStatementThatCannotBeExplained) {
    struct Case {
        const char *report;
        const char *message;
    } cases[] = {
        // as the explain tool writes it: the statement's lines are indented, the message is not
        {"Statement 1 (database SAMPLE):\n  SELECT * FROM NOSUCH\n  SQL0999N as a column\n\n"
         "[ZAL][CLI Driver][ZAL] SQL0204N  \"NOSUCH\" is an undefined name.  SQLSTATE=42704\n========\n",
         "SQL0204N  \"NOSUCH\" is an undefined name.  SQLSTATE=42704"},
        {"SQL0104N  An unexpected token\r\nSQL0204N  a later one\n", "SQL0104N  An unexpected token"},
        {"[ZAL][CLI Driver][ZAL] CLI0100E  Wrong  SQLSTATE=HY000\n", "CLI0100E  Wrong  SQLSTATE=HY000"},
        {"  SQL0204N  indented, so part of a statement\n", ""},
        {"[ZAL][CLI] SQL0204N  two prefixes only\n", ""},
        {"zalexpln: the input file \"ZALSQL.SQL\" holds no statement\n", ""},
        {"SQL0204 short of its letter\nsql0204N lower case\n", ""},
        {"", ""},
    };
    TempDir dir;
    for (const Case &c : cases) {
        write_text(dir / "report", c.report);
        EXPECT_EQ(explain_message((dir / "report").string()), c.message) << c.report;
    }
    EXPECT_EQ(explain_message((dir / "missing").string()), "");
}
