// The map search's statements: criteria, the search statement, the block statement.
#include "spatial_query.h"

#include <cmath>
#include <limits>

namespace kestle {

namespace {

constexpr Choice price_choices[] = {
    {"Any", "Any", ""},
    {"200K or less", "< 200K", "~    ( PRICE < 200000 )"},
    {"200K to 300K", "200 - 300K", "~    ( PRICE between 200000 and 300000 )"},
    {"300K to 400K", "300 - 400K", "~    ( PRICE between 300000 and 400000 )"},
    {"400K to 500K", "400 - 500K", "~    ( PRICE between 400000 and 500000 )"},
    {"500K or more", "> 500K", "~    ( PRICE >= 500000 )"},
};
constexpr Choice area_choices[] = {
    {"Any size", "Any", ""},
    {"1500 or less", "< 1500", "~    ( AREA < 1500 )"},
    {"1500 to 2000", "1500 - 2000", "~    ( AREA between 1500 and 2000 )"},
    {"2000 to 3000", "2000 - 3000", "~    ( AREA between 2000 and 3000 )"},
    {"3000 to 4000", "3000 - 4000", "~    ( AREA between 3000 and 4000 )"},
    {"4000 or more", "> 4000", "~    ( AREA >= 4000 )"},
};
constexpr Choice bedroom_choices[] = {
    {"Any", "Any", ""},
    {"3 or less", "<= 3", "~    ( BEDROOMS <= 3 )"},
    {"4", "4", "~    ( BEDROOMS = 4 )"},
    {"5", "5", "~    ( BEDROOMS = 5 )"},
    {"6 or more", "> 5", "~    ( BEDROOMS > 5 )"},
};
constexpr Choice bathroom_choices[] = {
    {"Any", "Any", ""},
    {"2 or less", "<= 2", "~    ( BATHROOMS <= 2 )"},
    {"3", "3", "~    ( BATHROOMS = 3 )"},
    {"4 or more", ">= 4", "~    ( BATHROOMS >= 4)"},
};

constexpr Criterion criteria_order[] = {Criterion::price, Criterion::area, Criterion::bedrooms,
                                        Criterion::bathrooms};

constexpr const char *house_id_test = "~    R.ID IN (SELECT ID FROM HOUSEID)";

} // namespace

std::span<const Choice> choices(Criterion c) {
    static constexpr std::span<const Choice> all[] = {price_choices, area_choices, bedroom_choices, bathroom_choices};
    return all[static_cast<std::size_t>(c)];
}

std::string condition_text(Criterion c, int value) {
    const std::span<const Choice> all = choices(c);
    if (value < 1 || static_cast<std::size_t>(value) > all.size())
        return {};
    return all[static_cast<std::size_t>(value - 1)].condition;
}

int16_t &MapQuery::selection(Criterion c) {
    int16_t *const all[] = {&price_sel, &area_sel, &beds_sel, &baths_sel};
    return *all[static_cast<std::size_t>(c)];
}

std::string Gen_SQL(MapQuery &q, const std::optional<SelectBox> &select_area) {
    q.with_clause.clear();
    if (select_area) {
        const SelectBox &a = *select_area;
        const int32_t x1 = round_long(a.left - a.picture_left);
        const int32_t x2 = round_long(x1 + a.width);
        const int32_t y1 = round_long(a.top - a.picture_top);
        const int32_t y2 = round_long(y1 + a.height);
        q.with_clause = "~with HOUSEID(ID) as"
                        "~  ("
                        "~  select ID from REAL_ESTATE_INDEX "
                        "~    where"
                        "~      X between " +
                        std::to_string(x1) + " and " + std::to_string(x2) + " and " + "~      Y between " +
                        std::to_string(y1) + " and " + std::to_string(y2) + "~  )";
    }
    std::string sql = q.with_clause + "~select XCoord(Address), YCoord(Address), Price from REAL_ESTATE R";

    q.where_conds.clear();
    for (Criterion c : criteria_order) {
        const std::string cond = condition_text(c, q.selection(c));
        if (cond.empty())
            continue;
        if (!q.where_conds.empty())
            q.where_conds += " AND ";
        q.where_conds += cond;
    }
    if (!q.where_conds.empty())
        sql += "~  where" + q.where_conds;
    if (select_area) {
        if (!q.where_conds.empty())
            sql += std::string(" ") + " AND " + house_id_test;
        else
            sql += std::string("~  where") + house_id_test;
    }
    return sql;
}

std::string block_sql(const MapQuery &q, int16_t bx, int16_t by) {
    const std::string joiner = q.where_conds.empty() ? "" : " AND ";
    std::string sql = q.with_clause + "SELECT XMINORINT(ADDRESS), YMINORINT(ADDRESS)," +
                      "  AREA, PRICE, BEDROOMS, BATHROOMS FROM REAL_ESTATE R " + "  WHERE " + q.where_conds +
                      joiner + "  XMAJORINT(ADDRESS) = " + signed_text(bx) + " AND " + "  YMAJORINT(ADDRESS) = " +
                      signed_text(by);
    if (!q.with_clause.empty())
        sql += std::string(" AND ") + "  R.ID IN (SELECT ID FROM HOUSEID) ";
    return sql;
}

int32_t round_long(double v) {
    if (std::isnan(v))
        return 0;
    const double r = std::nearbyint(v);
    if (r <= std::numeric_limits<int32_t>::min())
        return std::numeric_limits<int32_t>::min();
    if (r >= std::numeric_limits<int32_t>::max())
        return std::numeric_limits<int32_t>::max();
    return static_cast<int32_t>(r);
}

std::string signed_text(long n) { return (n >= 0 ? " " : "") + std::to_string(n); }

int price_band(int32_t price) {
    constexpr int32_t limits[] = {200000, 250000, 300000, 350000, 400000, 450000};
    for (int band = 1; band <= 6; ++band)
        if (price < limits[band - 1])
            return band;
    return 0;
}

} // namespace kestle
