// The map search's query runner on a real database: numbers, limits, errors and houses.
#include "app_fixture.h"

#include "spatial_search.h"

using namespace kestle;
using namespace kestle_test;

namespace {

class SpatialSearchTest : public AppTest {
protected:
    SpatialSearch &search() { return program().spatial; }
    int32_t cell(int row, int col) {
        return search().results[static_cast<std::size_t>(row)][static_cast<std::size_t>(col)];
    }
};

} // namespace

TEST_F(SpatialSearchTest, CellsAreWholeNumbersRoundedToEvenAndNullReadsAsZero) {
    ASSERT_EQ(SQLresults(program(), "~VALUES (12.5, 13.5, CAST(NULL AS INTEGER), 'none', -2.5, '7 rooms')"), 1);
    EXPECT_EQ(search().row_count, 1);
    const int32_t expected[] = {12, 14, 0, 0, -2, 7};
    for (int j = 1; j <= 6; ++j)
        EXPECT_EQ(cell(1, j), expected[j - 1]) << j;
    // The columns bind one after the other, each 16 bytes wider than its size.
    EXPECT_EQ(program().exec.col_info[1].offset, 1);
    EXPECT_EQ(program().exec.col_info[2].offset, 1 + program().exec.col_info[1].length);
    EXPECT_TRUE(dialogs().shown.empty());
    EXPECT_EQ(program().session.hstmt, 0); // dropped
}

TEST_F(SpatialSearchTest, RowsPastElevenHundredAreCountedNotKept) {
    const std::string rows = "WITH RECURSIVE N(I) AS (SELECT 1 UNION ALL SELECT I + 1 FROM N WHERE I < 1105) ";
    ASSERT_EQ(SQLresults(program(), rows + "SELECT I, I * 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12 FROM N"), 1105);
    EXPECT_EQ(search().row_count, 1105);
    EXPECT_EQ(cell(1100, 1), 1100);
    EXPECT_EQ(cell(1100, 2), 2200);
    EXPECT_EQ(cell(1, 10), 10); // the tenth column is the last kept
    EXPECT_EQ(search().results.size(), 1101u);
    // The next statement starts counting afresh.
    EXPECT_EQ(SQLresults(program(), rows + "SELECT I FROM N WHERE I > 1105"), 0);
    EXPECT_EQ(search().row_count, 0);
}

TEST_F(SpatialSearchTest, FailuresAndStatementsWithoutRows) {
    // A failing statement: the message from its third "]", the leading blank kept.
    EXPECT_EQ(SQLresults(program(), "~select * from NO_SUCH_TABLE"), -1);
    ASSERT_EQ(dialogs().shown.size(), 1u);
    EXPECT_EQ(dialogs().shown[0].title, "ZAL Demonstration Program");
    EXPECT_EQ(dialogs().shown[0].text.substr(0, 10), " SQL0204N ");
    EXPECT_EQ(program().session.hstmt, 0);

    // Nothing to run, or nothing to fetch: no message.
    EXPECT_EQ(SQLresults(program(), "~  ~ "), -1);
    EXPECT_EQ(SQLresults(program(), "CREATE TABLE MAP_T (A INTEGER)"), -1);
    EXPECT_EQ(dialogs().shown.size(), 1u);
    EXPECT_EQ(query("SELECT COUNT(*) FROM MAP_T").rows.at(0).at(0), "0"); // it ran, and was committed

    EXPECT_EQ(get_homes(program(), "SELECT * FROM NO_SUCH_TABLE"), -1);
    EXPECT_EQ(search().home_count, -1);
}

TEST_F(SpatialSearchTest, HousesTakeBedroomsAndBathroomsFromTheirOwnColumns) {
    ASSERT_EQ(get_homes(program(), "VALUES (1, 2, 1500, 250000, 4, 3), (99, 98, 900, 120000, 2, 1)"), 2);
    EXPECT_EQ(search().home_count, 2);
    const home_rec &h = search().homes[1];
    EXPECT_EQ((std::vector<int32_t>{h.x, h.y, h.area, h.price, h.beds, h.baths}),
              (std::vector<int32_t>{1, 2, 1500, 250000, 4, 3}));
    EXPECT_EQ(search().homes[2].x, 99);
    // A block of more houses than the view holds: all are counted, the first 32 kept.
    ASSERT_EQ(get_homes(program(), "WITH RECURSIVE N(I) AS (SELECT 1 UNION ALL SELECT I + 1 FROM N WHERE I < 40) "
                                   "SELECT I, I, 1, 1, 1, 1 FROM N"),
              40);
    EXPECT_EQ(search().homes[32].x, 32);
}

class SpatialSearchOffline : public SpatialSearchTest {
protected:
    SpatialSearchOffline() : SpatialSearchTest() { ZAL_disconnect(program()); }
};

TEST_F(SpatialSearchOffline, WithoutAConnectionTheMessageSaysSo) {
    EXPECT_EQ(SQLresults(program(), "VALUES 1"), -1);
    EXPECT_EQ(dialogs().messages(), (std::vector<std::string>{"No connection exists"}));
}
