#include "app_fixture.h"

#include "twips.h"
#include "close_label.h"
#include "keyed_toolbar.h"
#include "zal_connect.h"
#include "zal_toolbar.h"
#include "zal_viewers.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QProcess>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include <cstdlib>

using namespace kestle;
using namespace kestle_test;

namespace {

class SmallWindowsTest : public AppTest {
protected:
    ZALConnect &dialog() { return program().connect_dialog(); }
};

TEST_F(SmallWindowsTest, ConnectionDialogCancelKeepsTheSettingsAndTheConnection) {
    program().settings.db_user = "someone";
    EXPECT_EQ(bytes(dialog().windowTitle()), "Connect");
    EXPECT_EQ(bytes(dialog().DBName->text()), "SAMPLE");
    EXPECT_EQ(bytes(dialog().UIDName->text()), "someone");
    EXPECT_EQ(dialog().Pswd->echoMode(), QLineEdit::Password);
    const SQLHDBC before = program().session.hdbc;
    dialog().DBName->setText("OTHER");
    dialog().Killit->click();
    EXPECT_EQ(program().forms.connect, nullptr);
    EXPECT_EQ(program().settings.db_name, "SAMPLE");
    EXPECT_EQ(program().session.hdbc, before);
    EXPECT_TRUE(program().session.db_connected);
}

TEST_F(SmallWindowsTest, ConnectionDialogTrimsBlanksAndConnectsAgain) {
    open_sql();
    const SQLHDBC before = program().session.hdbc;
    dialog().DBName->setText("  sample ");
    dialog().UIDName->setText(" ");
    dialog().DoConnect->click();
    EXPECT_EQ(program().forms.connect, nullptr); // closed by the success
    EXPECT_EQ(program().settings.db_name, "sample");
    EXPECT_EQ(program().settings.db_user, "");
    EXPECT_TRUE(program().session.db_connected);
    EXPECT_NE(program().session.hdbc, before); // the same database connected anew
    EXPECT_EQ(status(), "Connected to Database: sample");
    EXPECT_EQ(var_sub(program().vars, "[DATABASE]"), "SAMPLE"); // the variables stay
}

TEST_F(SmallWindowsTest, FailedConnectLeavesTheDialogOpenWithTheValuesTyped) {
    open_sql();
    // Typed, then Return in the name box.
    dialog().DBName->clear();
    QTest::keyClicks(dialog().DBName, " NOSUCHDB ");
    QTest::keyClick(dialog().DBName, Qt::Key_Return);
    ZALConnect *still = program().forms.connect;
    ASSERT_NE(still, nullptr);
    EXPECT_EQ(bytes(still->DBName->text()), " NOSUCHDB ");
    EXPECT_FALSE(program().session.db_connected);
    EXPECT_NE(status().find("NOSUCHDB"), std::string::npos);
    // The dialog covers the status line: the database's message is told in front of it.
    ASSERT_EQ(dialogs().shown.size(), 1u);
    EXPECT_EQ(dialogs().shown[0].text, status());
    EXPECT_EQ(dialogs().shown[0].title, "Connect");
    EXPECT_EQ(still->frame()->size(), still->frame()->minimumSize()); // its size is fixed
    EXPECT_EQ(still->frame()->size(), still->frame()->maximumSize());
    still->Killit->click();
    EXPECT_EQ(program().settings.db_name, "NOSUCHDB");
    EXPECT_FALSE(program().session.db_connected);
    // Loaded again, it shows the settings of now.
    EXPECT_EQ(bytes(dialog().DBName->text()), "NOSUCHDB");
}

TEST_F(SmallWindowsTest, FailedConnectWithoutSqlWindowIsToldOnce) {
    dialog().DBName->setText("NOSUCHDB");
    dialog().DoConnect->click();
    ASSERT_EQ(dialogs().messages().size(), 1u);
    EXPECT_NE(dialogs().messages()[0].find("NOSUCHDB"), std::string::npos);
}

TEST_F(SmallWindowsTest, EscapeCancelsTheConnectionDialog) {
    dialog().show_form();
    dialog().DBName->setText("OTHER");
    dialog().DBName->setFocus();
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(dialog().DBName, &escape);
    EXPECT_EQ(program().forms.connect, nullptr);
    EXPECT_EQ(program().settings.db_name, "SAMPLE");
    EXPECT_TRUE(program().session.db_connected);
}

TEST_F(SmallWindowsTest, ToolsWindowHasNineToolsAndFitsItsBar) {
    ZALToolbar &tools = program().tools();
    EXPECT_EQ(bytes(tools.windowTitle()), "ZAL Tools");
    QList<QAction *> actions = tools.TB->actions();
    ASSERT_EQ(actions.size(), 9);
    for (QAction *a : actions) {
        const std::string key = bytes(a->objectName());
        SCOPED_TRACE(key);
        EXPECT_FALSE(a->toolTip().isEmpty());
        EXPECT_FALSE(tools.tool_command(key).empty());
    }
    EXPECT_EQ(tools.tool_command("nothing"), "");
    EXPECT_NEAR(tools.height_twips(), px_to_twips(tools.TB->sizeHint().height()) + 360, 15);
}

TEST_F(SmallWindowsTest, ExplainToolWritesItsReportAndShowsItInTheEditor) {
    // An editor that notes the file it was given.
    write_script(fx.dir / "editor.sh", "echo \"$1\" > shown\n");
    EnvVar visual("VISUAL", (fx.dir / "editor.sh").string());
    ZALToolbar &tools = program().tools();
    tools.TB->click("explain");
    EXPECT_TRUE(dialogs().messages().empty()) << dialogs().messages().front();
    // The work files of the program's explains, in the current directory.
    EXPECT_NE(read_text(fx.dir / "ZALSQL.SQL").find("FROM EMPLOYEE"), std::string::npos);
    EXPECT_NE(tools.tool_command("explain").find("-f ZALSQL.SQL -o ZALCMDS.OUT"), std::string::npos);
    // Both helpers have ended when the tools window watches none.
    EXPECT_TRUE(QTest::qWaitFor([&] { return tools.findChildren<QProcess *>().isEmpty(); }, 10000));
    // The editor runs on by itself after the launcher has ended.
    ASSERT_TRUE(wait_for_file(fx.dir / "shown"));
    EXPECT_EQ(read_text(fx.dir / "shown"), "ZALCMDS.OUT\n");
    EXPECT_NE(read_text(fx.dir / "ZALCMDS.OUT").find("Plan:"), std::string::npos);
    EXPECT_TRUE(dialogs().messages().empty()) << dialogs().messages().front();
}

TEST_F(SmallWindowsTest, ExplainToolWhoseInputCannotBeWrittenIsNotStarted) {
    // A report of an earlier explain, and a directory where the statement is to be written.
    write_text(fx.dir / "ZALCMDS.OUT", "Plan: an earlier statement\n");
    std::filesystem::create_directories(fx.dir / "ZALSQL.SQL" / "in the way");
    ZALToolbar &tools = program().tools();
    tools.TB->click("explain");
    EXPECT_EQ(dialogs().messages(), std::vector<std::string>{"Cannot write the work file ZALSQL.SQL"});
    EXPECT_TRUE(tools.findChildren<QProcess *>().isEmpty());
    EXPECT_FALSE(std::filesystem::exists(fx.dir / "ZALCMDS.OUT"));
}

TEST_F(SmallWindowsTest, HelperThatFailsAfterItStartedIsToldInAMessageBox) {
    // No editor anywhere: notepad starts, then fails.
    EnvVar visual("VISUAL", std::nullopt);
    EnvVar display("DISPLAY", std::nullopt);
    EnvVar wayland("WAYLAND_DISPLAY", std::nullopt);
    const struct {
        const char *key, *tip;
    } cases[] = {{"editor", "Edit the presentation file"}, {"explain", "Explain a sample statement"}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.key);
        dialogs().shown.clear();
        program().tools().TB->click(c.key);
        EXPECT_TRUE(dialogs().messages().empty()); // the click returns before the helper ends
        ASSERT_TRUE(QTest::qWaitFor([&] { return !dialogs().messages().empty(); }, 10000));
        const std::string told = dialogs().messages().front();
        EXPECT_EQ(told.rfind(std::string(c.tip) + " failed: notepad: no text editor was found", 0), 0u) << told;
    }
}

