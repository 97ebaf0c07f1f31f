// The map search window on the demonstration's own houses, driven by mouse events.
#include "app_fixture.h"

#include "browser.h"
#include "keyed_toolbar.h"
#include "spatial_data.h"
#include "twips.h"
#include "zal_spatial.h"
#include "zal_viewers.h"

#include <QFrame>
#include <QMdiArea>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTest>

#include <algorithm>
#include <set>

using namespace kestle;
using namespace kestle_test;

namespace {

namespace fs = std::filesystem;

using Spot = std::pair<int, int>; // a house's place on the map, twips

class SpatialTest : public AppTest {
protected:
    explicit SpatialTest(bool picture = true) {
        for (const char *file : {"zal-makespatial.xmp", "realestate.jpg"})
            if (picture || std::string(file) != "realestate.jpg")
                fs::copy_file(fs::path(KESTLE_DEMO_OUT) / file, fx.dir / file);
    }

    ZALSpatial &open() {
        program().master().TB->click("spatial");
        ZALSpatial *w = program().forms.spatial;
        EXPECT_NE(w, nullptr);
        return *w;
    }
    SpatialSearch &search() { return program().spatial; }

    // A point of the map widget for a place on the map.
    static QPoint at(ZALSpatial &w, double X, double Y) {
        return QPoint(static_cast<int>(std::lround(X * w.TotalImage->width() / map_size)),
                      static_cast<int>(std::lround(Y * w.TotalImage->height() / map_size)));
    }
    // Where the map widget puts a pixel, in twips of the map.
    static double twips_of(ZALSpatial &w, int px) { return px * double(map_size) / w.TotalImage->width(); }

    static void drag(ZALSpatial &w, QPoint from, QPoint to) {
        QTest::mousePress(w.TotalImage, Qt::LeftButton, {}, from);
        QTest::mouseMove(w.TotalImage, from + QPoint(1, 1));
        QTest::mouseMove(w.TotalImage, to);
        QTest::mouseRelease(w.TotalImage, Qt::LeftButton, {}, to);
    }

    // The places of the search markers on show.
    static std::multiset<Spot> shown_markers(ZALSpatial &w) {
        std::multiset<Spot> spots;
        for (const Shape &m : w.ID)
            if (m.visible)
                spots.insert({static_cast<int>(m.left) - ZALSpatial::map_left + 30,
                              static_cast<int>(m.top) - ZALSpatial::map_top + 30});
        return spots;
    }
    // The houses of the data that a test picks.
    template <class Pick>
    static std::multiset<Spot> houses_where(Pick pick) {
        std::multiset<Spot> spots;
        for (const spatial::House &h : spatial::demo_houses())
            if (pick(h))
                spots.insert({h.x, h.y});
        return spots;
    }
    static std::string found(std::size_t n) { return std::to_string(n) + (n == 1 ? " house found" : " houses found"); }
};

class SpatialWithoutPicture : public SpatialTest {
protected:
    SpatialWithoutPicture() : SpatialTest(false) {}
};

} // namespace

