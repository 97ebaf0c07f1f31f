#include "browser.h"
#include "icons.h"
#include "keyed_toolbar.h"
#include "program_fixture.h"
#include "settings.h"
#include "shown_text.h"
#include "startup.h"
#include "text_codec.h"
#include "tree.h"
#include "twips.h"
#include "user_input.h"
#include "zal_master.h"
#include "zal_intro.h"
#include "zal_toolbar.h"
#include "zal_sql.h"

#include <QApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTimer>
#include <QTreeWidget>
#include <gtest/gtest.h>

#include <functional>

using namespace kestle;
using namespace kestle_test;
namespace fs = std::filesystem;

namespace {

bool splash_visible() {
    for (QWidget *w : QApplication::topLevelWidgets())
        if (dynamic_cast<ZALIntro *>(w) && w->isVisible())
            return true;
    return false;
}

TEST(StartupTest, StartsWithAControlFileAndExtras) {
    ProgramFixture fx;
    write_text(fx.dir / "kestle.sql", ":section First\n{\nThe <i>first</i> notes\n}\n:sql Q\nVALUES 1\n");
    write_text(fx.dir / "extras.ini", "");
    Program &p = fx.program;
    Main(p, "");

    EXPECT_TRUE(fx.dialogs.shown.empty());
    EXPECT_FALSE(splash_visible());
    EXPECT_TRUE(p.session.db_connected);
    EXPECT_EQ(p.settings.prog_dir, fx.dir.path().string());
    EXPECT_EQ(p.control.stmt_count, 2);

    ZALMaster &m = p.master();
    EXPECT_TRUE(m.isVisible());
    EXPECT_EQ(m.TV->topLevelItemCount(), 1);
    EXPECT_TRUE(m.TB->button_visible("qbe"));
    EXPECT_TRUE(m.TB->button_visible("spatial"));
    EXPECT_NEAR(px_to_twips(m.Web->height()), px_to_twips(m.height()) - px_to_twips(m.Web->y()) - 1000, 30);

    // The notes of record 1 under the program's title.
    EXPECT_EQ(m.Web->address(), "file://" + fx.dir.path().string() + "/zalhelp.htm");
    const std::string page = read_text(fx.dir / "zalhelp.htm");
    EXPECT_NE(page.find("ZAL Demonstration Program"), std::string::npos);
    EXPECT_NE(page.find("The <i>first</i> notes"), std::string::npos);

    ZALSQL *sql = p.forms.cur_sql_form;
    ASSERT_NE(sql, nullptr);
    EXPECT_EQ(sql->tag, "1^1^");
    EXPECT_EQ(p.forms.cur_sql_slot, 1);
    EXPECT_EQ(sql->my_slot, 1);
    EXPECT_TRUE(sql->isVisible());
    EXPECT_NEAR(sql->left_twips(), 100, 15);
    QApplication::processEvents(); // the window system activates the window
    EXPECT_EQ(QApplication::focusWidget(), sql->SQLCommand);

    ZALToolbar *tools = p.forms.tools;
    ASSERT_NE(tools, nullptr);
    EXPECT_TRUE(tools->isVisible());
    EXPECT_EQ(tools->top_twips(), 0);
    EXPECT_NEAR(tools->left_twips(),
                px_to_twips(m.width()) - px_to_twips(m.CoolBar1->width()) - tools->width_twips() - 160, 30);
    EXPECT_EQ(hidden_keys(*tools->TB), std::vector<std::string>{});
    EXPECT_EQ(hidden_keys(*m.TB), std::vector<std::string>{});
    EXPECT_TRUE(p.run.run_on);
    EXPECT_EQ(p.exec.run_count, 0);

    // Every window shows the program's own icon.
    for (QWidget *w : {static_cast<QWidget *>(&m), sql->frame(), tools->frame()})
        EXPECT_EQ(w->windowIcon().cacheKey(), program_icon().cacheKey()) << bytes(w->windowTitle());
}

TEST(StartupTest, FreshInstanceWithoutControlFileStillStarts) {
    ProgramFixture fx(false); // the manager is started by the first connect
    Program &p = fx.program;
    Main(p, "");
    EXPECT_TRUE(p.session.db_connected);
    EXPECT_EQ(fx.dialogs.messages(), (std::vector<std::string>{"File not found: kestle.sql"}));
    EXPECT_EQ(p.master().TV->topLevelItemCount(), 0);
    EXPECT_FALSE(p.master().TB->button_visible("qbe"));
    EXPECT_FALSE(p.master().TB->button_visible("spatial"));
    const std::string page = read_text(fx.dir / "zalhelp.htm");
    EXPECT_NE(page.find("ZAL Demonstration Program"), std::string::npos);
    ASSERT_NE(p.forms.cur_sql_form, nullptr);
    EXPECT_EQ(p.forms.cur_sql_slot, 1);
}

TEST(StartupTest, TheCommandLinesFontSizeReachesEveryWindow) {
    ProgramFixture fx;
    write_text(fx.dir / "extras.ini", ""); // the main window is made before the command line is read
    Program &p = fx.program;
    Main(p, "fontsize=14");
    EXPECT_DOUBLE_EQ(p.master().font().pointSizeF(), 14);
    ASSERT_NE(p.forms.cur_sql_form, nullptr);
    EXPECT_DOUBLE_EQ(p.forms.cur_sql_form->ZALMSG->font().pointSizeF(), 14);
    EXPECT_DOUBLE_EQ(p.forms.cur_sql_form->SQLCommand->font().pointSizeF(), 14);
    EXPECT_DOUBLE_EQ(p.tools().font().pointSizeF(), 14);
}

TEST(StartupTest, CommandLineOptions) {
    const struct {
        std::vector<std::string> args; // as the shell hands them over
        const char *db_name;
        const char *ctl_file;
        std::vector<std::string> messages; // the boxes, before the first SQL window opens
        bool connected;
    } cases[] = {
        {{"file=\"my file.sql\""}, "SAMPLE", "my file.sql", {}, true},
        {{"file='my file.sql'"}, "SAMPLE", "my file.sql", {}, true},
        {{"file=my file.sql"}, "SAMPLE", "my file.sql", {}, true},
        {{"file=say \"hi\".sql", "database=SAMPLE"}, "SAMPLE", "say \"hi\".sql", {}, true},
        {{"database=NOPE", "other.sql"}, "NOPE", "other.sql", {"File not found: other.sql"}, false},
        // The message table is filled before the command line is read: message 41 has its text.
        {{"database=\"SAMPLE"}, "", "kestle.sql", {"No ending quote found in command string"}, false},
    };
    for (const auto &c : cases) {
        const std::string line = command_line_text(c.args);
        SCOPED_TRACE(line);
        ProgramFixture fx;
        write_text(fx.dir / "my file.sql", ":section Blank name\n");
        write_text(fx.dir / "say \"hi\".sql", ":section Quoted name\n");
        write_text(fx.dir / "kestle.sql", ":section Default\n");
        Program &p = fx.program;
        Main(p, line);
        EXPECT_EQ(p.settings.db_name, c.db_name);
        EXPECT_EQ(p.settings.ctl_file, c.ctl_file);
        EXPECT_EQ(p.session.db_connected, c.connected);
        // The connect failure is told after them.
        std::vector<std::string> shown = fx.dialogs.messages();
        ASSERT_EQ(shown.size() > c.messages.size(), !c.connected);
        shown.resize(c.messages.size());
        EXPECT_EQ(shown, c.messages);
        EXPECT_NE(p.forms.cur_sql_form, nullptr);
    }
}

// Control files with very large pieces: the program starts on each and stays usable. The
// windows show them cut, but the records, the notes page and the statement keep every byte.
TEST(StartupTest, VeryLargeNotesTitlesAndStatementsKeepTheProgramUsable) {
    const std::string line(1 << 20, 'n'), big(10'000'000, 'T');
    const struct {
        const char *what;
        std::string file;
        std::function<void(Program &, const fs::path &dir)> check;
    } cases[] = {
        {"notes of one line of 1 MiB", ":section Notes\n{\n" + line + "\n}\n:sql Q\nVALUES 1\n",
         [&](Program &p, const fs::path &dir) {
             EXPECT_NE(read_text(dir / "zalhelp.htm").find(line + "\r\n"), std::string::npos);
             const QString shown = p.master().Web->toPlainText();
             EXPECT_TRUE(shown.startsWith("ZAL Demonstration Program"));
             EXPECT_LT(shown.size(), 2 * static_cast<qsizetype>(shown_page_bytes));
         }},
        {"a title of 10 MB", ":section " + big + "\n:sql Q\nVALUES 1\n",
         [&](Program &p, const fs::path &) {
             EXPECT_TRUE(p.control.record(1).title == big);
             EXPECT_EQ(p.master().TV->topLevelItem(0)->text(0).size(), shown_line_chars + 1);
         }},
        {"a statement of 10 MB", ":section S\n:sql Q\nSELECT " + big + " FROM T\n",
         [&](Program &p, const fs::path &) {
             ZALSQL &sql = *p.forms.cur_sql_form;
             click_node(*p.master().TV, p.master().TV->topLevelItem(0)->child(0));
             EXPECT_NE(sql.status_text().find("SQLSTATE"), std::string::npos) << sql.status_text();
             EXPECT_TRUE(sql.command_text() == "SELECT " + big + " FROM T");
             EXPECT_TRUE(sql.SQLCommand->cut());
             // The query log keeps it whole too.
             EXPECT_EQ(node_tag(p.master().Queries->topLevelItem(0)->child(0)).size(), big.size() + 14);
         }},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        ProgramFixture fx;
        write_text(fx.dir / "large.sql", c.file);
        Program &p = fx.program;
        Main(p, "file=large.sql");
        QApplication::processEvents();
        (void)p.master().grab();
        EXPECT_EQ(p.control.stmt_count, 2);
        c.check(p, fx.dir.path());
        // The SQL window runs what it is given.
        ZALSQL &sql = *p.forms.cur_sql_form;
        sql.set_command_text("VALUES 1");
        sql.TB->click("run");
        EXPECT_EQ(sql.status_text(), "Command completed");
        EXPECT_FALSE(sql.SQLCommand->isReadOnly());
    }
}

TEST(StartupTest, ProgramEndsWithExit) {
    ProgramFixture fx;
    write_text(fx.dir / "kestle.sql", ":section Only\n");
    Program &p = fx.program;
    Main(p, "");
    QTimer::singleShot(0, [&] { p.master().TB->click("exit"); });
    EXPECT_EQ(QApplication::exec(), 0);
    EXPECT_FALSE(p.session.db_connected);
}

} // namespace
