// The routines as the database calls them, registered by demo/zal-functions.sql.
#include "default_airports.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace kestle_test;

namespace {

std::vector<std::string> statements_of(const std::string &script) {
    std::vector<std::string> statements;
    size_t from = 0;
    while (from < script.size()) {
        size_t end = script.find(';', from);
        std::string statement = script.substr(from, end == std::string::npos ? std::string::npos : end - from);
        if (statement.find_first_not_of(" \t\r\n") != std::string::npos)
            statements.push_back(statement);
        from = end == std::string::npos ? script.size() : end + 1;
    }
    return statements;
}

class RoutinesSql : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(client.connect("SAMPLE"), SQL_SUCCESS) << client.last.message;
        const auto statements = statements_of(read_text(source_dir() / "demo/zal-functions.sql"));
        ASSERT_EQ(statements.size(), 4u);
        for (const std::string &statement : statements) {
            Result r = client.run(statement);
            ASSERT_TRUE(r.ok()) << statement << "\n" << r.message;
        }
    }

    std::vector<std::string> column(const std::string &sql) {
        Result r = client.run(sql);
        EXPECT_TRUE(r.ok()) << sql << "\n" << r.message;
        std::vector<std::string> values;
        for (const auto &row : r.rows)
            values.push_back(row.at(0));
        return values;
    }

    TempHome home;
    Client client;
};

using Ids = std::vector<std::string>;

TEST_F(RoutinesSql, RgbFindsTheColoursOfStoredMaps) {
    const char *rows[] = {
        "(1, X'0A141E00FF000000')",                 // (10, 20, 30), end
        "(2, X'00FFFF070A141E00FF000000')",         // (0, 255, 255), (10, 20, 30), end
        "(3, X'01020300FF0000000A141E00')",         // (1, 2, 3), end, then a colour past it
        "(4, X'0A141E')",                           // one colour and no end entry
        "(5, NULL)",
    };
    ASSERT_TRUE(client.run("CREATE TABLE MAPS (ID INTEGER, MAP BLOB(1K))").ok()) << client.last.message;
    for (const char *row : rows)
        ASSERT_TRUE(client.run(std::string("INSERT INTO MAPS VALUES ") + row).ok()) << client.last.message;

    auto found = [&](const char *colour) {
        return column(std::string("SELECT ID FROM MAPS WHERE rgb(MAP, ") + colour + ") >= 1 ORDER BY ID");
    };
    EXPECT_EQ(found("10, 20, 30"), (Ids{"1", "2", "4"}));
    EXPECT_EQ(found("0, 255, 255"), (Ids{"2"}));
    EXPECT_EQ(found("1, 2, 3"), (Ids{"3"}));
    EXPECT_EQ(found("10, 20, 31"), Ids{});
    EXPECT_EQ(found("255, 0, 0"), Ids{});
    EXPECT_EQ(column("SELECT rgb(MAP, 1, 2, 3) FROM MAPS ORDER BY ID"), (Ids{"0", "0", "1", "0", "<null>"}));
    // red 10 and 2^32 more is no red at all, never red 10
    Result r = client.run("SELECT ID FROM MAPS WHERE rgb(MAP, 4294967306, 20, 30) >= 1");
    EXPECT_EQ(r.sqlcode, -413) << r.message;
    EXPECT_EQ(r.sqlstate, "22003");
}

TEST_F(RoutinesSql, SearchFindsThePattern) {
    EXPECT_EQ(client.value("VALUES search('abc', 'xxabcxx')"), "3");
    EXPECT_EQ(client.value("VALUES search('[a-c]2[0-9]', 'zzb12')"), "3");
    EXPECT_EQ(client.value("VALUES search('ab', 'aab')"), "0");
}

TEST_F(RoutinesSql, AirportsGivesTheDefaultRowsInOrder) {
    Result r = client.run("SELECT * FROM TABLE(airports()) AS A");
    ASSERT_TRUE(r.ok()) << r.message;
    EXPECT_EQ(r.columns, (std::vector<std::string>{"CITY", "CODE"}));
    AirportRows rows;
    for (const auto &row : r.rows)
        rows.emplace_back(row.at(0), row.at(1));
    EXPECT_EQ(rows, default_airports);
    EXPECT_TRUE(std::filesystem::exists(home / "AIRPORTS.DAT"));
}

// airports writes up to 48 characters and a NUL into each result, whatever the registration
// declares: a shorter one gets values cut to its lengths, and nothing is written past a buffer.
TEST_F(RoutinesSql, AirportsUnderAShortRegistrationIsCut) {
    write_text(home / "AIRPORTS.DAT", std::string(60, 'L') + ",LLN;\nParis,CDG;\n");
    ASSERT_TRUE(client.run("CREATE FUNCTION AIRPORTS5 () RETURNS TABLE (CITY VARCHAR(5), CODE CHAR(1)) "
                           "EXTERNAL NAME 'kestle!airports' LANGUAGE C").ok())
        << client.last.message;
    Result r = client.run("SELECT * FROM TABLE(AIRPORTS5()) AS A");
    ASSERT_TRUE(r.ok()) << r.message;
    const std::vector<std::vector<std::string>> rows = {{"LLLLL", ""}, {"LLLLL", "L"}, {"Paris", "C"}};
    EXPECT_EQ(r.rows, rows);

    ASSERT_TRUE(client.run("CREATE FUNCTION AIRPORTS_N () RETURNS TABLE (CITY SMALLINT, CODE INTEGER) "
                           "EXTERNAL NAME 'kestle!airports' LANGUAGE C").ok())
        << client.last.message;
    EXPECT_EQ(client.value("SELECT COUNT(*) FROM TABLE(AIRPORTS_N()) AS A"), "3");
}

TEST_F(RoutinesSql, PauseReturnsZero) {
    EXPECT_EQ(client.value("VALUES pause(500)"), "0");
    EXPECT_EQ(client.value("VALUES pause(-1)"), "0");
}

} // namespace