TEST_F(SmallWindowsTest, ToolThatCannotStartIsToldInAMessageBox) {
    TempDir empty;
    EnvVar path("PATH", empty.path().string());
    EnvVar terminal("TERMINAL", "");
    ZALToolbar &tools = program().tools();
    tools.TB->click("files");
    tools.TB->click("monitor");
    EXPECT_EQ(dialogs().messages(),
              (std::vector<std::string>{"Browse the start-up directory cannot be started: xdg-open was not found",
                                        "System monitor cannot be started: top was not found"}));
}

TEST_F(SmallWindowsTest, ViewersHideOrCloseByTheirCross) {
    ZALViewText &text = program().view_text();
    EXPECT_EQ(bytes(text.windowTitle()), "Text Viewer");
    text.set_text("line 1\r\nline 2");
    text.show_form();
    QTest::mouseClick(text.CloseSQL, Qt::LeftButton);
    EXPECT_FALSE(text.isVisible());
    EXPECT_EQ(program().forms.view_text, &text);
    EXPECT_EQ(text.text(), "line 1\r\nline 2");
    EXPECT_EQ(text.Textin->font().pointSizeF(), 9.75);

    ZALViewHTML &html = program().view_html();
    EXPECT_EQ(bytes(html.windowTitle()), "ZALDemo Help");
    html.show_form();
    QTest::mouseClick(html.CloseSQL, Qt::LeftButton);
    EXPECT_EQ(program().forms.view_html, nullptr);
}

} // namespace
