#include "app_fixture.h"

#include "keyed_toolbar.h"
#include "spatial_search.h"
#include "twips.h"
#include "zal_viewers.h"

#include <QApplication>
#include <QHeaderView>
#include <QStyle>
#include <QPlainTextEdit>

using namespace kestle;
using namespace kestle_test;

namespace {

class OutputTest : public AppTest {
protected:
    OutputTest() {
        EXPECT_TRUE(query("CREATE TABLE W (DOC VARCHAR(200), NOTE VARCHAR(10))").ok());
        EXPECT_TRUE(query("INSERT INTO W VALUES ('<?xml version=\"1.0\"?><e/>', 'a'), "
                          "('<a><b>x</b></a>tail', 'b'), ('a long comment, not XML', 'c'), "
                          "('<a>open <b', 'd')")
                        .ok());
    }
    ZALOutput &run_query(ZALSQL &w, const std::string &sql) {
        w.set_command_text(sql);
        w.TB->click("run");
        ZALOutput *out = output(w.my_slot);
        EXPECT_NE(out, nullptr);
        return *out;
    }
    ZALViewText *viewer() { return program().forms.view_text; }
    std::string shown() { return viewer() ? viewer()->text() : std::string(); }
};

TEST_F(OutputTest, WideCellOpensInTheTextViewerLaidOutWhenItIsXml) {
    ZALSQL &w = open_sql();
    ZALOutput &out = run_query(w, "SELECT DOC, NOTE FROM W ORDER BY NOTE");
    ASSERT_TRUE(program().exec.col_info[1].wide);
    ASSERT_FALSE(program().exec.col_info[2].wide);

    const struct {
        int row;
        const char *text;
    } cases[] = {
        {1, "<?xml version=\"1.0\"?>\r\n  <e/>\r\n"},
        {2, "<a>\r\n  <b>\r\n    x\r\n  </b>\r\n</a>\r\ntail"},
        {3, "a long comment, not XML"},
        {4, "<a>\r\n  open \r\n<b"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.row);
        click_cell(*out.DataValues, c.row, 0);
        ASSERT_NE(viewer(), nullptr);
        EXPECT_TRUE(viewer()->isVisible());
        EXPECT_EQ(shown(), c.text);
    }

    // Another button, a narrow column or the header row change nothing.
    viewer()->set_text("kept");
    click_cell(*out.DataValues, 2, 0, Qt::RightButton);
    click_cell(*out.DataValues, 2, 1);
    click_cell(*out.DataValues, 0, 0);
    EXPECT_EQ(shown(), "kept");
}

TEST_F(OutputTest, WideFlagIsThatOfTheLatestResult) {
    ZALSQL &first = open_sql();
    ZALOutput &wide = run_query(first, "SELECT DOC FROM W WHERE NOTE = 'c'");
    ZALSQL &second = open_sql();
    run_query(second, "SELECT NOTE FROM W");
    click_cell(*wide.DataValues, 1, 0);
    EXPECT_EQ(viewer(), nullptr);

    // A map search lays its own columns out in the row buffer but leaves the flags as they are.
    run_query(first, "SELECT DOC FROM W WHERE NOTE = 'c'");
    ASSERT_EQ(SQLresults(program(), "VALUES (1, 2)"), 1);
    click_cell(*wide.DataValues, 1, 0);
    ASSERT_NE(viewer(), nullptr);
    EXPECT_EQ(shown(), "a long comment, not XML");
}

TEST_F(OutputTest, ResizeKeepsTheMinimumAndLaysOutTheGrid) {
    ZALSQL &w = open_sql();
    ZALOutput &out = run_query(w, "SELECT NOTE FROM W");
    EXPECT_NEAR(px_to_twips(out.DataValues->y()), 360, 15);
    out.resize_twips(1000, 1000);
    EXPECT_GE(out.width_twips(), 2985);
    EXPECT_GE(out.height_twips(), 2985);
    out.resize_twips(8000, 5000);
    EXPECT_NEAR(px_to_twips(out.QueryNo->width()), 8000 - 300, 30);
    EXPECT_NEAR(px_to_twips(out.DataValues->width()), 8000 - 300, 30);
    EXPECT_NEAR(px_to_twips(out.DataValues->height()), 5000 - 860, 30);
}

// The width the view leaves for a cell's text once its margins and grid line are taken.
int text_room(Grid &g, int col) {
    const int margin = g.style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, &g) + 1;
    return g.columnWidth(col) - 2 * margin - (g.showGrid() ? 1 : 0);
}

