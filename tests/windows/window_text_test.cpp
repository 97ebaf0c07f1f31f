// The windows' texts follow FONT and FONTSIZE: readable at the built-in size, larger at a larger
// one, and never cut.
#include "app_fixture.h"

#include "browser.h"
#include "keyed_toolbar.h"
#include "presentation.h"
#include "twips.h"
#include "window_support.h"
#include "zal_connect.h"
#include "zal_findpics.h"
#include "zal_messages.h"
#include "zal_spatial.h"
#include "zal_toolbar.h"
#include "zal_viewers.h"
#include "zal_viewpic.h"
#include "zal_wmf.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QTextBlock>

using namespace kestle;
using namespace kestle_test;

namespace {

constexpr const char *duplicate_key = "INSERT INTO DEPARTMENT SELECT * FROM DEPARTMENT FETCH FIRST 1 ROWS ONLY";

class WindowTextTest : public AppTest {
protected:
    // FONT and FONTSIZE as the settings key sets them.
    void choose_font(double points) {
        dialogs().font_answers.push_back(FontChoice{"Microsoft Sans Serif", points});
        program().master().TB->click("settings");
        QApplication::processEvents();
    }
    static std::string name(const QWidget &w) {
        return std::string(w.metaObject()->className()) + " " + bytes(w.objectName());
    }
    // Every text a window shows has the room it needs.
    static void expect_texts_fit(QWidget &window) {
        for (const QLabel *l : window.findChildren<QLabel *>()) {
            if (!l->isVisibleTo(&window) || l->text().isEmpty())
                continue;
            SCOPED_TRACE(bytes(l->text()));
            const QRect room = l->contentsRect();
            if (l->wordWrap()) {
                EXPECT_LE(l->heightForWidth(l->width()), l->height());
            } else {
                EXPECT_LE(l->fontMetrics().horizontalAdvance(l->text()), room.width());
                EXPECT_LE(l->fontMetrics().height(), room.height());
            }
        }
        for (const QRadioButton *b : window.findChildren<QRadioButton *>()) {
            if (!b->isVisibleTo(&window))
                continue;
            SCOPED_TRACE(bytes(b->text()));
            const int indicator = b->style()->pixelMetric(QStyle::PM_ExclusiveIndicatorWidth) +
                                  b->style()->pixelMetric(QStyle::PM_RadioButtonLabelSpacing);
            EXPECT_LE(b->fontMetrics().horizontalAdvance(b->text()) + indicator, b->width());
            EXPECT_LE(b->fontMetrics().height(), b->height());
        }
        for (const QPushButton *b : window.findChildren<QPushButton *>()) {
            SCOPED_TRACE(bytes(b->text()));
            EXPECT_LE(b->sizeHint().width(), b->width());
            EXPECT_LE(b->sizeHint().height(), b->height());
        }
        for (const QLineEdit *e : window.findChildren<QLineEdit *>()) {
            SCOPED_TRACE(name(*e));
            EXPECT_LE(e->sizeHint().height(), e->height());
        }
    }
    // The size of the text that a browser shows at a fragment holding the text.
    static double page_text_points(const Browser &b, const QString &text) {
        for (QTextBlock block = b.document()->begin(); block.isValid(); block = block.next())
            for (auto it = block.begin(); !it.atEnd(); ++it)
                if (it.fragment().text().contains(text))
                    return it.fragment().charFormat().font().pointSizeF();
        ADD_FAILURE() << "no " << bytes(text) << " on the page";
        return 0;
    }
};

TEST_F(WindowTextTest, StatusLineShowsTheDatabasesWholeMessageAtEverySize) {
    ZALSQL &w = open_sql();
    for (double points : {8.0, 10.0, 14.0}) {
        SCOPED_TRACE(points);
        choose_font(points);
        w.set_command_text(duplicate_key);
        w.TB->click("run");
        QApplication::processEvents();
        const std::string message = w.status_text();
        ASSERT_NE(message.find("SQLSTATE=23505"), std::string::npos) << message;
        EXPECT_DOUBLE_EQ(w.ZALMSG->font().pointSizeF(), points);
        // Every line of it is inside the label, and the label inside the window, below the box.
        EXPECT_GE(w.ZALMSG->height(), w.ZALMSG->heightForWidth(w.ZALMSG->width()));
        EXPECT_GT(w.ZALMSG->heightForWidth(w.ZALMSG->width()), 2 * w.ZALMSG->fontMetrics().lineSpacing());
        EXPECT_TRUE(w.rect().contains(w.ZALMSG->geometry()));
        EXPECT_LE(w.SQLCommand->geometry().bottom(), w.ZALMSG->y());
        EXPECT_GE(w.SQLCommand->height(), 2 * w.SQLCommand->fontMetrics().lineSpacing());
    }
    // A short message gives the statement box its room back.
    const int box = w.SQLCommand->height();
    w.set_status_text("Command completed");
    EXPECT_GT(w.SQLCommand->height(), box);
    EXPECT_NEAR(px_to_twips(w.ZALMSG->height()), 735, 15);
}

TEST_F(WindowTextTest, AMessageTooLongForTheSmallestWindowMakesItTaller) {
    ZALSQL &w = open_sql();
    choose_font(14);
    w.resize_twips(3000, 3000);
    QApplication::processEvents();
    const int before = w.frame()->height();
    w.set_command_text(duplicate_key);
    w.TB->click("run");
    QApplication::processEvents();
    EXPECT_GT(w.frame()->height(), before);
    EXPECT_GE(w.ZALMSG->height(), w.ZALMSG->heightForWidth(w.ZALMSG->width()));
    EXPECT_TRUE(w.rect().contains(w.ZALMSG->geometry()));
    EXPECT_GE(w.SQLCommand->height(), 2 * w.SQLCommand->fontMetrics().lineSpacing());
    EXPECT_TRUE(program().master().mdi->viewport()->rect().contains(w.frame()->geometry()));
}

TEST_F(WindowTextTest, NotesAreAsLargeAsTheWindowsText) {
    ZALMaster &m = program().master();
    const QString note = "The notes of the record";
    showhelp(program(), "A title", bytes(note), kind_section);
    // The built-in size, then the sizes of the settings key.
    EXPECT_NEAR(page_text_points(*m.Web, note), built_in_text_points, 0.01);
    EXPECT_GE(QFontInfo(m.Web->document()->defaultFont()).pixelSize(), 12);
    for (double points : {8.0, 14.0}) {
        SCOPED_TRACE(points);
        choose_font(points);
        EXPECT_NEAR(page_text_points(*m.Web, note), points, 0.01);
        EXPECT_NEAR(page_text_points(*m.Web, "A title"), points, 0.01);
    }
    // The help frame of an SQL window shows the notes page alike.
    ZALSQL &w = open_sql();
    w.TB->click("info");
    EXPECT_NEAR(page_text_points(*w.HTML, note), 14, 0.01);
}

TEST_F(WindowTextTest, EveryWindowTakesTheSizeOfTheSettingsKeyAndItsTextsFit) {
    Program &p = program();
    ZALSQL &sql = open_sql();
    sql.set_command_text(duplicate_key);
    sql.TB->click("run");
    sql.set_command_text("SELECT * FROM EMPLOYEE");
    sql.TB->click("run");
    command("%DISPLAY A message of the presenter");
    ZALFindpics &pictures = p.findpics();
    pictures.TB->click("run"); // "No colors selected"
    ZALSpatial &map = p.spatial_window();
    map.TB->click("edit");
    Form *const windows[] = {&sql,           &p.magnify(),   &p.connect_dialog(),  &p.view_html(),
                             &p.view_text(), &p.message_window(), &map,              &p.wmf(),
                             &pictures,      &p.viewpic(),   &p.tools()};
    const QRect area = p.master().mdi->viewport()->rect();
    for (double points : {8.0, 14.0}) {
        SCOPED_TRACE(points);
        choose_font(points);
        expect_texts_fit(p.master());
        for (Form *f : windows) {
            SCOPED_TRACE(bytes(f->windowTitle()));
            f->show_form();
            QApplication::processEvents();
            EXPECT_DOUBLE_EQ(f->font().pointSizeF(), points);
            expect_texts_fit(*f);
            EXPECT_TRUE(area.contains(f->frame()->geometry()));
        }
        // The output window takes its font, FONTSIZE at any size, from each run.
        expect_texts_fit(*output(sql.my_slot));
    }
    // Larger sizes than the windows' texts take grow the statement box alone.
    choose_font(20);
    EXPECT_DOUBLE_EQ(sql.font().pointSizeF(), most_text_points);
    EXPECT_DOUBLE_EQ(sql.SQLCommand->font().pointSizeF(), 20);
}

} // namespace
