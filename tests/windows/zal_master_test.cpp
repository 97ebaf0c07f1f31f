#include "app_fixture.h"

#include "twips.h"
#include "browser.h"
#include "close_label.h"
#include "keyed_toolbar.h"
#include "presentation.h"
#include "zal_connect.h"
#include "zal_toolbar.h"
#include "zal_viewers.h"

#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QTest>

using namespace kestle;
using namespace kestle_test;

namespace {

class MasterTest : public AppTest {
protected:
    ZALMaster &master() { return program().master(); }
    QTreeWidget &tv() { return *master().TV; }

    void load(const std::string &text) {
        write_text(fx.dir / "kestle.sql", text);
        readops(program(), "kestle.sql");
    }
    int sql_windows() {
        int n = 0;
        for (Form *f : program().forms.windows.open())
            n += dynamic_cast<ZALSQL *>(f) != nullptr;
        return n;
    }
    const auto &ring(int slot) { return program().sql_slots.sql_history[static_cast<std::size_t>(slot)]; }
};

constexpr const char *presentation = ":section Intro\n{\n<b>hello</b>\n}\n"
                                     ":sql Count\nVALUES 1\n"
                                     ":sql Two rows\nVALUES 2\n"
                                     ":section Bare\n"
                                     ":sql Broken\nSELECT * FROM NO_SUCH_TABLE\n";

TEST_F(MasterTest, WindowHasItsCaptionButtonsAndPanes) {
    EXPECT_EQ(bytes(master().windowTitle()), "ZAL Meridian Store Demonstration Program");
    EXPECT_EQ(program().forms.windows.mdi, master().mdi);
    const struct {
        const char *key, *tip;
        bool visible;
    } buttons[] = {
        {"exit", "Exit ZALDEMO program", true},       {"sql", "Open SQL command window", true},
        {"runit", "Toggle autorun property on/off", true}, {"trash", "Close all SQL Windows", true},
        {"file", "Load new SQL file", true},          {"settings", "Change font sizes", true},
        {"connect", "Connect to new database", true}, {"qbe", "Query by Image Colors", false},
        {"spatial", "Run Spatial queries", false},    {"info", "Help on ZALDEMO", true},
    };
    QList<QAction *> actions = master().TB->actions();
    ASSERT_EQ(actions.size(), 10);
    for (int i = 0; i < 10; ++i) {
        SCOPED_TRACE(buttons[i].key);
        EXPECT_EQ(actions[i], master().TB->button(buttons[i].key));
        EXPECT_EQ(bytes(actions[i]->toolTip()), buttons[i].tip);
        EXPECT_EQ(master().TB->button_visible(buttons[i].key), buttons[i].visible);
    }
    EXPECT_EQ(master().TB->button_image("runit"), "runon");
    EXPECT_EQ(bytes(master().Label1->text()), "Commands");
    EXPECT_EQ(bytes(master().Label2->text()), "Query Log");
    EXPECT_EQ(bytes(master().Label3->text()), "Help");
    EXPECT_NEAR(px_to_twips(master().TV->y()), 720, 15);
    EXPECT_NEAR(px_to_twips(master().Web->width()), 3735, 15);
}

TEST_F(MasterTest, EveryToolbarKeyIsVisibleWithAndWithoutTheExtras) {
    QApplication::processEvents();
    EXPECT_EQ(hidden_keys(*master().TB), std::vector<std::string>{});
    command("%EXTRAS");
    QApplication::processEvents();
    EXPECT_TRUE(master().TB->button_visible("qbe"));
    EXPECT_EQ(hidden_keys(*master().TB), std::vector<std::string>{});
}

TEST_F(MasterTest, KeysShowTheDesktopsPicturesAndOnlyTheirOwnTips) {
    command("%EXTRAS");
    ZALSQL &sql = open_sql();
    for (KeyedToolBar *tb : {master().TB, sql.TB, program().tools().TB}) {
        for (QAction *a : tb->actions()) {
            SCOPED_TRACE(bytes(a->objectName()));
            EXPECT_FALSE(a->icon().name().isEmpty()); // a picture of the icon theme
            EXPECT_FALSE(a->icon().pixmap(tb->iconSize()).isNull());
            EXPECT_EQ(tb->widgetForAction(a)->toolTip(), a->toolTip());
        }
    }
    for (const char *key : {"paste", "plotperf", "trash", "info"}) {
        SCOPED_TRACE(key);
        EXPECT_EQ(sql.TB->widgetForAction(sql.TB->button(key))->toolTip(), "");
    }
}

TEST_F(MasterTest, TreeAndQueryLogShareTheHeightBeyondTheDesign) {
    // The default size first: the design layout in a 1024 x 768 window.
    const QSize sizes[] = {master().size(), QSize(1600, 1000), QSize(1024, 600)};
    EXPECT_EQ(sizes[0], QSize(1024, 768));
    for (const QSize &size : sizes) {
        SCOPED_TRACE(std::to_string(size.width()) + "x" + std::to_string(size.height()));
        master().resize(size);
        QApplication::processEvents();
        const int height = px_to_twips(master().height());
        const int extra = std::max(height - 11520, 0);
        EXPECT_NEAR(px_to_twips(master().TV->height()), 2295 + extra / 2, 30);
        EXPECT_NEAR(px_to_twips(master().Queries->height()), 2055 + extra / 2, 30);
        EXPECT_NEAR(px_to_twips(master().Web->y()), 5760 + extra, 30);
        EXPECT_NEAR(px_to_twips(master().Web->height()), height - px_to_twips(master().Web->y()) - 1000, 30);
        // Stacked in their order, and all of it inside the window.
        const QWidget *stack[] = {master().TB,      master().Label1, master().TV, master().Label2,
                                  master().Queries, master().Label3, master().Web};
        for (std::size_t i = 1; i < std::size(stack); ++i)
            EXPECT_LE(stack[i - 1]->geometry().bottom(), stack[i]->y()) << i;
        EXPECT_LE(master().Web->mapTo(&master(), QPoint(0, master().Web->height())).y(), master().height());
        EXPECT_GT(master().mdi->viewport()->width(), 0);
    }
}

TEST_F(MasterTest, TreeClickPastesAndRunsWhilePlaybackIsOn) {
    load(presentation);
    ZALSQL &w = open_sql();
    click_record(2);
    EXPECT_EQ(w.command_text(), "VALUES 1");
    EXPECT_EQ(queries().topLevelItemCount(), 1);
    EXPECT_EQ(w.status_text(), "Command completed");
    ASSERT_NE(output(1), nullptr);
    EXPECT_EQ(output(1)->DataValues->text_matrix(1, 0), "1");
    EXPECT_EQ(ring(1)[2], "VALUES 1");

    // The same statement again is pushed once; a run clears the "@" delimiter.
    program().run.run_at = true;
    click_record(2);
    EXPECT_FALSE(program().run.run_at);
    EXPECT_EQ(queries().topLevelItemCount(), 2);
    EXPECT_EQ(program().sql_slots.sql_history_pos[1], 2);

    // Playback off: pasted, not run, the ring untouched; "runit" twice restores all.
    master().TB->click("runit");
    EXPECT_FALSE(program().run.run_on);
    EXPECT_EQ(master().TB->button_image("runit"), "runoff");
    click_record(3);
    EXPECT_EQ(w.command_text(), "VALUES 2");
    EXPECT_EQ(w.status_text(), "");
    EXPECT_EQ(queries().topLevelItemCount(), 2);
    EXPECT_EQ(program().sql_slots.sql_history_pos[1], 2);
    master().TB->click("runit");
    EXPECT_TRUE(program().run.run_on);
    EXPECT_EQ(master().TB->button_image("runit"), "runon");
}

TEST_F(MasterTest, TreeClickPastesIntoTheCurrentWindowNotTheActiveOne) {
    load(presentation);
    ZALSQL &first = open_sql();
    ZALSQL &second = open_sql();
    master().mdi->setActiveSubWindow(qobject_cast<QMdiSubWindow *>(first.frame()));
    ASSERT_EQ(master().mdi->activeSubWindow(), first.frame());
    master().TB->click("runit"); // playback off
    click_record(2);
    EXPECT_EQ(second.command_text(), "VALUES 1");
    EXPECT_EQ(first.command_text(), "");
}

TEST_F(MasterTest, TreeClickWithoutSqlWindowOpensOneInTheFirstFreeSlot) {
    load(presentation);
    ASSERT_EQ(program().forms.cur_sql_slot, -1);
    click_record(2);
    ZALSQL *w = program().forms.cur_sql_form;
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->tag, "1^1^");
    EXPECT_EQ(program().forms.cur_sql_slot, 1);
    EXPECT_EQ(w->command_text(), "VALUES 1");
    EXPECT_EQ(queries().topLevelItemCount(), 1);
}

