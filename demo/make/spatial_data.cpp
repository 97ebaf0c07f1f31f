// The houses of the map demonstration: where they stand, what they are worth, and the
// statements that put them into the database.
#include "spatial_data.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace spatial {

namespace {

// A fixed sequence, the same on every machine and with every library.
class Random {
public:
    explicit Random(uint64_t seed) : state_(seed) {}
    uint32_t next() {
        state_ = state_ * 6364136223846793005ULL + 1442695040888963407ULL;
        return static_cast<uint32_t>(state_ >> 33);
    }
    // lo to hi, both included.
    int between(int lo, int hi) { return lo + static_cast<int>(next() % static_cast<uint32_t>(hi - lo + 1)); }

private:
    uint64_t state_;
};

std::string ordinal(int n) {
    const int tens = n % 100;
    const char *suffix = (tens >= 11 && tens <= 13) ? "th"
                         : n % 10 == 1            ? "st"
                         : n % 10 == 2            ? "nd"
                         : n % 10 == 3            ? "rd"
                                                  : "th";
    return std::to_string(n) + suffix;
}

// How much a place adds to a price: the water and the parks, and the north-east side.
double location_value(int x, int y) {
    double best = 0;
    for (int by = 0; by < blocks; ++by)
        for (int bx = 0; bx < blocks; ++bx) {
            const Ground g = ground(bx, by);
            if (g != Ground::lake && g != Ground::park)
                continue;
            const double cx = bx * block_twips + block_twips / 2.0, cy = by * block_twips + block_twips / 2.0;
            const double d = std::hypot(x - cx, y - cy) / block_twips;
            best = std::max(best, (g == Ground::lake ? 1.0 : 0.6) / (1 + d * d));
        }
    return 0.75 + 0.45 * best + 0.25 * (x - y + map_twips) / (2.0 * map_twips);
}

// The values of a house on a lot of a given width: bigger lots carry bigger houses.
void value_house(House &h, Random &r, bool townhouse) {
    if (townhouse) {
        h.area = r.between(850, 1550);
        h.bedrooms = r.between(2, 3);
        h.bathrooms = r.between(1, 2);
    } else {
        const int base = 900 + (h.lot_width - 40) * 32;
        h.area = std::clamp(base + r.between(-700, 900), 1000, 5400);
        h.bedrooms = std::clamp(static_cast<int>(std::lround(h.area / 800.0)) + r.between(-1, 1), 2, 7);
        h.bathrooms = std::clamp(h.bedrooms - r.between(0, 2), 1, 5);
    }
    const double per_area = (62 + r.between(0, 26)) * location_value(h.x, h.y);
    const double price = h.area * per_area + h.bedrooms * 6000 + h.bathrooms * 9000;
    h.price = static_cast<int32_t>(std::lround(price / 1000.0)) * 1000;
}

// A house at the middle of a lot on one side of a block: its number gets the parity of its side.
House place_house(int by, bool north_row, int lot_left, int lot_width) {
    House h;
    const int street_row = north_row ? by : by + 1;
    int x = lot_left + lot_width / 2;
    if ((x % 2 == 1) != north_row)
        ++x;
    h.x = x;
    h.y = street_row * block_twips + (north_row ? setback_twips : -setback_twips);
    h.address = address(x, street_row);
    h.lot_width = lot_width;
    return h;
}

// The street front of a block between the half streets at its sides.
constexpr int front_margin = street_twips / 2 + 8;
constexpr int front_width = block_twips - 2 * front_margin;

} // namespace

Ground ground(int bx, int by) {
    struct Special {
        int bx, by;
        Ground g;
    };
    static constexpr Special specials[] = {
        {3, 1, Ground::lake}, {6, 2, Ground::lake},  {0, 4, Ground::park},       {4, 5, Ground::school},
        {2, 7, Ground::park}, {8, 8, Ground::park},  {7, 5, Ground::townhouses}, {1, 9, Ground::townhouses},
        {5, 8, Ground::townhouses},
    };
    for (const Special &s : specials)
        if (s.bx == bx && s.by == by)
            return s.g;
    return Ground::houses;
}

std::string address(int x, int street_row) { return std::to_string(x) + " " + ordinal(street_row + 1) + " Street"; }

std::vector<House> demo_houses() {
    Random r(1966);
    std::vector<House> houses;
    for (int by = 0; by < blocks; ++by) {
        for (int bx = 0; bx < blocks; ++bx) {
            const Ground g = ground(bx, by);
            if (g != Ground::houses && g != Ground::townhouses)
                continue;
            for (bool north_row : {true, false}) {
                const int lots = g == Ground::townhouses ? 15 : r.between(3, 5) + (r.between(0, 2) == 0);
                const int width = front_width / lots;
                const int left = bx * block_twips + front_margin + (front_width - width * lots) / 2;
                for (int k = 0; k < lots; ++k) {
                    // Now and then a lot stands empty.
                    if (g == Ground::houses && r.between(0, 11) == 0)
                        continue;
                    House h = place_house(by, north_row, left + k * width, width);
                    value_house(h, r, g == Ground::townhouses);
                    h.id = static_cast<int32_t>(houses.size()) + 1;
                    houses.push_back(std::move(h));
                }
            }
        }
    }
    return houses;
}