TEST_F(SpatialTest, TheSpatialKeyMakesTheDataOnceAndOpensTheLoadedWindow) {
    program().run.run_at = true; // the script names its own delimiter, so "@" changes nothing
    ZALSpatial &w = open();
    const std::vector<spatial::House> houses = spatial::demo_houses();
    EXPECT_EQ(query("SELECT COUNT(*) FROM REAL_ESTATE").rows.at(0).at(0), std::to_string(houses.size()));
    // The index holds each house where its address puts it, and the functions agree with the data.
    Result rows = query("SELECT R.ID, I.X, I.Y, XMAJORINT(ADDRESS), YMAJORINT(ADDRESS), XMINORINT(ADDRESS),"
                        " YMINORINT(ADDRESS) FROM REAL_ESTATE R JOIN REAL_ESTATE_INDEX I ON I.ID = R.ID"
                        " WHERE I.X = XCOORD(ADDRESS) AND I.Y = YCOORD(ADDRESS) ORDER BY R.ID");
    ASSERT_EQ(rows.rows.size(), houses.size()) << rows.message;
    std::vector<int> per_block(100);
    for (std::size_t i = 0; i < houses.size(); ++i) {
        const spatial::House &h = houses[i];
        const std::vector<std::string> expected = {
            std::to_string(h.id),          std::to_string(h.x),     std::to_string(h.y),
            std::to_string(h.x / 480),     std::to_string(h.y / 480), std::to_string(h.x % 480 * 100 / 480),
            std::to_string(h.y % 480 * 100 / 480)};
        ASSERT_EQ(rows.rows[i], expected);
        ++per_block[static_cast<std::size_t>(h.y / 480 * 10 + h.x / 480)];
    }
    EXPECT_LE(*std::max_element(per_block.begin(), per_block.end()), 31);
    // Every choice of every criterion finds houses.
    for (Criterion c : {Criterion::price, Criterion::area, Criterion::bedrooms, Criterion::bathrooms})
        for (int v = 2; v <= static_cast<int>(choices(c).size()); ++v)
            EXPECT_NE(query("SELECT COUNT(*) FROM REAL_ESTATE WHERE " + expand_marks(condition_text(c, v), true))
                          .rows.at(0).at(0),
                      "0")
                << condition_text(c, v);
    EXPECT_GE(std::count(per_block.begin(), per_block.end(), 0), 1); // a block to press in vain

    EXPECT_EQ(bytes(w.windowTitle()), "Spatial Query");
    EXPECT_NEAR(w.left_twips(), 100, 15);
    EXPECT_TRUE(dialogs().shown.empty());
    EXPECT_EQ(queries().topLevelItemCount(), 0);
    EXPECT_EQ(search().band_color[0], 255 * 256 + 255 * 65536);
    EXPECT_EQ(search().band_color[7], 0);
    EXPECT_TRUE(
        std::all_of(w.ID.begin(), w.ID.end(), [](const Shape &m) { return !m.visible && m.tag == marker_free; }));
    EXPECT_FALSE(w.SelectArea.visible);
    const char *keys[][2] = {{"exit", "Close spatial query"}, {"run", "Run spatial query"},
                             {"edit", "Change selection criteria"}, {"sql", "Show generated SQL"},
                             {"clear", "Clear all query blocks"}, {"info", "Help on spatial query"}};
    ASSERT_EQ(w.TB->actions().size(), 6);
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(w.TB->actions()[i], w.TB->button(keys[i][0]));
        EXPECT_EQ(bytes(w.TB->button(keys[i][0])->toolTip()), keys[i][1]);
    }

    // The window lies wholly inside the main window's client area.
    const QRect area = program().master().mdi->viewport()->rect();
    EXPECT_TRUE(area.contains(w.frame()->geometry())) << w.frame()->geometry().width() << " in " << area.width();

    // Its texts fit their labels.
    for (QLabel *l : {w.Label1, w.Label2, w.Label3, w.Label4, w.Label5, w.Label6, w.Label7, w.Label8, w.Label9,
                      w.Label10, w.Label11})
        EXPECT_LE(l->fontMetrics().horizontalAdvance(l->text()), l->width()) << bytes(l->text());
    for (Criterion c : {Criterion::price, Criterion::area, Criterion::bedrooms, Criterion::bathrooms})
        for (const Choice &choice : choices(c)) {
            GlyphLabel *summary = w.summary_of(c);
            EXPECT_LE(summary->fontMetrics().horizontalAdvance(choice.summary), summary->contentsRect().width());
        }

    // Once more: no house comes twice, and the open window is kept as it is.
    search().house_count = 5;
    program().master().TB->click("spatial");
    EXPECT_EQ(program().forms.spatial, &w);
    EXPECT_EQ(query("SELECT COUNT(*) FROM REAL_ESTATE").rows.at(0).at(0), std::to_string(houses.size()));
    EXPECT_EQ(query("SELECT COUNT(*) FROM REAL_ESTATE_INDEX").rows.at(0).at(0), std::to_string(houses.size()));
}