TEST_F(MasterTest, NotesAndSlidesOfTreeClicks) {
    QImage picture(8, 8, QImage::Format_RGB32);
    picture.fill(Qt::red);
    ASSERT_TRUE(picture.save(QString::fromStdString((fx.dir / "slide.png").string())));
    load(std::string(presentation) + ":screen [slide.png] A slide\n:screen [gone.png] Missing\n{\nnotes\n}\n");
    const std::string page = "file://" + fx.dir.path().string() + "/zalhelp.htm";

    click_record(1); // a section with notes
    EXPECT_EQ(master().Web->address(), page);
    EXPECT_NE(read_text(fx.dir / "zalhelp.htm").find("<b>hello</b>"), std::string::npos);

    master().Web->navigate("file:///nowhere");
    click_record(4); // a section without notes: nothing shown
    EXPECT_EQ(master().Web->address(), "file:///nowhere");

    click_record(6); // a slide whose picture loads
    EXPECT_EQ(program().cur_screen, 6);
    EXPECT_TRUE(dialogs().shown.empty());

    std::remove((fx.dir / "zalhelp.htm").c_str());
    click_record(7); // a slide whose picture is missing: the message, no notes
    EXPECT_EQ(dialogs().messages(), (std::vector<std::string>{"File not found: gone.png"}));
    EXPECT_FALSE(std::filesystem::exists(fx.dir / "zalhelp.htm"));
    open_sql();
    click_record(7);
    EXPECT_EQ(status(), "File not found: gone.png");
}