std::vector<House> generated_houses(int count) {
    Random r(4800);
    std::vector<House> houses;
    houses.reserve(static_cast<std::size_t>(std::max(count, 0)));
    const int cells = blocks * blocks;
    for (int b = 0; b < cells; ++b) {
        const int bx = b % blocks, by = b / blocks;
        // Block b gets its share of the houses.
        const int in_block = count / cells + (b < count % cells ? 1 : 0);
        for (int k = 0; k < in_block; ++k) {
            const int width = r.between(26, 130);
            const int left = bx * block_twips + front_margin + r.between(0, front_width - width);
            House h = place_house(by, r.between(0, 1) == 0, left, width);
            value_house(h, r, width < 40);
            houses.push_back(std::move(h));
        }
    }
    // Numbered as house numbers run, along each side of a street from west to east, the streets
    // from the north: the houses of a rectangle then hold a few runs of numbers, which the index
    // hands out in order and whose rows share pages.
    std::stable_sort(houses.begin(), houses.end(),
                     [](const House &a, const House &b) { return a.y != b.y ? a.y < b.y : a.x < b.x; });
    for (std::size_t i = 0; i < houses.size(); ++i)
        houses[i].id = static_cast<int32_t>(i) + 1;
    return houses;
}

std::vector<std::string> function_statements() {
    // A house's number is its position east; its street, counted from the top edge, and the side
    // of the street that the number's parity tells, give its position south.
    const std::string head = " (ADDRESS VARCHAR(40)) RETURNS INTEGER LANGUAGE SQL DETERMINISTIC\n  RETURN ";
    const std::string block = std::to_string(block_twips);
    const std::string setback = std::to_string(setback_twips);
    return {
        "CREATE FUNCTION XCOORD" + head + "CAST(ADDRESS AS INTEGER)",
        "CREATE FUNCTION YCOORD" + head + block + " * (CAST(SUBSTR(ADDRESS, INSTR(ADDRESS, ' ') + 1) AS INTEGER) - 1)\n" +
            "    + CASE XCOORD(ADDRESS) % 2 WHEN 1 THEN " + setback + " ELSE -" + setback + " END",
        "CREATE FUNCTION XMAJORINT" + head + "XCOORD(ADDRESS) / " + block,
        "CREATE FUNCTION YMAJORINT" + head + "YCOORD(ADDRESS) / " + block,
        "CREATE FUNCTION XMINORINT" + head + "XCOORD(ADDRESS) % " + block + " * 100 / " + block,
        "CREATE FUNCTION YMINORINT" + head + "YCOORD(ADDRESS) % " + block + " * 100 / " + block,
    };
}

std::vector<std::string> schema_statements() {
    // The houses are kept in the order of their key: a house found by its ID is one look-up, not
    // one in the key's index and another in the table.
    std::vector<std::string> s = {
        "CREATE TABLE IF NOT EXISTS REAL_ESTATE (\n"
        "  ID INTEGER NOT NULL PRIMARY KEY,\n"
        "  ADDRESS VARCHAR(40) NOT NULL,\n"
        "  AREA INTEGER,\n"
        "  PRICE INTEGER,\n"
        "  BEDROOMS SMALLINT,\n"
        "  BATHROOMS SMALLINT) WITHOUT ROWID",
    };
    for (std::string &f : function_statements())
        s.push_back(std::move(f));
    // The positions live in an R*Tree, so that a rectangle reads only the houses inside it.
    s.push_back("CREATE VIRTUAL TABLE IF NOT EXISTS REAL_ESTATE_RTREE\n"
                "  USING RTREE_I32 (ID, XMIN, XMAX, YMIN, YMAX)");
    s.push_back("CREATE VIEW IF NOT EXISTS REAL_ESTATE_INDEX (ID, X, Y) AS\n"
                "  SELECT ID, XMIN, YMIN FROM REAL_ESTATE_RTREE");
    return s;
}

std::vector<std::string> index_statements() {
    return {
        "DELETE FROM REAL_ESTATE_RTREE",
        "INSERT INTO REAL_ESTATE_RTREE\n"
        "  SELECT ID, XCOORD(ADDRESS), XCOORD(ADDRESS), YCOORD(ADDRESS), YCOORD(ADDRESS) FROM REAL_ESTATE",
    };
}

std::string insert_statement(std::span<const House> houses, const std::string &table) {
    std::string s = "INSERT INTO " + table + " (ID, ADDRESS, AREA, PRICE, BEDROOMS, BATHROOMS) VALUES";
    s.reserve(s.size() + houses.size() * 64);
    for (std::size_t i = 0; i < houses.size(); ++i) {
        const House &h = houses[i];
        s += (i ? ",\n  (" : "\n  (") + std::to_string(h.id) + ", '" + h.address + "', " + std::to_string(h.area) +
             ", " + std::to_string(h.price) + ", " + std::to_string(h.bedrooms) + ", " + std::to_string(h.bathrooms) +
             ")";
    }
    return s;
}

std::string setup_script(std::span<const House> houses) {
    std::vector<std::string> all = schema_statements();
    // Houses that are there already refuse to come again: the whole INSERT then fails quietly.
    all.push_back(insert_statement(houses));
    for (std::string &s : index_statements())
        all.push_back(std::move(s));
    std::string script;
    for (const std::string &s : all)
        script += "$\n" + s + "\n";
    return script;
}

} // namespace spatial
