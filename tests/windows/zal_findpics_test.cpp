#include "app_fixture.h"
#include "picture_table.h"
#include "thumbnail_tags.h"

#include "browser.h"
#include "close_label.h"
#include "keyed_toolbar.h"
#include "picture_box.h"
#include "pictures.h"
#include "twips.h"
#include "zal_findpics.h"
#include "zal_viewers.h"
#include "zal_viewpic.h"

#include <QApplication>
#include <QLabel>
#include <QMdiArea>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTest>

using namespace kestle;
using namespace kestle_test;

namespace {

// A click of the left button in the middle of a control.
void click(QWidget *w) { QTest::mouseClick(w, Qt::LeftButton); }

class FindpicsTest : public AppTest {
protected:
    void SetUp() override {
        Client c("SAMPLE");
        create_picture_table(c, 10);
        // A connection learns of the routines when it connects.
        ZAL_disconnect(program());
        ASSERT_EQ(ZAL_connect(program(), "SAMPLE", "", ""), 0);
        program().master().TB->click("qbe"); // no setup script here: it runs nothing
    }
    ZALFindpics &search() {
        EXPECT_NE(program().forms.findpics, nullptr);
        return *program().forms.findpics;
    }
    void mark(int cell) { click(search().col[static_cast<std::size_t>(cell)]); }
    void key(const std::string &k) { search().TB->click(k); }
    std::string status_line() { return bytes(search().Status->text()); }
    QRect twips(const QWidget *w) {
        const QRect g = w->geometry();
        return {px_to_twips(g.x()), px_to_twips(g.y()), px_to_twips(g.width()), px_to_twips(g.height())};
    }
};

using Tags = std::vector<std::string>;

TEST_F(FindpicsTest, OpensWithThePaletteItsHiddenCellsAndTheThumbnails) {
    ZALFindpics &w = search();
    EXPECT_TRUE(w.isVisible());
    EXPECT_EQ(bytes(w.windowTitle()), "Query by Image Colors");
    EXPECT_EQ(w.size(), QSize(twips_to_px(6705), twips_to_px(4425)));
    const QRect area = program().master().mdi->viewport()->rect();
    EXPECT_TRUE(area.contains(w.frame()->geometry())) << "inside the client area";

    int shown = 0;
    for (int i = 0; i < 90; ++i) {
        PictureBox &c = *w.col[static_cast<std::size_t>(i)];
        EXPECT_EQ(c.tag, palette_tag(i));
        const Rgb colour = tag_colour(c.tag);
        EXPECT_EQ(c.back_colour(), QColor(colour.red, colour.green, colour.blue));
        if (!palette_visible(i)) {
            EXPECT_TRUE(c.isHidden()) << i;
            EXPECT_EQ(c.border_style(), 1) << i;
            continue;
        }
        EXPECT_EQ(c.border_style(), 0) << i;
        EXPECT_EQ(twips(&c), QRect(120 + 240 * (shown % 24), 3600 + 240 * (shown / 24), 240, 240)) << i;
        ++shown;
    }
    EXPECT_EQ(shown, 72);
    // The rows as they stand: row 2 opens with cells 24, 25 and ends with 53; row 3 ends with 84.
    EXPECT_EQ(twips(w.col[25]).topLeft(), QPoint(360, 3840));
    EXPECT_EQ(twips(w.col[28]).topLeft(), QPoint(600, 3840));
    EXPECT_EQ(twips(w.col[53]).topLeft(), QPoint(120 + 23 * 240, 3840));
    EXPECT_EQ(twips(w.col[54]).topLeft(), QPoint(120, 4080));
    EXPECT_EQ(twips(w.col[84]).topLeft(), QPoint(120 + 23 * 240, 4080));

    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(twips(w.HUESCAN[static_cast<std::size_t>(i)]),
                  QRect(std::array{120, 1680, 3240, 4800}[i % 4], i < 4 ? 480 : 2040, 1500, 1500));
        EXPECT_EQ(w.HUESCAN[static_cast<std::size_t>(i)]->tag, "");
    }
    EXPECT_EQ(twips(w.ScrollPics).topLeft(), QPoint(6360, 480));
    EXPECT_EQ(twips(w.ScrollPics).height(), 3015);
    EXPECT_EQ(w.ScrollPics->maximum(), 0);
    EXPECT_FALSE(w.SQLFrame->isVisible());