TEST_F(MasterTest, ErrorInTheQueryLogOpensItsMessageBox) {
    load(presentation);
    open_sql();
    click_record(5);
    QTreeWidgetItem *run = run_node();
    ASSERT_NE(run, nullptr);
    EXPECT_EQ(node_image(run), "sql-error");
    QTreeWidgetItem *warning = nullptr;
    for (int i = 0; i < run->childCount(); ++i)
        if (node_image(run->child(i)) == "warning")
            warning = run->child(i);
    ASSERT_NE(warning, nullptr);
    ASSERT_FALSE(node_tag(warning).empty());
    EXPECT_NE(status().find("NO_SUCH_TABLE"), std::string::npos) << status();

    const bool expanded = run->isExpanded();
    click_node(queries(), run); // a run node only opens or closes
    EXPECT_NE(run->isExpanded(), expanded);
    EXPECT_TRUE(dialogs().shown.empty());

    click_node(queries(), warning);
    ASSERT_EQ(dialogs().shown.size(), 1u);
    EXPECT_EQ(dialogs().shown[0].title, "SQL Error");
    EXPECT_EQ(dialogs().shown[0].text, node_tag(warning));
}

TEST_F(MasterTest, LoggedStatementOpensInANewSqlWindow) {
    ZALSQL &first = open_sql();
    first.set_command_text("VALUES 1,\r\n\t2");
    first.TB->click("run");
    QTreeWidgetItem *info = run_node()->child(0);
    ASSERT_EQ(node_image(info), "sql");
    const int logged = queries().topLevelItemCount();

    click_node(queries(), info);
    ZALSQL *w = program().forms.cur_sql_form;
    ASSERT_NE(w, &first);
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->tag, "1^2^");
    EXPECT_EQ(program().forms.cur_sql_slot, 2);
    EXPECT_EQ(bytes(w->windowTitle()), "SQL Command");
    EXPECT_EQ(w->command_text(), "VALUES 1,\r\n\t2");
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(queries().topLevelItemCount(), logged); // nothing run
    EXPECT_EQ(ring(2)[2], "");
}