TEST_F(SpatialTest, TheRectangleSearchReadsTheIndexNotTheTable) {
    open();
    MapQuery q;
    q.price_sel = 2;
    const std::string sql = expand_marks(Gen_SQL(q, SelectBox{2280, 1080, 960, 960, 1320, 600}), true);
    Result plan = query("EXPLAIN QUERY PLAN " + sql);
    ASSERT_TRUE(plan.ok()) << plan.message;
    std::string details;
    for (const auto &row : plan.rows)
        details += row.back() + "\n";
    EXPECT_NE(details.find("REAL_ESTATE_RTREE VIRTUAL TABLE INDEX"), std::string::npos) << details;
    EXPECT_EQ(details.find("SCAN R\n"), std::string::npos) << details;
}

TEST_F(SpatialTest, ADraggedRectangleFindsExactlyTheHousesInsideIt) {
    ZALSpatial &w = open();
    drag(w, at(w, 960, 480), at(w, 1920, 1440));
    ASSERT_TRUE(w.SelectArea.visible);
    const double x1 = twips_of(w, at(w, 960, 0).x()), x2 = twips_of(w, at(w, 1920, 0).x());
    const double y1 = twips_of(w, at(w, 0, 480).y()), y2 = twips_of(w, at(w, 0, 1440).y());
    EXPECT_DOUBLE_EQ(w.SelectArea.left, 1320 + x1);
    EXPECT_DOUBLE_EQ(w.SelectArea.width, x2 - x1);
    EXPECT_DOUBLE_EQ(w.SelectArea.top, 600 + y1);
    EXPECT_DOUBLE_EQ(w.SelectArea.height, y2 - y1);

    const auto inside = houses_where([&](const spatial::House &h) {
        return h.x >= round_long(x1) && h.x <= round_long(x2) && h.y >= round_long(y1) && h.y <= round_long(y2);
    });
    ASSERT_GT(inside.size(), 1u);
    EXPECT_EQ(shown_markers(w), inside);
    EXPECT_EQ(bytes(w.Status->text()), found(inside.size()));
    EXPECT_EQ(search().house_count, static_cast<int>(inside.size()));
    for (int i = 1; i <= search().house_count; ++i) {
        const Shape &m = w.ID[static_cast<std::size_t>(i)];
        EXPECT_EQ(m.tag, marker_placed);
        EXPECT_EQ(m.fill_color, m.border_color);
        EXPECT_EQ(m.fill_color, search().band_color[static_cast<std::size_t>(
                                    price_band(search().results[static_cast<std::size_t>(i)][3]))]);
    }

    // The grid shows only its lines inside the rectangle, cut to it.
    if (x1 == 960 && y1 == 480 && x2 == 1920 && y2 == 1440) {
        std::vector<int> up, across;
        for (int i = 0; i <= 10; ++i) {
            const Line &u = w.LineUp[static_cast<std::size_t>(i)], &a = w.LineAcross[static_cast<std::size_t>(i)];
            if (u.visible) {
                up.push_back(static_cast<int>(u.x1) - 1320);
                EXPECT_EQ(u.y1, 1080);
                EXPECT_EQ(u.y2, 2040);
            }
            if (a.visible) {
                across.push_back(static_cast<int>(a.y1) - 600);
                EXPECT_EQ(a.x1, 2280);
                EXPECT_EQ(a.x2, 3240);
            }
        }
        EXPECT_EQ(up, (std::vector<int>{960, 1440, 1920}));
        EXPECT_EQ(across, (std::vector<int>{480, 960, 1440}));
    }

    // "sql" shows the statement with its line breaks.
    w.TB->click("sql");
    EXPECT_TRUE(w.SQLFrame->isVisible());
    EXPECT_EQ(crlf_text(w.SQL->toPlainText()), expand_marks(search().query.query_sql, false));
    EXPECT_EQ(w.SQL->toPlainText().split('\n').first(), "with HOUSEID(ID) as");
    w.TB->click("run"); // every key first hides the frames
    EXPECT_FALSE(w.SQLFrame->isVisible());
    EXPECT_EQ(shown_markers(w), inside); // the rectangle stays in the search
}