    const std::pair<const char *, const char *> keys[] = {{"exit", "Close color query"}, {"run", "Run Query"},
                                                           {"clear", "Reset color selection"},
                                                           {"sql", "Show generated SQL"},
                                                           {"andor", "Toggle between and/or"},
                                                           {"info", "Help on QBE query"}};
    for (const auto &[k, tip] : keys) {
        ASSERT_NE(w.TB->button(k), nullptr) << k;
        EXPECT_EQ(bytes(w.TB->button(k)->toolTip()), tip);
    }
    EXPECT_EQ(w.TB->button_image("andor"), "or");
}

TEST_F(FindpicsTest, NoColourMarkedRunsNothing) {
    key("run");
    EXPECT_EQ(status_line(), "No colors selected");
    EXPECT_EQ(program().pictures.query_sql, "select pic_no, picture, map from pictures ~  where ");
    EXPECT_EQ(thumbnail_tags(search()), Tags(8, ""));

    // After a search, marks cleared: still nothing runs and the thumbnails stay.
    mark(1);
    key("run");
    EXPECT_EQ(status_line(), "5 pictures found");
    key("clear");
    for (PictureBox *c : search().col)
        EXPECT_EQ(c->border_style(), 0);
    key("run");
    EXPECT_EQ(status_line(), "No colors selected");
    EXPECT_EQ(thumbnail_tags(search()), (Tags{"2", "4", "6", "8", "10", "", "", ""}));
    EXPECT_EQ(program().pictures.pics_found, 5);
}

TEST_F(FindpicsTest, TheGeneratedQueryAndItsJoin) {
    key("sql"); // nothing built yet
    EXPECT_FALSE(search().SQLFrame->isVisible());

    mark(1);
    mark(5);
    mark(7);
    mark(7); // a second click takes the mark away
    key("run");
    const std::string worked = "select pic_no, picture, map from pictures ~  where  ~    rgb(map,  0,  0, 85) >= 1 or "
                               "~    rgb(map,  0, 72,170) >= 1";
    EXPECT_EQ(program().pictures.query_sql, worked);
    EXPECT_EQ(status_line(), "10 pictures found");
    EXPECT_EQ(search().ScrollPics->maximum(), 6);

    // "andor" changes the join of the next query, not the text shown.
    key("andor");
    EXPECT_EQ(search().TB->button_image("andor"), "and");
    key("sql");
    EXPECT_TRUE(search().SQLFrame->isVisible());
    EXPECT_EQ(bytes(search().SQL->toPlainText()), "select pic_no, picture, map from pictures \n  where  \n    rgb(map,  0,  "
                                                  "0, 85) >= 1 or \n    rgb(map,  0, 72,170) >= 1");
    mark(30); // a cell click hides the frame
    EXPECT_FALSE(search().SQLFrame->isVisible());
    mark(30);
    key("sql");
    click(search().CloseSQL);
    EXPECT_FALSE(search().SQLFrame->isVisible());

    key("run");
    EXPECT_EQ(status_line(), "5 pictures found");
    EXPECT_NE(program().pictures.query_sql.find(">= 1 and ~"), std::string::npos);
    key("andor");
    EXPECT_EQ(search().TB->button_image("andor"), "or");
}

