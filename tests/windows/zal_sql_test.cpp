#include "app_fixture.h"

#include "twips.h"
#include "browser.h"
#include "close_label.h"
#include "keyed_toolbar.h"
#include "zal_viewers.h"

#include <QApplication>
#include <QClipboard>
#include <QFrame>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPlainTextEdit>
#include <QTest>

using namespace kestle;
using namespace kestle_test;

namespace {

class SqlWindowTest : public AppTest {
protected:
    void run_in(ZALSQL &w, const std::string &text, const char *key = "run") {
        w.set_command_text(text);
        w.TB->click(key);
    }
    std::vector<std::string> logged() {
        std::vector<std::string> t;
        for (int i = queries().topLevelItemCount(); i-- > 0;)
            t.push_back(node_text(queries().topLevelItem(i)));
        return t;
    }
};

TEST_F(SqlWindowTest, WindowHasItsControlsAndButtons) {
    ZALSQL &w = open_sql();
    EXPECT_EQ(bytes(w.windowTitle()), "SQL Commands");
    const char *keys[] = {"return", "run", "runat", "paste", "recall", "explain", "plotperf", "magnify", "trash", "info"};
    QList<QAction *> actions = w.TB->actions();
    ASSERT_EQ(actions.size(), 10);
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(actions[i], w.TB->button(keys[i])) << keys[i];
    EXPECT_EQ(bytes(w.TB->button("recall")->toolTip()), "Get previous command (5)");
    EXPECT_EQ(w.TB->button_image("plotperf"), "plot");
    EXPECT_FALSE(w.HTMLFrame->isVisible());
    EXPECT_NEAR(w.width_twips(), 7470, 15);
    EXPECT_NEAR(w.height_twips(), 4170, 15);
    EXPECT_EQ(w.SQLCommand->font().family(), "Microsoft Sans Serif");
    EXPECT_EQ(w.SQLCommand->font().pointSizeF(), 10);
    EXPECT_EQ(w.my_slot, 1); // read from the Tag when it was shown
}

TEST_F(SqlWindowTest, RunAndRunatRunFromTheWindowAndMakeItCurrent) {
    ZALSQL &first = open_sql();
    ZALSQL &second = open_sql();
    ASSERT_EQ(program().forms.cur_sql_form, &second);

    // Typed into the box as the presenter types it.
    QTest::keyClicks(first.SQLCommand, "VALUES 1;");
    QTest::keyClick(first.SQLCommand, Qt::Key_Return);
    QTest::keyClicks(first.SQLCommand, "VALUES 2");
    ASSERT_EQ(first.command_text(), "VALUES 1;\r\nVALUES 2");
    first.TB->click("run");
    EXPECT_EQ(program().forms.cur_sql_form, &first);
    EXPECT_EQ(program().forms.cur_sql_slot, 1);
    EXPECT_EQ(logged(), (std::vector<std::string>{"VALUES 1", "VALUES 2"}));
    EXPECT_EQ(first.status_text(), "Command completed");
    EXPECT_NE(output(1), nullptr);
    EXPECT_EQ(output(2), nullptr);

    run_in(second, "VALUES 'a;b' @ VALUES 3", "runat");
    EXPECT_TRUE(program().run.run_at);
    EXPECT_EQ(program().forms.cur_sql_slot, 2);
    EXPECT_EQ(logged().size(), 4u);
    EXPECT_EQ(output(2)->DataValues->text_matrix(1, 0), "3");
    run_in(second, "VALUES 4;VALUES 5");
    EXPECT_FALSE(program().run.run_at);
    EXPECT_EQ(logged().size(), 6u);
}

TEST_F(SqlWindowTest, RecallRingKeepsTheLastFiveStatements) {
    ZALSQL &w = open_sql();
    run_in(w, "VALUES 1");
    run_in(w, "VALUES 1"); // the same text twice is pushed once
    run_in(w, "VALUES 2");
    w.TB->click("recall");
    EXPECT_EQ(w.command_text(), "VALUES 1");

    ZALSQL &six = open_sql();
    six.TB->click("recall"); // a fresh ring gives an empty entry
    EXPECT_EQ(six.command_text(), "");
    for (int i = 1; i <= 6; ++i)
        run_in(six, "VALUES " + std::to_string(i));
    // The sixth statement overwrote the oldest; recall runs back from the one before it.
    std::vector<std::string> recalled;
    for (int i = 0; i < 5; ++i) {
        six.TB->click("recall");
        recalled.push_back(six.command_text());
    }
    EXPECT_EQ(recalled, (std::vector<std::string>{"VALUES 5", "VALUES 4", "VALUES 3", "VALUES 2", "VALUES 6"}));
    EXPECT_EQ(program().sql_slots.sql_history_pos[2], 1); // five steps come back to the start
    six.TB->click("recall");
    EXPECT_EQ(six.command_text(), "VALUES 5");
}

TEST_F(SqlWindowTest, ClosingMakesTheNewestRemainingWindowCurrent) {
    ZALSQL &one = open_sql();
    ZALSQL &two = open_sql();
    ZALSQL &three = open_sql();
    for (ZALSQL *w : {&one, &two, &three})
        run_in(*w, "VALUES 1");
    ASSERT_EQ(program().forms.cur_sql_form, &three);

    // Closing a window that is not current also moves the current one to the newest.
    run_in(one, "VALUES 2");
    two.TB->click("return");
    EXPECT_EQ(program().forms.cur_sql_form, &three);
    EXPECT_EQ(program().forms.cur_sql_slot, 3);
    EXPECT_EQ(output(2), nullptr);
    EXPECT_NE(output(1), nullptr);
    EXPECT_NE(output(3), nullptr);
    EXPECT_FALSE(program().sql_slots.sql_slot_used[2]);

    // The close box runs the same steps.
    three.frame()->close();
    EXPECT_EQ(program().forms.cur_sql_form, &one);
    EXPECT_EQ(program().forms.cur_sql_slot, 1);
    EXPECT_EQ(output(3), nullptr);

    // The freed slot is taken again with an empty ring.
    ZALSQL &again = open_sql();
    EXPECT_EQ(again.tag, "1^2^");
    again.TB->click("recall");
    EXPECT_EQ(again.command_text(), "");

    again.TB->click("return");
    one.TB->click("return");
    EXPECT_EQ(program().forms.cur_sql_form, nullptr);
    EXPECT_EQ(program().forms.cur_sql_slot, -1);
    EXPECT_EQ(output(1), nullptr);
}

TEST_F(SqlWindowTest, WindowClosedBeforeItsFirstActivationFreesItsSlot) {
    ZALSQL *w = program().master().open_sql_window(false, false);
    ASSERT_NE(w, nullptr);
    ASSERT_FALSE(w->tag_parsed);
    w->unload();
    EXPECT_FALSE(program().sql_slots.sql_slot_used[1]);
    EXPECT_EQ(program().forms.cur_sql_slot, -1);
}

TEST_F(SqlWindowTest, ResizeKeepsTheMinimumAndLaysOutTheBoxes) {
    ZALSQL &w = open_sql();
    w.resize_twips(1000, 1000);
    EXPECT_GE(w.width_twips(), 2985);
    EXPECT_GE(w.height_twips(), 2985);
    w.resize_twips(9000, 6000);
    EXPECT_NEAR(px_to_twips(w.SQLCommand->width()), 9000 - 240, 30);
    EXPECT_NEAR(px_to_twips(w.ZALMSG->width()), 9000 - 240, 30);
    EXPECT_NEAR(px_to_twips(w.SQLCommand->height()), 6000 - px_to_twips(w.ZALMSG->height()) - 960, 30);
    EXPECT_NEAR(px_to_twips(w.ZALMSG->y()), px_to_twips(w.SQLCommand->geometry().bottom() + 1) + 100, 30);
    EXPECT_NEAR(px_to_twips(w.SQLCommand->x()), 60, 15);
}

TEST_F(SqlWindowTest, InfoPasteTrashAndMagnify) {
    ZALSQL &w = open_sql();
    w.TB->click("info");
    EXPECT_TRUE(w.HTMLFrame->isVisible());
    EXPECT_EQ(w.CloseHTML->caption(), "x");
    EXPECT_EQ(w.HTML->address(), "file://" + program().settings.prog_dir + "/zalhelp.htm");
    QTest::mouseClick(w.CloseHTML, Qt::LeftButton);
    EXPECT_FALSE(w.HTMLFrame->isVisible());

    QApplication::clipboard()->setText("VALUES 'pasted'\nFROM here");
    w.set_command_text("old");
    w.TB->click("paste");
    EXPECT_EQ(w.command_text(), "VALUES 'pasted'\r\nFROM here");
    QApplication::clipboard()->clear();
    w.TB->click("paste");
    EXPECT_EQ(w.command_text(), "");

    w.set_command_text("SELECT *\r\nFROM STAFF");
    w.TB->click("magnify");
    ZALMagnify *m = program().forms.magnify;
    ASSERT_NE(m, nullptr);
    EXPECT_TRUE(m->isVisible());
    EXPECT_EQ(m->text(), "SELECT *\r\nFROM STAFF");
    EXPECT_EQ(bytes(m->windowTitle()), "SQL Info");
    QTest::mouseClick(m->CloseSQL, Qt::LeftButton);
    EXPECT_FALSE(m->isVisible());
    EXPECT_EQ(program().forms.magnify, m); // hidden, kept with its text
    EXPECT_EQ(m->text(), "SELECT *\r\nFROM STAFF");

    w.TB->click("trash");
    EXPECT_EQ(w.command_text(), "");
}

TEST_F(SqlWindowTest, HelpFrameLeavesTheKeysUncovered) {
    ZALSQL &w = open_sql();
    w.TB_ButtonClick("info");
    QApplication::processEvents();
    EXPECT_TRUE(w.HTMLFrame->isVisible());
    EXPECT_EQ(hidden_keys(*w.TB), std::vector<std::string>{});
}

TEST_F(SqlWindowTest, LaterKeysLeaveTheRingAndTheCurrentWindowAlone) {
    ZALSQL &first = open_sql();
    ZALSQL &second = open_sql();
    first.set_command_text("VALUES 1");
    for (const char *key : {"plotperf", "explain"})
        first.TB->click(key);
    first.TB_ButtonClick("unknown"); // a key of no button
    EXPECT_EQ(program().forms.cur_sql_form, &second);
    EXPECT_EQ(program().sql_slots.sql_history_pos[1], 1);
    EXPECT_EQ(queries().topLevelItemCount(), 0);
}

TEST_F(SqlWindowTest, MegabyteStatementIsKeptWholeAndRuns) {
    ZALSQL &w = open_sql();
    const std::string big = "VALUES '" + std::string(1 << 20, 'x') + "'";
    run_in(w, big);
    w.show_form();
    QApplication::processEvents();
    EXPECT_EQ(w.command_text(), big);
    EXPECT_EQ(w.status_text(), "Command completed");
}

} // namespace