TEST_F(MasterTest, TrashClosesEverySqlWindowWithItsOutput) {
    load(presentation);
    master().TB->click("trash"); // none open: nothing happens
    EXPECT_EQ(sql_windows(), 0);
    master().TB->click("sql");
    master().TB->click("sql");
    click_record(2);
    ASSERT_NE(output(2), nullptr);
    EXPECT_EQ(sql_windows(), 2);
    master().TB->click("trash");
    EXPECT_EQ(sql_windows(), 0);
    EXPECT_EQ(output(2), nullptr);
    EXPECT_EQ(program().forms.cur_sql_slot, -1);
    EXPECT_EQ(program().forms.cur_sql_form, nullptr);
    EXPECT_FALSE(program().sql_slots.sql_slot_used[1] || program().sql_slots.sql_slot_used[2]);

    click_record(3); // a new window after it
    ASSERT_NE(program().forms.cur_sql_form, nullptr);
    EXPECT_EQ(program().forms.cur_sql_slot, 1);
}

TEST_F(MasterTest, ThirtyOneSqlWindowsAreRefused) {
    master().TB->click("sql");
    ZALSQL *first = program().forms.cur_sql_form;
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->tag, "1^1^");
    EXPECT_EQ(bytes(first->windowTitle()), "SQL Commands");
    for (int i = 2; i <= 30; ++i)
        master().TB->click("sql");
    EXPECT_EQ(sql_windows(), 30);
    EXPECT_TRUE(dialogs().shown.empty());
    ZALSQL *last = program().forms.cur_sql_form;
    master().TB->click("sql");
    EXPECT_EQ(sql_windows(), 30);
    EXPECT_EQ(dialogs().messages(), (std::vector<std::string>{"Maximum number of SQL Windows open!"}));
    EXPECT_EQ(dialogs().shown[0].title, app_title);
    EXPECT_EQ(program().forms.cur_sql_form, last);
}

TEST_F(MasterTest, SettingsApplyTheFontToSqlAndOutputWindows) {
    ZALSQL &w = open_sql();
    w.set_command_text("VALUES 1");
    w.TB->click("run");
    ZALOutput *out = output(1);
    ASSERT_NE(out, nullptr);
    ZALViewText &viewer = program().view_text();
    const QString viewer_family = viewer.Textin->font().family();

    dialogs().font_answers.push_back(FontChoice{"DejaVu Serif", 14});
    master().TB->click("settings");
    ASSERT_EQ(dialogs().shown.size(), 1u);
    EXPECT_EQ(dialogs().shown[0].title, "ZALDEMO Fonts");
    EXPECT_EQ(dialogs().shown[0].text, "Microsoft Sans Serif"); // preset from FONT and FONTSIZE
    EXPECT_EQ(var_sub(program().vars, "[font]|[fontsize]"), "DejaVu Serif|14");
    EXPECT_EQ(w.SQLCommand->font().family(), "DejaVu Serif");
    EXPECT_EQ(w.SQLCommand->font().pointSizeF(), 14);
    EXPECT_EQ(out->DataValues->font().family(), "DejaVu Serif");
    EXPECT_EQ(out->DataValues->font().pointSizeF(), 14);
    // A window of another kind keeps its own family and grows with the size.
    EXPECT_EQ(viewer.Textin->font().family(), viewer_family);
    EXPECT_DOUBLE_EQ(viewer.Textin->font().pointSizeF(), 9.75 * 14 / 10);

    // Cancel applies the preset again; a new SQL window takes the font at its load.
    master().TB->click("settings");
    EXPECT_EQ(var_sub(program().vars, "[font]|[fontsize]"), "DejaVu Serif|14");
    dialogs().font_answers.push_back(FontChoice{"DejaVu Sans", 10.5});
    master().TB->click("settings");
    EXPECT_EQ(var_sub(program().vars, "[fontsize]"), "10.5");
    ZALSQL &second = open_sql();
    EXPECT_EQ(second.SQLCommand->font().family(), "DejaVu Sans");
    EXPECT_EQ(second.SQLCommand->font().pointSizeF(), 10.5);
}

