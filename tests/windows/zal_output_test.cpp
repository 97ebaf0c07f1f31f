#include "app_fixture.h"

#include "keyed_toolbar.h"
#include "twips.h"
#include "zal_viewers.h"

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

} // namespace
