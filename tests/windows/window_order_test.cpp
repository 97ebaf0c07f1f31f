// Which window is in front of the client area after a viewer closes and after the main
// toolbar's demonstration keys.
#include "app_fixture.h"
#include "picture_table.h"

#include "close_label.h"
#include "keyed_toolbar.h"
#include "picture_box.h"
#include "zal_findpics.h"
#include "zal_spatial.h"
#include "zal_viewers.h"
#include "zal_viewpic.h"

#include <QApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTest>

#include <functional>

using namespace kestle;
using namespace kestle_test;

namespace {

class WindowOrderTest : public AppTest {
protected:
    void SetUp() override {
        Client c("SAMPLE");
        create_picture_table(c, 4);
        ZAL_disconnect(program());
        ASSERT_EQ(ZAL_connect(program(), "SAMPLE", "", ""), 0);
        // The oldest window, which the client area would bring up by itself.
        sql = &open_sql();
    }
    QMdiArea &area() { return *program().master().mdi; }
    // The active window, and the visible window on top of the others.
    Form *front() {
        QMdiSubWindow *s = area().currentSubWindow();
        return s ? qobject_cast<Form *>(s->widget()) : nullptr;
    }
    Form *top() {
        const QList<QMdiSubWindow *> stack = area().subWindowList(QMdiArea::StackingOrder);
        for (auto it = stack.rbegin(); it != stack.rend(); ++it)
            if ((*it)->isVisible())
                return qobject_cast<Form *>((*it)->widget());
        return nullptr;
    }
    void expect_in_front(Form *f) {
        QApplication::processEvents();
        EXPECT_EQ(front(), f) << (front() ? bytes(front()->windowTitle()) : "none");
        EXPECT_EQ(top(), f);
    }
    ZALFindpics &search() {
        program().master().TB->click("qbe"); // no setup script here: it runs nothing
        QApplication::processEvents();       // opened before the presenter's next click
        return program().findpics();
    }

    ZALSQL *sql = nullptr;
};

TEST_F(WindowOrderTest, ClosingAViewerReturnsToTheWindowItWasOpenedFrom) {
    const struct Case {
        const char *name;
        // Opens the viewer the way the presenter does, from its opener, which it returns.
        std::function<Form *()> open;
        std::function<Form *()> viewer;
        std::function<void(Form &)> close;
    } cases[] = {
        {"help page of the picture search", [&] { search().TB->click("info"); return &program().findpics(); },
         [&] { return &program().view_html(); },
         [](Form &v) { emit static_cast<ZALViewHTML &>(v).CloseSQL->clicked(); }},
        {"picture viewer",
         [&] {
             ZALFindpics &s = search();
             QTest::mouseClick(s.col[0], Qt::LeftButton);
             s.TB->click("run");
             QTest::mouseClick(s.HUESCAN[0], Qt::LeftButton);
             return &s;
         },
         [&] { return &program().viewpic(); }, [](Form &v) { v.frame()->close(); }},
        {"text viewer of a wide cell",
         [&] {
             sql->set_command_text("SELECT DEPT_NAME FROM DEPARTMENT");
             sql->TB->click("run");
             click_cell(*output(sql->my_slot)->DataValues, 1, 0);
             return output(sql->my_slot);
         },
         [&] { return &program().view_text(); },
         [](Form &v) { emit static_cast<ZALViewText &>(v).CloseSQL->clicked(); }},
        {"enlarged statement", [&] { sql->activate(); sql->TB->click("magnify"); return sql; },
         [&] { return &program().magnify(); },
         [](Form &v) { emit static_cast<ZALMagnify &>(v).CloseSQL->clicked(); }},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Form *opener = c.open();
        Form *viewer = c.viewer();
        QApplication::processEvents();
        ASSERT_TRUE(viewer->frame()->isVisible());
        viewer->activate();
        c.close(*viewer);
        expect_in_front(opener);
    }
}

TEST_F(WindowOrderTest, AViewerClosedBehindAnotherWindowLeavesThatWindowInFront) {
    search().TB->click("info");
    ZALViewHTML &help = program().view_html();
    sql->activate();
    emit help.CloseSQL->clicked();
    expect_in_front(sql);
}

// The window under a closing one comes to the front, never the oldest (a click meant for the
// picture search would then land on the SQL window).
TEST_F(WindowOrderTest, ClosingAWindowReturnsToTheOneActiveBeforeIt) {
    ZALFindpics &pictures = search();
    program().master().TB->click("spatial");
    program().spatial_window().TB->click("exit");
    expect_in_front(&pictures);
    pictures.TB->click("exit");
    expect_in_front(sql);
}

TEST_F(WindowOrderTest, DemonstrationKeysBringTheirOpenWindowForward) {
    ZALFindpics &pictures = search();
    program().master().TB->click("spatial");
    Form &map = program().spatial_window();
    expect_in_front(&map);
    for (const char *key : {"qbe", "spatial"}) {
        SCOPED_TRACE(key);
        sql->activate();
        program().master().TB->click(key);
        expect_in_front(key == std::string("qbe") ? static_cast<Form *>(&pictures) : &map);
    }
}

} // namespace