TEST_F(MasterTest, FileLoadsAnotherControlFile) {
    load(presentation);
    write_text(fx.dir / "other.sql", ":section Other\n:sql Only\nVALUES 9\n");
    master().TB->click("file"); // Cancel: nothing changes
    ASSERT_EQ(dialogs().shown.size(), 1u);
    EXPECT_EQ(dialogs().shown[0].kind, "open");
    EXPECT_EQ(dialogs().shown[0].title, "Load SQL Command File");
    EXPECT_EQ(dialogs().shown[0].text, "*.sql");
    EXPECT_EQ(program().control.stmt_count, 5);

    dialogs().file_answers.push_back((fx.dir / "other.sql").string());
    master().TB->click("file");
    EXPECT_EQ(program().control.stmt_count, 2);
    ASSERT_EQ(tv().topLevelItemCount(), 1);
    EXPECT_EQ(node_text(tv().topLevelItem(0)), "Other");
}

TEST_F(MasterTest, HelpConnectAndDemonstrationKeys) {
    master().TB->click("info");
    ZALViewHTML *help = program().forms.view_html;
    ASSERT_NE(help, nullptr);
    EXPECT_TRUE(help->isVisible());
    EXPECT_EQ(help->Web->address(), "file://" + std::filesystem::current_path().string() + "/kestle.htm");
    EXPECT_NEAR(help->left_twips(), 100, 15);
    EXPECT_NEAR(help->top_twips(), 1000, 15);
    QTest::mouseClick(help->CloseSQL, Qt::LeftButton);
    EXPECT_EQ(program().forms.view_html, nullptr);
    master().TB->click("info"); // made again
    EXPECT_NE(program().forms.view_html, nullptr);

    master().TB->click("connect");
    ASSERT_NE(program().forms.connect, nullptr);
    EXPECT_TRUE(program().forms.connect->isVisible());

    // The setup scripts run without a window and log nothing.
    write_text(fx.dir / "zal-makepictures.xmp", "CREATE TABLE QBE_T (A INTEGER);\nINSERT INTO QBE_T VALUES (1)");
    master().TB->click("qbe");
    EXPECT_EQ(query("SELECT COUNT(*) FROM QBE_T").rows.at(0).at(0), "1");
    EXPECT_EQ(queries().topLevelItemCount(), 0);
    EXPECT_TRUE(dialogs().shown.empty());
}

TEST_F(MasterTest, DragOverTheTreeHighlightsAndADropOnTheBackgroundTellsIt) {
    load(presentation);
    tv().expandAll();
    QTreeWidgetItem *target = record_node(2);
    ASSERT_NE(target, nullptr);
    QMimeData dragged;
    dragged.setText(target->text(0));
    QWidget *tree = tv().viewport();
    const QPoint at = tv().visualItemRect(target).center();
    EXPECT_TRUE(drag_over(tree, at, dragged));
    EXPECT_EQ(master().drop_highlight(), target);
    EXPECT_TRUE(drag_over(tree, QPoint(5, tree->height() - 2), dragged));
    EXPECT_EQ(master().drop_highlight(), nullptr);
    drag_over(tree, at, dragged);
    drag_leave(tree);
    EXPECT_EQ(master().drop_highlight(), nullptr);
    drag_over(tree, at, dragged);
    EXPECT_FALSE(drop_on(tree, at, dragged)); // the tree takes no drop
    EXPECT_EQ(master().drop_highlight(), nullptr);
    drag_over(tree, at, dragged);
    readops(program(), "kestle.sql"); // the tree is rebuilt: no highlight is kept
    EXPECT_EQ(master().drop_highlight(), nullptr);
    EXPECT_TRUE(dialogs().shown.empty());

    QWidget *background = master().mdi->viewport();
    const QPoint middle = background->rect().center();
    EXPECT_TRUE(drag_over(background, middle, dragged));
    EXPECT_TRUE(drop_on(background, middle, dragged));
    EXPECT_EQ(dialogs().messages(), (std::vector<std::string>{"dragdrop"}));
}

TEST_F(MasterTest, ExitAndCloseDisconnect) {
    ASSERT_TRUE(program().session.db_connected);
    master().TB->click("exit");
    EXPECT_FALSE(program().session.db_connected);

    ASSERT_EQ(ZAL_connect(program(), "SAMPLE", "", ""), 0);
    open_sql();
    master().close();
    EXPECT_FALSE(program().session.db_connected);
    EXPECT_EQ(sql_windows(), 0);
    EXPECT_EQ(program().forms.cur_sql_slot, -1);
}

} // namespace
