// Where windows open in the main window's client area, at the main window's usual sizes.
#include "app_fixture.h"

#include "close_label.h"
#include "keyed_toolbar.h"
#include "twips.h"
#include "zal_connect.h"
#include "zal_findpics.h"
#include "zal_graph.h"
#include "zal_messages.h"
#include "zal_perf_plot.h"
#include "zal_spatial.h"
#include "zal_toolbar.h"
#include "zal_viewers.h"
#include "zal_viewpic.h"
#include "zal_wmf.h"

#include <QApplication>
#include <QMdiArea>
#include <QPlainTextEdit>
#include <QScrollBar>

using namespace kestle;
using namespace kestle_test;

namespace {

class PlacementTest : public AppTest, public ::testing::WithParamInterface<QSize> {
protected:
    PlacementTest() {
        master().resize(GetParam());
        QApplication::processEvents();
    }
    ZALMaster &master() { return program().master(); }
    QRect area() { return master().mdi->viewport()->rect(); }
    // The window's frame lies in the client area, and every control it shows lies in the window.
    void expect_wholly_visible(Form &f) {
        QApplication::processEvents();
        EXPECT_TRUE(f.frame()->isVisible());
        EXPECT_TRUE(area().contains(f.frame()->geometry()))
            << f.frame()->geometry().x() << "," << f.frame()->geometry().y() << " " << f.frame()->width() << "x"
            << f.frame()->height() << " in " << area().width() << "x" << area().height();
        for (QWidget *c : f.findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
            if (c->isVisible()) {
                EXPECT_TRUE(f.rect().contains(c->geometry())) << c->metaObject()->className();
            }
        }
    }
};

TEST_P(PlacementTest, EveryWindowOpensWhollyInsideTheClientArea) {
    Program &p = program();
    master().TB->click("sql");
    ZALSQL &sql = *p.forms.cur_sql_form;
    sql.set_command_text("SELECT * FROM EMPLOYEE");
    sql.TB->click("run");
    sql.TB->click("magnify");
    master().TB->click("connect");
    master().TB->click("info");
    click_node(*master().Queries, master().Queries->topLevelItem(0)->child(0)); // its statement
    ASSERT_NE(p.forms.cur_sql_form, &sql);
    command("%DISPLAY A message");
    p.view_text().show_form();
    p.spatial_window().show_form();
    Form *const windows[] = {&sql,
                             output(sql.my_slot),
                             p.forms.cur_sql_form,
                             &p.magnify(),
                             &p.connect_dialog(),
                             &p.view_html(),
                             &p.view_text(),
                             &p.message_window(),
                             &p.spatial_window(),
                             &p.wmf(),
                             &p.graph(),
                             &p.perf_plot(),
                             &p.findpics(),
                             &p.viewpic(),
                             &p.tools()};
    for (Form *f : windows) {
        ASSERT_NE(f, nullptr);
        SCOPED_TRACE(bytes(f->windowTitle()));
        f->show_form();
        expect_wholly_visible(*f);
    }
    EXPECT_EQ(master().mdi->horizontalScrollBar()->maximum(), 0);
    EXPECT_EQ(master().mdi->verticalScrollBar()->maximum(), 0);
}

TEST_P(PlacementTest, WindowLargerThanTheAreaIsShrunkToItAndOthersKeepTheirDesign) {
    ZALMagnify &magnify = program().magnify();
    magnify.show_form();
    expect_wholly_visible(magnify);
    const int design = twips_to_px(12400);
    EXPECT_EQ(magnify.frame()->width(), std::min(design, area().width()));
    if (design > area().width()) { // its text box with its scroll bar stays in sight
        EXPECT_LT(magnify.SQLText->width(), twips_to_px(11895));
    }

    // Where the design fits, it is kept.
    program().master().TB->click("info");
    ZALViewHTML &help = program().view_html();
    if (twips_to_px(11400) <= area().width()) {
        EXPECT_NEAR(help.left_twips(), 100, 15);
        EXPECT_NEAR(help.top_twips(), 1000, 15);
        EXPECT_NEAR(help.width_twips(), 11400, 15);
    }
    expect_wholly_visible(help);
}

TEST_P(PlacementTest, HidingAWindowLeavesTheAreaUnscrolled) {
    ZALSQL &sql = open_sql();
    const QPoint sql_at = sql.frame()->pos();
    ZALViewText &viewer = program().view_text();
    viewer.show_form();
    // Dragged partly out of the area by the presenter, and the area scrolled after it.
    viewer.frame()->move(area().width() - 40, area().height() - 40);
    QApplication::processEvents();
    QScrollBar *h = master().mdi->horizontalScrollBar();
    QScrollBar *v = master().mdi->verticalScrollBar();
    ASSERT_GT(h->maximum(), 0);
    h->setValue(h->maximum());
    v->setValue(v->maximum());
    ASSERT_NE(sql.frame()->pos(), sql_at);

    viewer.CloseSQL->clicked();
    QApplication::processEvents();
    EXPECT_FALSE(viewer.frame()->isVisible());
    EXPECT_EQ(h->value(), 0);
    EXPECT_EQ(v->value(), 0);
    EXPECT_EQ(h->maximum(), 0);
    EXPECT_EQ(sql.frame()->pos(), sql_at);
}

using SmallClientAreaTest = AppTest;

// A window of fixed size cannot be cut to an area smaller than itself: it starts at the
// area's corner, so that as much of it as can be is in sight.
TEST_F(SmallClientAreaTest, FixedSizeWindowsKeepTheirSizeAndShowAllTheyCan) {
    Program &p = program();
    p.master().resize(380, 300);
    QApplication::processEvents();
    const QRect area = p.master().mdi->viewport()->rect();
    for (Form *f : std::initializer_list<Form *>{&p.connect_dialog(), &p.findpics()}) {
        SCOPED_TRACE(bytes(f->windowTitle()));
        const QSize fixed = f->frame()->size();
        f->show_form();
        QApplication::processEvents();
        const QRect g = f->frame()->geometry();
        ASSERT_FALSE(area.contains(g)) << "the area is to be smaller than the window";
        EXPECT_EQ(g.size(), fixed);
        EXPECT_EQ(area.intersected(g).size(), fixed.boundedTo(area.size()))
            << g.x() << "," << g.y() << " " << g.width() << "x" << g.height() << " in " << area.width() << "x"
            << area.height();
    }
}

INSTANTIATE_TEST_SUITE_P(MainWindowSizes, PlacementTest, ::testing::Values(QSize(1024, 768), QSize(1600, 1000)),
                         [](const auto &info) {
                             return std::to_string(info.param.width()) + "x" + std::to_string(info.param.height());
                         });

} // namespace
