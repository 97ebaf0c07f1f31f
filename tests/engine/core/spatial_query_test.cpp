#include "spatial_query.h"

#include "marks.h"
#include "text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace kestle;

namespace {

// The lines of a statement as the "sql" key shows them.
std::vector<std::string> lines_of(const std::string &sql) {
    std::vector<std::string> lines;
    const std::string shown = expand_marks(sql, false);
    std::size_t from = 0;
    for (std::size_t at; (at = shown.find("\r\n", from)) != std::string::npos; from = at + 2)
        lines.push_back(shown.substr(from, at - from));
    lines.push_back(shown.substr(from));
    return lines;
}

SelectBox box(double x1, double y1, double x2, double y2) {
    return {1320 + x1, 600 + y1, x2 - x1, y2 - y1, 1320, 600};
}

constexpr const char *select_head = "~select XCoord(Address), YCoord(Address), Price from REAL_ESTATE R";

} // namespace

TEST(GenSql, TheWorkedExampleGivesItsTwelveLines) {
    MapQuery q;
    q.price_sel = 2;
    q.beds_sel = 3;
    const std::string sql = Gen_SQL(q, box(960, 480, 1920, 1440));
    const std::vector<std::string> expected = {
        "with HOUSEID(ID) as",
        "  (",
        "  select ID from REAL_ESTATE_INDEX ",
        "    where",
        "      X between 960 and 1920 and ",
        "      Y between 480 and 1440",
        "  )",
        "select XCoord(Address), YCoord(Address), Price from REAL_ESTATE R",
        "  where",
        "    ( PRICE < 200000 ) AND ",
        "    ( BEDROOMS = 4 )  AND ",
        "    R.ID IN (SELECT ID FROM HOUSEID)",
    };
    EXPECT_EQ(lines_of(sql), expected);
    EXPECT_EQ(q.where_conds, "~    ( PRICE < 200000 ) AND ~    ( BEDROOMS = 4 )");
    EXPECT_EQ(sql.substr(0, q.with_clause.size()), q.with_clause);
    EXPECT_EQ(q.with_clause.substr(q.with_clause.size() - 4), "~  )");
}

TEST(GenSql, CriteriaAndRectangle) {
    struct Case {
        int16_t price, area, beds, baths;
        bool rectangle;
        std::string expected; // after the select line, or the with clause and the select line
    } cases[] = {
        {0, 0, 0, 0, false, ""},
        {1, 1, 1, 1, false, ""}, // "Any" adds nothing, as 0 does
        {7, -1, 6, 5, false, ""}, // neither do values outside the choices
        {0, 0, 0, 0, true, "~  where~    R.ID IN (SELECT ID FROM HOUSEID)"},
        {0, 0, 0, 2, true, "~  where~    ( BATHROOMS <= 2 )  AND ~    R.ID IN (SELECT ID FROM HOUSEID)"},
        {6, 6, 5, 4, false,
         "~  where~    ( PRICE >= 500000 ) AND ~    ( AREA >= 4000 ) AND ~    ( BEDROOMS > 5 ) AND "
         "~    ( BATHROOMS >= 4)"},
        {3, 2, 0, 3, false,
         "~  where~    ( PRICE between 200000 and 300000 ) AND ~    ( AREA < 1500 ) AND ~    ( BATHROOMS = 3 )"},
    };
    for (const Case &c : cases) {
        MapQuery q;
        q.price_sel = c.price;
        q.area_sel = c.area;
        q.beds_sel = c.beds;
        q.baths_sel = c.baths;
        const std::string sql = c.rectangle ? Gen_SQL(q, box(0, 0, 480, 480)) : Gen_SQL(q, std::nullopt);
        const std::string head = (c.rectangle ? q.with_clause : std::string()) + select_head;
        EXPECT_EQ(sql, head + c.expected);
        EXPECT_EQ(q.with_clause.empty(), !c.rectangle);
    }
}