TEST_F(OutputTest, CellsAndBoldHeadersFitTheirColumnsAtLargeFonts) {
    // Digits are as wide as the "O" of the sample in a fixed-pitch font.
    const struct {
        const char *font, *size;
    } fonts[] = {{"DejaVu Sans Mono", "14"}, {"Microsoft Sans Serif", "14"}, {"DejaVu Serif", "24"}};
    ZALSQL &w = open_sql();
    for (const auto &f : fonts) {
        SCOPED_TRACE(std::string(f.font) + " " + f.size);
        var_add(program().vars, "font", f.font);
        var_add(program().vars, "fontsize", f.size);
        ZALOutput &out = run_query(w, "SELECT EMP_NO, MID_INIT, 'OOOOOO' AS O6 FROM EMPLOYEE");
        out.show_form();
        Grid &g = *out.DataValues;
        const QFontMetrics metrics(g.font());
        for (int c = 0; c < g.cols(); ++c) {
            SCOPED_TRACE(c);
            const QString value = qt(g.text_matrix(1, c));
            EXPECT_EQ(metrics.elidedText(value, Qt::ElideRight, text_room(g, c)), value);
            EXPECT_GE(g.columnWidth(c), g.horizontalHeader()->sectionSizeHint(c)); // bold when current
        }
        EXPECT_GE(g.rowHeight(0), metrics.height());
    }
}

TEST_F(OutputTest, ColumnNamesShowInThePartOfTheirColumnThatIsInView) {
    ZALSQL &w = open_sql();
    // The wide column is much wider than the grid of the smallest window.
    ZALOutput &out = run_query(w, "SELECT NOTE, DOC, NOTE AS LAST FROM W");
    out.show_form();
    out.resize_twips(3000, 3000);
    QApplication::processEvents();
    Grid &g = *out.DataValues;
    auto &header = dynamic_cast<GridHeader &>(*g.horizontalHeader());
    const QRect view = header.viewport()->rect();
    ASSERT_GT(g.columnWidth(1), view.width());
    QFont bold = header.font();
    bold.setBold(true);
    auto name_in_view = [&](int c) {
        const QRect r = header.name_rect(c);
        const int w = QFontMetrics(bold).horizontalAdvance(qt(g.text_matrix(0, c)));
        return view.contains(QRect(r.center().x() - w / 2, r.y(), w, r.height()));
    };
    // The wide column's middle lies past the right edge; then the column covers the whole view.
    EXPECT_TRUE(name_in_view(0));
    EXPECT_GT(header.sectionViewportPosition(1) + g.columnWidth(1) / 2, view.width());
    EXPECT_TRUE(name_in_view(1));
    g.set_left_col(1);
    QApplication::processEvents();
    EXPECT_LE(header.sectionViewportPosition(1), 0);
    EXPECT_TRUE(name_in_view(1));
    EXPECT_TRUE(header.name_rect(0).isEmpty());
}

TEST_F(OutputTest, RowsAndHeaderFollowTheFontOfTheSettingsKey) {
    ZALSQL &w = open_sql();
    ZALOutput &out = run_query(w, "SELECT EMP_NO FROM EMPLOYEE");
    out.show_form();
    Grid &g = *out.DataValues;
    const int row_before = g.rowHeight(0);
    const int header_before = g.horizontalHeader()->height();
    dialogs().font_answers.push_back(FontChoice{"DejaVu Sans", 28});
    program().master().TB->click("settings");
    QApplication::processEvents();
    QFont bold = g.font();
    bold.setBold(true);
    EXPECT_GE(g.rowHeight(0), QFontMetrics(g.font()).height());
    EXPECT_GT(g.rowHeight(0), row_before);
    EXPECT_GE(g.horizontalHeader()->height(), QFontMetrics(bold).height());
    EXPECT_GT(g.horizontalHeader()->height(), header_before);
    const QString value = qt(g.text_matrix(1, 0));
    EXPECT_EQ(QFontMetrics(g.font()).elidedText(value, Qt::ElideRight, text_room(g, 0)), value);
}

} // namespace
