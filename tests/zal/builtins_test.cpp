// The dialect's scalar functions and special registers, as statements see them.
#include "test_support.h"

#include <gtest/gtest.h>

using namespace kestle_test;

TEST(Builtins, ScalarFunctionsAndSpecialRegisters) {
    TempHome home;
    Client db("SAMPLE");
    const std::pair<const char *, const char *> cases[] = {
        // case changes ASCII letters only: UTF-8 text keeps its other characters
        {"VALUES UCASE('Grüße, i')", "GRüßE, I"},
        {"VALUES LCASE('ÄRGER Ist')", "Ärger ist"},
        {"VALUES UCASE(NULL)", "<null>"},
        {"VALUES YEAR('2004-06-15')", "2004"},
        {"VALUES MONTH('2004-06-15 10:20:30')", "6"},
        {"VALUES DAY('2004-06-15')", "15"},
        {"VALUES YEAR('20x4-06-15')", "<null>"},
        {"VALUES DAY('2004-06')", "<null>"},
        {"VALUES VALUE(NULL, NULL, 3)", "3"},
        {"VALUES CONCAT('a', 'b')", "ab"},
        {"VALUES CONCAT('a', NULL)", "<null>"},
        {"VALUES DECIMAL(3.14159, 5, 2)", "3.14"},
        {"VALUES DECIMAL(7.9)", "7"},
        {"VALUES INTEGER(-7.9)", "-7"},
        {"VALUES DOUBLE(3)", "3.0"},
        {"VALUES CHAR(42)", "42"},
        {"VALUES CURRENT SERVER", "SAMPLE"},
        {"VALUES LENGTH(CURRENT TIMESTAMP) || ' ' || LENGTH(CURRENT DATE) || ' ' || LENGTH(CURRENT TIME)", "26 10 8"},
    };
    for (auto [sql, expected] : cases) {
        const Result r = db.run(sql);
        ASSERT_TRUE(r.ok() && r.rows.size() == 1) << sql << ": " << r.message;
        EXPECT_EQ(r.rows[0][0], expected) << sql;
    }
}