TEST(GenSql, CornersRoundHalvesToEvenAndKeepTheirSign) {
    MapQuery q;
    // left 12.5 from the picture, width 100; top 13.5, height 0.5
    Gen_SQL(q, SelectBox{1332.5, 613.5, 100, 0.5, 1320, 600});
    EXPECT_NE(q.with_clause.find("X between 12 and 112 and "), std::string::npos) << q.with_clause;
    EXPECT_NE(q.with_clause.find("Y between 14 and 14~"), std::string::npos) << q.with_clause;
    Gen_SQL(q, SelectBox{1300, 590, 40, 20, 1320, 600});
    EXPECT_NE(q.with_clause.find("X between -20 and 20 and "), std::string::npos) << q.with_clause;
    // A later search without a rectangle forgets it.
    Gen_SQL(q, std::nullopt);
    EXPECT_EQ(q.with_clause, "");
}

TEST(BlockSql, UsesTheLastSearchAndSignedBlockNumbers) {
    MapQuery q;
    EXPECT_EQ(block_sql(q, 0, 9), "SELECT XMINORINT(ADDRESS), YMINORINT(ADDRESS),  AREA, PRICE, BEDROOMS, BATHROOMS "
                                  "FROM REAL_ESTATE R   WHERE   XMAJORINT(ADDRESS) =  0 AND   YMAJORINT(ADDRESS) =  9");
    q.price_sel = 2;
    Gen_SQL(q, box(960, 480, 1920, 1440));
    q.price_sel = 6; // changed after the search: the block still takes the search's criteria
    const std::string sql = block_sql(q, 3, 5);
    EXPECT_EQ(sql, q.with_clause + "SELECT XMINORINT(ADDRESS), YMINORINT(ADDRESS),  AREA, PRICE, BEDROOMS, BATHROOMS "
                                   "FROM REAL_ESTATE R   WHERE ~    ( PRICE < 200000 ) AND   XMAJORINT(ADDRESS) =  3 "
                                   "AND   YMAJORINT(ADDRESS) =  5 AND   R.ID IN (SELECT ID FROM HOUSEID) ");
    // After expansion the closing parenthesis stands right before SELECT.
    EXPECT_NE(expand_marks(sql, true).find("  )SELECT XMINORINT"), std::string::npos);
    EXPECT_EQ(signed_text(-3), "-3");
    EXPECT_EQ(signed_text(0), " 0");
}

TEST(MapNumbers, RoundingAndPriceBands) {
    EXPECT_EQ(round_long(12.5), 12);
    EXPECT_EQ(round_long(13.5), 14);
    EXPECT_EQ(round_long(-2.5), -2);
    EXPECT_EQ(round_long(1e12), INT32_MAX);
    EXPECT_EQ(round_long(-1e12), INT32_MIN);

    struct Case {
        int32_t price;
        int band;
    } cases[] = {{0, 1},      {199999, 1}, {200000, 2}, {249999, 2}, {250000, 3}, {300000, 4},
                 {350000, 5}, {400000, 6}, {449999, 6}, {450000, 0}, {2000000, 0}};
    for (const Case &c : cases)
        EXPECT_EQ(price_band(c.price), c.band) << c.price;
    EXPECT_EQ(band_colors[1], 255 + 65536 * 255);  // magenta
    EXPECT_EQ(band_colors[5], 255 + 256 * 128);    // orange
}

TEST(DiagnosticText, FromTheThirdClosingBracket) {
    EXPECT_EQ(after_prefixes("[ZAL][CLI Driver][ZAL] SQL0204N  \"T\" is an undefined name."),
              " SQL0204N  \"T\" is an undefined name.");
    EXPECT_EQ(after_prefixes("no brackets at all "), "no brackets at all ");
    EXPECT_EQ(after_prefixes("[a][b] two only"), "[a][b] two only");
    EXPECT_EQ(after_prefixes("[a][b][c]"), "");
}