TEST_F(SpatialTest, DraggingPastTheEdgesStopsAtTheMapAndAnEmptyRectangleFindsNothing) {
    ZALSpatial &w = open();
    const QPoint from = at(w, 2400, 2400);
    QTest::mousePress(w.TotalImage, Qt::LeftButton, {}, from);
    QTest::mouseMove(w.TotalImage, from + QPoint(1, 1));
    QTest::mouseMove(w.TotalImage, QPoint(-200, w.TotalImage->height() + 300));
    const double anchor = twips_of(w, from.x());
    EXPECT_DOUBLE_EQ(w.SelectArea.left, 1320);
    EXPECT_DOUBLE_EQ(w.SelectArea.width, round_long(anchor));
    EXPECT_DOUBLE_EQ(w.SelectArea.top, 600 + round_long(twips_of(w, from.y())));
    EXPECT_DOUBLE_EQ(w.SelectArea.top + w.SelectArea.height, 600 + 4800);
    QTest::mouseRelease(w.TotalImage, Qt::LeftButton, {}, QPoint(-200, w.TotalImage->height() + 300));
    EXPECT_GT(search().house_count, 0);

    // Back to the press point: a rectangle of no size, on a street, holds no house.
    const QPoint street = at(w, 480, 480);
    QTest::mousePress(w.TotalImage, Qt::LeftButton, {}, street);
    QTest::mouseMove(w.TotalImage, street + QPoint(1, 1));
    QTest::mouseMove(w.TotalImage, street);
    QTest::mouseRelease(w.TotalImage, Qt::LeftButton, {}, street);
    EXPECT_EQ(w.SelectArea.width, 0);
    EXPECT_EQ(bytes(w.Status->text()), "No houses found");
    EXPECT_TRUE(shown_markers(w).empty());
    EXPECT_TRUE(dialogs().shown.empty());
}

TEST_F(SpatialTest, APressShowsItsBlockAndAPressOnADotShowsTheHouse) {
    ZALSpatial &w = open();
    // Block 2, 3 of the data.
    const auto in_block = [](int bx, int by) {
        std::vector<spatial::House> found;
        for (const spatial::House &h : spatial::demo_houses())
            if (h.x / 480 == bx && h.y / 480 == by)
                found.push_back(h);
        return found;
    };
    const std::vector<spatial::House> block = in_block(2, 3);
    ASSERT_GT(block.size(), 1u);
    QTest::mouseClick(w.TotalImage, Qt::LeftButton, {}, at(w, 2 * 480 + 200, 3 * 480 + 200));
    EXPECT_EQ(bytes(w.Status->text()), std::to_string(block.size()) + " houses in this block");
    EXPECT_FALSE(w.SelectArea.visible); // a press without a move draws nothing
    EXPECT_EQ(w.FullIM->pixmap().toImage(), w.PC.cell(3 * 10 + 2).toImage());
    std::multiset<std::string> dots, expected;
    for (int i = 0; i < ZALSpatial::block_markers; ++i) {
        const GlyphLabel *dot = w.Home[static_cast<std::size_t>(i)];
        if (!dot->isHidden()) {
            EXPECT_GT(i, 0);
            EXPECT_EQ(dot->fore_color, dot->back_color);
            dots.insert(std::to_string(dot->left_twips) + "," + std::to_string(dot->top_twips) + ":" + dot->tag);
        }
    }
    for (const spatial::House &h : block)
        expected.insert(std::to_string(6240 + h.x % 480 * 100 / 480 * 48) + "," +
                        std::to_string(600 + h.y % 480 * 100 / 480 * 48) + ":" +
                        join_fields({h.area, h.price, h.bedrooms, h.bathrooms}));
    EXPECT_EQ(dots, expected);

    // Pressing a dot shows its house beside it; letting go hides it again.
    GlyphLabel *dot = w.Home[1];
    QTest::mousePress(dot, Qt::LeftButton);
    ASSERT_TRUE(w.HouseInfo->isVisible());
    int area = 0, price = 0, beds = 0, baths = 0;
    split_fields(dot->tag, area, price, beds, baths);
    EXPECT_EQ(grid_row(*w.HouseInfo, 0), (std::vector<std::string>{"Price", std::to_string(price)}));
    EXPECT_EQ(grid_row(*w.HouseInfo, 3), (std::vector<std::string>{"Bathrooms", std::to_string(baths)}));
    EXPECT_GE(w.HouseInfo->col_width(0), 900);
    QTest::mouseRelease(dot, Qt::LeftButton);
    EXPECT_FALSE(w.HouseInfo->isVisible());

    // The corners of the map: blocks 9, 0 and 0, 9.
    QTest::mouseClick(w.TotalImage, Qt::LeftButton, {}, QPoint(w.TotalImage->width() - 1, 0));
    const QPixmap &map = w.TotalImage->picture();
    const int cw = map.width() / 10, ch = map.height() / 10;
    EXPECT_EQ(w.FullIM->pixmap().toImage(), map.copy(9 * cw, 0, cw, ch).toImage());
    EXPECT_EQ(bytes(w.Status->text()), std::to_string(in_block(9, 0).size()) + " houses in this block");
    QTest::mouseClick(w.TotalImage, Qt::LeftButton, {}, QPoint(0, w.TotalImage->height() - 1));
    EXPECT_EQ(w.FullIM->pixmap().toImage(), map.copy(0, 9 * ch, cw, ch).toImage());

    // A block without houses.
    ASSERT_EQ(spatial::ground(0, 4), spatial::Ground::park);
    QTest::mouseClick(w.TotalImage, Qt::LeftButton, {}, at(w, 200, 4 * 480 + 200));
    EXPECT_EQ(bytes(w.Status->text()), "No houses found in this block");
    EXPECT_TRUE(std::all_of(w.Home.begin(), w.Home.end(), [](GlyphLabel *d) { return d->isHidden(); }));
    EXPECT_TRUE(dialogs().shown.empty());
}