TEST_F(FindpicsTest, AThumbnailOpensItsPictureWithTheMarks) {
    mark(0);
    key("run");
    ASSERT_EQ(thumbnail_tags(search()), (Tags{"1", "3", "5", "7", "9", "", "", ""}));
    click(search().HUESCAN[1]);
    ZALViewPic *viewer = program().forms.viewpic;
    ASSERT_NE(viewer, nullptr);
    EXPECT_TRUE(viewer->isVisible());
    EXPECT_EQ(viewer->PicBox->picture().width(), 7); // picture 3
    for (int i = 0; i < 90; ++i)
        EXPECT_EQ(viewer->col[static_cast<std::size_t>(i)]->border_style(), i == 0 ? 1 : 0) << i;
    // Hidden cells are no selection, though they carry border style 1.
    EXPECT_EQ(viewer->col[26]->border_style(), 0);

    // Marks gather while the viewer lives; a click twice changes nothing more.
    key("clear");
    mark(5);
    click(search().HUESCAN[0]);
    click(search().HUESCAN[0]);
    EXPECT_EQ(viewer->PicBox->picture().width(), 5);
    EXPECT_EQ(viewer->col[0]->border_style(), 1);
    EXPECT_EQ(viewer->col[5]->border_style(), 1);

    // An empty thumbnail does nothing.
    viewer->hide();
    click(search().HUESCAN[7]);
    EXPECT_FALSE(viewer->isVisible());
}

TEST_F(FindpicsTest, AFailureIsToldWholeOnTheWindowsOwnStatusLine) {
    open_sql(); // the database's message goes to its status line, which this window covers
    search().frame()->raise();
    mark(1);
    key("run");
    ASSERT_EQ(status_line(), "5 pictures found");
    QLabel &line = *search().Status;
    const int one_line = line.height();
    auto reconnect = [&] {
        ZAL_disconnect(program());
        ASSERT_EQ(ZAL_connect(program(), "SAMPLE", "", ""), 0);
    };

    ASSERT_TRUE(query("DROP FUNCTION RGB").ok());
    reconnect();
    key("run");
    EXPECT_EQ(status_line().rfind("SQL0440N  No routine named \"RGB\"", 0), 0u) << status_line();
    EXPECT_EQ(status_line(), status());
    EXPECT_GE(line.height(), line.heightForWidth(line.width())) << "the whole message in sight";
    EXPECT_GT(line.height(), one_line);
    EXPECT_TRUE(seen_whole(line));
    EXPECT_EQ(thumbnail_tags(search()), (Tags{"2", "4", "6", "8", "10", "", "", ""}));

    ASSERT_TRUE(query(create_rgb).ok());
    reconnect();
    key("run");
    EXPECT_EQ(status_line(), "5 pictures found");
    EXPECT_EQ(line.height(), one_line);

    // A picture that cannot be fetched any more.
    ASSERT_TRUE(query("DROP TABLE PICTURES").ok());
    click(search().HUESCAN[0]);
    EXPECT_EQ(status_line().rfind("SQL0204N  \"PICTURES\" is an undefined name.", 0), 0u) << status_line();
    EXPECT_FALSE(program().viewpic().isVisible());
    EXPECT_TRUE(dialogs().shown.empty());
}

TEST_F(FindpicsTest, ExitUnloadsAndTheNextUseStartsAfresh) {
    mark(5);
    key("andor");
    key("run");
    key("exit");
    EXPECT_EQ(program().forms.findpics, nullptr);
    QApplication::processEvents();

    program().master().TB->click("qbe");
    ZALFindpics &again = search();
    for (int i = 0; i < 90; ++i)
        EXPECT_EQ(again.col[static_cast<std::size_t>(i)]->border_style(), palette_visible(i) ? 0 : 1);
    EXPECT_EQ(thumbnail_tags(search()), Tags(8, ""));
    EXPECT_EQ(status_line(), "");
    EXPECT_FALSE(program().pictures.use_and);
    EXPECT_EQ(again.TB->button_image("andor"), "or");
    // The window's last query outlives it.
    key("sql");
    EXPECT_TRUE(again.SQLFrame->isVisible());
}

TEST_F(FindpicsTest, HelpKeyShowsTheHelpPage) {
    key("info");
    ZALViewHTML *help = program().forms.view_html;
    ASSERT_NE(help, nullptr);
    EXPECT_TRUE(help->isVisible());
    EXPECT_EQ(help->Web->address(), "file://" + std::filesystem::current_path().string() + "/picdemo.htm");
}

} // namespace
