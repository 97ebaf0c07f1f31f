// runstats: statistics through the real zalRunstats, and names that cannot be passed on.
#include "kestle_routines.h"
#include "test_support.h"

#include <zalapp.h>

#include <gtest/gtest.h>

#include <string>

using namespace kestle_test;

namespace {

TEST(Runstats, RefusesANameThatDoesNotFitWithoutCallingTheDatabase) {
    // No connection: had zalRunstats been called, it would have reported that instead.
    EXPECT_EQ(runstats(nullptr), ZAL_SQLCODE_BAD_REQUEST);
    EXPECT_EQ(runstats(std::string(100, 'A').c_str()), ZAL_SQLCODE_BAD_REQUEST);
    EXPECT_EQ(runstats(("SCHEMA." + std::string(200, 'T')).c_str()), ZAL_SQLCODE_BAD_REQUEST);
}

class RunstatsOnADatabase : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(client.connect("SAMPLE"), SQL_SUCCESS) << client.last.message;
        schema = client.value("VALUES USER");
        ASSERT_FALSE(schema.empty());
    }

    void make_table(const std::string &table, int rows) {
        ASSERT_TRUE(client.run("CREATE TABLE " + table + " (X INTEGER)").ok()) << client.last.message;
        for (int i = 0; i < rows; ++i)
            ASSERT_TRUE(client.run("INSERT INTO " + table + " VALUES (" + std::to_string(i) + ")").ok());
    }

    std::string card(const std::string &table) {
        return client.value("SELECT CARD FROM SYSORL.SYSTABLES WHERE NAME = '" + table + "' AND CREATOR = '" +
                            schema + "'");
    }

    TempHome home;
    Client client;
    std::string schema;
};

TEST_F(RunstatsOnADatabase, MakesCardShowTheRowCount) {
    make_table("T", 3);
    EXPECT_EQ(card("T"), "-1");
    EXPECT_EQ(runstats((schema + ".T").c_str()), 0);
    EXPECT_EQ(card("T"), "3");
    ASSERT_TRUE(client.run("INSERT INTO T VALUES (7)").ok());
    EXPECT_EQ(runstats((schema + ".T").c_str()), 0);
    EXPECT_EQ(card("T"), "4");
}

TEST_F(RunstatsOnADatabase, ATableThatDoesNotExistGivesANegativeCode) {
    EXPECT_LT(runstats((schema + ".NO_SUCH_TABLE").c_str()), 0);
}

// 99 characters is the longest name that fits, and it reaches the database unchanged.
TEST_F(RunstatsOnADatabase, ANameOf99CharactersIsPassedOn) {
    const std::string table(99 - schema.size() - 1, 'L');
    make_table(table, 2);
    const std::string name = schema + "." + table;
    ASSERT_EQ(name.size(), 99u);
    EXPECT_EQ(runstats(name.c_str()), 0);
    EXPECT_EQ(card(table), "2");
}

} // namespace