TEST_F(SpatialTest, TheHouseGridStaysInsideTheWindow) {
    ZALSpatial &w = open();
    const int gw = px_to_twips(w.HouseInfo->width()), gh = px_to_twips(w.HouseInfo->height());
    struct Case {
        int x, y;         // block position of the dot
        int left, top;    // where the grid goes, twips of the window
    } cases[] = {
        {0, 50, 6240 + 120, 600 + 2400 - gh + 120},            // to the right of the dot
        {99, 50, 6240 + 4752 - gw - 120, 600 + 2400 - gh + 120}, // at the right edge: to its left
        {0, 0, 6240 - gw - 120, 120},                           // at the top: at 120, to its left
    };
    GlyphLabel *dot = w.Home[1];
    dot->tag = join_fields({1500, 250000, 4, 3});
    for (const Case &c : cases) {
        dot->place(6240 + c.x * 48, 600 + c.y * 48, 240, 240);
        dot->show();
        dot->raise();
        QTest::mousePress(dot, Qt::LeftButton);
        EXPECT_NEAR(px_to_twips(w.HouseInfo->x()), c.left, 15) << c.x << "," << c.y;
        EXPECT_NEAR(px_to_twips(w.HouseInfo->y()), c.top, 15) << c.x << "," << c.y;
        QTest::mouseRelease(dot, Qt::LeftButton);
    }
    // The house grid's texts are in the window's font, and fit its rows and columns.
    EXPECT_EQ(QFontInfo(w.HouseInfo->font()).pixelSize(), QFontInfo(w.font()).pixelSize());
    const QFontMetrics m(w.HouseInfo->font());
    EXPECT_LE(m.height(), w.HouseInfo->rowHeight(0));
    EXPECT_LE(m.horizontalAdvance("Bathrooms"), w.HouseInfo->columnWidth(0));
}

TEST_F(SpatialTest, CriteriaNarrowTheSearchAndTheLegendFiltersByColour) {
    ZALSpatial &w = open();
    // Summary labels cycle their criterion; the options follow.
    QTest::mouseClick(w.VPrice, Qt::LeftButton);
    EXPECT_EQ(search().query.price_sel, 1);
    EXPECT_EQ(bytes(w.VPrice->text()), "Any");
    QTest::mouseClick(w.VPrice, Qt::LeftButton);
    QTest::mouseClick(w.VPrice, Qt::LeftButton);
    EXPECT_EQ(search().query.price_sel, 3);
    EXPECT_EQ(bytes(w.VPrice->text()), "200 - 300K");
    EXPECT_TRUE(w.price[2]->isChecked());
    w.TB->click("edit");
    EXPECT_TRUE(w.Options->isVisible());
    QTest::mouseClick(w.Bedrooms[2], Qt::LeftButton, {}, QPoint(6, w.Bedrooms[2]->height() / 2));
    EXPECT_EQ(search().query.beds_sel, 3);
    EXPECT_EQ(bytes(w.VBedrooms->text()), "4");
    for (int i = 0; i < 4; ++i)
        QTest::mouseClick(w.VBathrooms, Qt::LeftButton); // 0, then 1 to 4
    EXPECT_EQ(bytes(w.VBathrooms->text()), ">= 4");
    QTest::mouseClick(w.VBathrooms, Qt::LeftButton);
    EXPECT_EQ(search().query.baths_sel, 1); // round again

    w.TB->click("run");
    EXPECT_FALSE(w.Options->isVisible());
    // Both ends of a "between" band count.
    auto wanted = houses_where([](const spatial::House &h) {
        return h.price >= 200000 && h.price <= 300000 && h.bedrooms == 4;
    });
    ASSERT_FALSE(wanted.empty());
    EXPECT_EQ(shown_markers(w), wanted);
    EXPECT_EQ(bytes(w.Status->text()), found(wanted.size()));

    // Everything, then one colour at a time.
    w.TB->click("clear");
    EXPECT_EQ(search().query.price_sel, 1);
    EXPECT_EQ(bytes(w.VBedrooms->text()), "Any");
    EXPECT_TRUE(w.Bedrooms[0]->isChecked());
    EXPECT_TRUE(shown_markers(w).empty());
    w.TB->click("run");
    const auto all = houses_where([](const spatial::House &) { return true; });
    EXPECT_EQ(shown_markers(w), all);
    QTest::mouseClick(w.Range[6], Qt::LeftButton);
    EXPECT_EQ(shown_markers(w), houses_where([](const spatial::House &h) { return h.price >= 450000; }));
    QTest::mouseClick(w.Range[0], Qt::LeftButton);
    EXPECT_EQ(shown_markers(w), houses_where([](const spatial::House &h) { return h.price < 200000; }));
    for (int band = 0; band < 7; ++band)
        EXPECT_FALSE(houses_where([&](const spatial::House &h) {
                         return price_band(h.price) == (band < 6 ? band + 1 : 0);
                     }).empty())
            << band;
    w.TB->click("run");
    EXPECT_EQ(shown_markers(w), all);
}

// A ">450K" marker has the grid's cyan; where a house stands on a grid line, its marker still
// stands out of the line.
TEST_F(SpatialTest, ACyanMarkerOnAGridLineStaysInSight) {
    ZALSpatial &w = open();
    w.TB->click("run");
    ASSERT_TRUE(w.LineUp[2].visible);
    const int32_t cyan = search().band_color[0];
    Shape &m = w.ID[1]; // as a search places a house at (960, 1500), on the third line
    m.left = ZALSpatial::map_left + 960 - 30;
    m.top = ZALSpatial::map_top + 1500 - 30;
    m.fill_color = m.border_color = cyan;
    const QImage map = w.TotalImage->grab().toImage();
    const int x = static_cast<int>(std::lround(960.0 * map.width() / map_size));
    const int middle = static_cast<int>(std::lround(1500.0 * map.height() / map_size));
    auto is_cyan = [&](int y) { return map.pixelColor(x, y) == QColor(0, 255, 255); };
    ASSERT_TRUE(is_cyan(middle)); // the marker keeps its band's colour
    for (int step : {-1, 1}) {
        int y = middle;
        while (is_cyan(y) && std::abs(y - middle) < 10)
            y += step;
        EXPECT_EQ(map.pixelColor(x, y), QColor(Qt::black)) << "the marker ends at " << y;
        while (!is_cyan(y) && std::abs(y - middle) < 10)
            y += step;
        EXPECT_TRUE(is_cyan(y)) << "the line goes on beyond the marker";
    }
}

TEST_F(SpatialTest, AFailingStatementIsToldAndTheWindowGoesOn) {
    ZALSpatial &w = open();
    ASSERT_TRUE(query("ALTER TABLE REAL_ESTATE RENAME TO REAL_ESTATE_AWAY").ok());
    w.TB->click("run");
    ASSERT_EQ(dialogs().shown.size(), 1u);
    EXPECT_EQ(dialogs().shown[0].text.substr(0, 10), " SQL0204N ");
    EXPECT_EQ(bytes(w.Status->text()), "Error processing query");
    EXPECT_EQ(search().house_count, -1);
    EXPECT_TRUE(shown_markers(w).empty());
    EXPECT_TRUE(w.LineUp[3].visible);

    QTest::mouseClick(w.TotalImage, Qt::LeftButton, {}, at(w, 1000, 1000));
    EXPECT_EQ(dialogs().shown.size(), 2u);
    EXPECT_EQ(bytes(w.Status->text()), "No houses found in this block");

    ASSERT_TRUE(query("ALTER TABLE REAL_ESTATE_AWAY RENAME TO REAL_ESTATE").ok());
    w.TB->click("run");
    EXPECT_EQ(bytes(w.Status->text()), found(spatial::demo_houses().size()));
}

TEST_F(SpatialTest, ABlockOfMoreHousesThanDotsShowsTheFirstThirtyOne) {
    ZALSpatial &w = open();
    // Block 7, 5 holds 30 town houses; ten more squeeze in.
    std::string values;
    for (int i = 0; i < 10; ++i)
        values += (i ? ", (" : "(") + std::to_string(9001 + i) + ", '" + spatial::address(3400 + 2 * i + 1, 5) +
                  "', 1000, 100000, 2, 1)";
    ASSERT_TRUE(query("INSERT INTO REAL_ESTATE VALUES " + values).ok());
    QTest::mouseClick(w.TotalImage, Qt::LeftButton, {}, at(w, 7 * 480 + 240, 5 * 480 + 240));
    EXPECT_EQ(bytes(w.Status->text()), "40 houses in this block");
    EXPECT_EQ(std::count_if(w.Home.begin(), w.Home.end(), [](GlyphLabel *d) { return !d->isHidden(); }), 31);
}

TEST_F(SpatialTest, ExitClosesAndTheNextOpeningLoadsAfresh) {
    ZALSpatial *w = &open();
    w->TB->click("run");
    const int16_t count = search().house_count;
    w->TB->click("info");
    ZALViewHTML *help = program().forms.view_html;
    ASSERT_NE(help, nullptr);
    EXPECT_TRUE(help->isVisible());
    EXPECT_EQ(help->Web->address(), "file://" + fs::current_path().string() + "/spatialdemo.htm");

    w->TB->click("exit");
    EXPECT_EQ(program().forms.spatial, nullptr);
    search().query.price_sel = 4;
    w = &open();
    EXPECT_EQ(search().query.price_sel, 0);  // loading resets the criteria
    EXPECT_EQ(search().house_count, count); // and keeps the results
    EXPECT_TRUE(shown_markers(*w).empty());
    w->TB->click("sql"); // no search since loading: nothing to show
    EXPECT_FALSE(w->SQLFrame->isVisible());
}

TEST_F(SpatialWithoutPicture, AMissingMapIsToldAndTheWindowStillSearches) {
    ZALSpatial &w = open();
    ASSERT_EQ(dialogs().shown.size(), 1u);
    EXPECT_EQ(dialogs().shown[0].text, "Spatial image not available");
    EXPECT_EQ(dialogs().shown[0].title, "Spatial Demo");
    EXPECT_EQ(dialogs().shown[0].icon, MessageIcon::Exclamation);
    EXPECT_TRUE(w.isVisible());
    EXPECT_EQ(search().band_color[0], 0);
    w.TB->click("run");
    EXPECT_EQ(bytes(w.Status->text()), found(spatial::demo_houses().size()));
    EXPECT_TRUE(std::all_of(w.LineUp.begin(), w.LineUp.end(), [](const Line &l) { return l.visible; }));
    QTest::mouseClick(w.TotalImage, Qt::LeftButton, {}, at(w, 1000, 1000));
    EXPECT_TRUE(w.FullIM->pixmap().isNull());
    EXPECT_NE(bytes(w.Status->text()).find("in this block"), std::string::npos);
    EXPECT_EQ(dialogs().shown.size(), 1u);
}
