// DISPLAY, MSG, PROMPT and DUMPVARS through the real windows and the scripted dialogs; CMD, ZAL
// and EXPLAIN with their work files and the tools they start (the product's own, or stand-ins
// on PATH that record how they were called).
#include "app_fixture.h"

#include "browser.h"
#include "interaction_commands.h"
#include "keyed_toolbar.h"
#include "pictures.h"
#include "presentation.h"
#include "twips.h"
#include "zal_messages.h"
#include "zal_toolbar.h"
#include "zal_viewers.h"

#include <QApplication>
#include <QFontMetrics>
#include <QLabel>
#include <QMdiArea>
#include <QTimer>

#include <chrono>

using namespace kestle;
using namespace kestle_test;
namespace fs = std::filesystem;

namespace {

class InteractionTest : public AppTest {
protected:
    void run(const std::string &text) { runit(program(), true, text); }
    // Whether a script went on: its last statement sets WENT.
    bool went_on() { return var_sub(program().vars, "[WENT]") == "ON"; }
    void forget_went() { var_add(program().vars, "WENT", ""); }
    std::string work_file(const char *name) { return read_text(fx.dir / name); }

    // A stand-in program in a directory of its own, which PATH can name.
    fs::path tool(const std::string &name, const std::string &body) {
        write_script(tools.path() / name, body);
        return tools.path() / name;
    }
    // PATH with the stand-ins, then (with_product) the product's tools, then the system.
    std::string path(bool with_product) {
        return tools.path().string() + (with_product ? ":" + bin_dir().string() : "") + ":/usr/bin:/bin";
    }
    std::string recorded(const std::string &name) {
        EXPECT_TRUE(wait_for_file(tools / name)) << name;
        return read_text(tools / name);
    }
    std::vector<ZALOutput *> variable_windows() {
        std::vector<ZALOutput *> found;
        for (Form *f : program().forms.windows.open())
            if (auto *out = dynamic_cast<ZALOutput *>(f); out && out->windowTitle() == "ZALDEMO variables")
                found.push_back(out);
        return found;
    }
    bool viewer_shown() { return program().forms.view_text && program().forms.view_text->isVisible(); }

    TempDir tools;
};

TEST_F(InteractionTest, MsgAsksOkOrCancelAndCancelStopsTheScript) {
    open_sql();
    const struct {
        std::string options;
        Answer answer;
        std::string text, title;
    } cases[] = {
        {"TEXT='Go on?' TITLE=Check", Answer::Ok, "Go on?", "Check"},
        {"TITLE=Check TEXT=\"Go on?\"", Answer::Cancel, "Go on?", "Check"},
        {"text=a TEXT=b", Answer::Ok, "b", "ZAL Demo"},
        {"TITLE=t", Answer::Ok, "", "t"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.options);
        forget_went();
        dialogs().shown.clear();
        dialogs().message_answers = {c.answer};
        run("%MSG " + c.options + ";%VAR WENT=ON");
        ASSERT_EQ(dialogs().shown.size(), 1u);
        const ScriptedDialogs::Shown &box = dialogs().shown[0];
        EXPECT_EQ(box.text, c.text);
        EXPECT_EQ(box.title, c.title);
        EXPECT_EQ(box.icon, MessageIcon::Exclamation);
        EXPECT_EQ(box.buttons, MessageButtons::OkCancel);
        EXPECT_EQ(went_on(), c.answer == Answer::Ok);
        EXPECT_EQ(status(), "Command completed");
    }
    command("%MSG");
    EXPECT_EQ(status(), "No arguments supplied");
}

TEST_F(InteractionTest, MsgAndPromptStopAtAKeyThatIsNotTheirs) {
    open_sql();
    for (const std::string cmd : {"%MSG TEXT=x BUTTONS=2", "%PROMPT TEXT=x VAR=v Buttons=2 TITLE=t"}) {
        SCOPED_TRACE(cmd);
        forget_went();
        // The message stays on the status line: the run does not end as completed.
        run(cmd);
        EXPECT_EQ(status(), "Invalid keyword=BUTTONS");
        // The script goes on after the command.
        run(cmd + ";%VAR WENT=ON");
        EXPECT_TRUE(went_on());
        EXPECT_TRUE(dialogs().shown.empty());
        EXPECT_EQ(var_find(program().vars, "v"), 0);
    }
    program().forms.cur_sql_form->unload();
    run("%MSG BUTTONS=1");
    EXPECT_EQ(dialogs().messages(), (std::vector<std::string>{"Invalid keyword=BUTTONS"}));
}

TEST_F(InteractionTest, PromptStoresTheAnswerForTheStatementsAfterIt) {
    open_sql();
    dialogs().input_answers = {std::string("7")};
    run("%PROMPT TITLE=Number TEXT='Which number?' DEFAULT=5 VAR=n;%VAR GOT=[N]");
    EXPECT_EQ(var_sub(program().vars, "[GOT]"), "7");
    ASSERT_EQ(dialogs().shown.size(), 1u);
    EXPECT_EQ(dialogs().shown[0].kind, "input");
    EXPECT_EQ(dialogs().shown[0].text, "Which number?");
    EXPECT_EQ(dialogs().shown[0].title, "Number");
    EXPECT_EQ(dialogs().shown[0].initial, "5");
    EXPECT_EQ(program().vars.vars[static_cast<std::size_t>(var_find(program().vars, "N"))].name, "N");

    // Cancel and an empty answer: "Command executed", the variable as it was, the script stops.
    for (const std::optional<std::string> &answer : {std::optional<std::string>(), std::optional<std::string>("")}) {
        dialogs().shown.clear();
        dialogs().input_answers = {answer};
        command("%PROMPT TEXT=again VAR=N");
        EXPECT_EQ(status(), "Command executed");
        EXPECT_EQ(dialogs().shown.at(0).title, "Prompt");
        EXPECT_TRUE(program().run.stop_run);
        dialogs().input_answers = {answer};
        forget_went();
        run("%PROMPT TEXT=again VAR=N;%VAR WENT=ON");
        EXPECT_FALSE(went_on());
        EXPECT_EQ(var_sub(program().vars, "[N]"), "7");
    }

    // Without TEXT or without VAR nothing is asked and nothing is said.
    dialogs().shown.clear();
    for (const char *cmd : {"%PROMPT VAR=x", "%PROMPT TEXT=x DEFAULT=1"}) {
        program().forms.cur_sql_form->set_status_text("");
        command(cmd);
        EXPECT_EQ(status(), "") << cmd;
    }
    EXPECT_TRUE(dialogs().shown.empty());
    command("%PROMPT");
    EXPECT_EQ(status(), "No arguments supplied");
}

TEST_F(InteractionTest, DisplayShowsTheMessageWindowUntilTheRunEnds) {
    open_sql();
    command("%DISPLAY \"Loading\" the  data");
    ZALMessages *w = program().forms.message_window;
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(bytes(w->windowTitle()), "Message");
    EXPECT_TRUE(w->frame()->isVisible());
    EXPECT_EQ(w->message(), "\"Loading\" the  data"); // the argument text as parsed, quotes kept

    // A long text wraps, and the window holds it inside the client area.
    std::string words;
    for (int i = 0; i < 150; ++i)
        words += " word" + std::to_string(i);
    command("%DISPLAY" + words);
    QLabel *label = w->ZALMSG;
    EXPECT_GE(label->height(), label->heightForWidth(label->width()));
    EXPECT_GT(label->height(), 2 * label->fontMetrics().height());
    EXPECT_TRUE(program().master().mdi->viewport()->rect().contains(w->frame()->geometry()));
    EXPECT_TRUE(w->rect().contains(label->geometry()));

    run("VALUES 1");
    EXPECT_FALSE(w->frame()->isVisible());
    // A run that shows it, and a silent run, hide it again at their end.
    run("%DISPLAY again");
    EXPECT_EQ(w->message(), "again");
    EXPECT_FALSE(w->frame()->isVisible());
    command("%DISPLAY x");
    runit(program(), false, "VALUES 1");
    EXPECT_FALSE(w->frame()->isVisible());
    EXPECT_EQ(program().forms.message_window, w); // one window, hidden and shown again
}

TEST_F(InteractionTest, DumpvarsListsTheVariablesInAWindowOfItsOwn) {
    program().master().resize(1024, 768);
    open_sql();
    var_add(program().vars, "padded", "  two words  ");
    command("%DUMPVARS");
    command("%DUMPVARS");
    EXPECT_EQ(status(), "Command executed");
    const std::vector<ZALOutput *> windows = variable_windows();
    ASSERT_EQ(windows.size(), 2u);
    ZALOutput &w = *windows[1];
    EXPECT_TRUE(w.isVisible());
    EXPECT_TRUE(program().master().mdi->viewport()->rect().contains(w.frame()->geometry()));
    EXPECT_TRUE(w.tag.empty());
    EXPECT_EQ(find_form(program(), 2, -1), -1); // no window lookup finds it

    Grid &g = *w.DataValues;
    const Variables &v = program().vars;
    ASSERT_EQ(g.cols(), 2);
    ASSERT_EQ(g.rows(), v.var_count + 1);
    EXPECT_EQ(grid_row(g, 0), (std::vector<std::string>{"Variable", "Value"}));
    EXPECT_EQ(grid_row(g, 1), (std::vector<std::string>{"VERSION", "8.2"}));
    EXPECT_EQ(grid_row(g, v.var_count), (std::vector<std::string>{"PADDED", "two words"}));
    for (int i = 1; i <= v.var_count; ++i)
        EXPECT_EQ(g.text_matrix(i, 0), v.vars[static_cast<std::size_t>(i)].name);
    const QFontMetrics metrics(w.font());
    EXPECT_EQ(g.col_width(0), px_to_twips(metrics.horizontalAdvance(QString(14, '%'))));
    EXPECT_EQ(g.col_width(1), px_to_twips(metrics.horizontalAdvance(QString(50, '%'))));
    EXPECT_EQ(g.col_alignment(0), align_left_centre);
    EXPECT_EQ(g.col_alignment(1), align_left_centre);
}

TEST_F(InteractionTest, CmdWritesItsLinesAsWrittenAndOnlyShRunsThem) {
    open_sql();
    // Quotes, pipes, redirections, ";" and "&&" reach the batch file untouched.
    command(R"(%CMD "echo 'it is' $((6*7)) | tr a-z A-Z > one.txt" 'printf "%s;%s\n" a "b c" > two.txt && touch done')");
    EXPECT_EQ(status(), "Command executed");
    EXPECT_EQ(work_file(batch_file),
              "echo 'it is' $((6*7)) | tr a-z A-Z > one.txt\nprintf \"%s;%s\\n\" a \"b c\" > two.txt && touch done\n");
    ASSERT_TRUE(wait_for_file(fx.dir / "two.txt"));
    EXPECT_EQ(work_file("one.txt"), "IT IS 42\n");
    EXPECT_EQ(work_file("two.txt"), "a;b c\n");

    // Text without quotes is the one line.
    command("%CMD echo plain > three.txt");
    EXPECT_EQ(work_file(batch_file), "echo plain > three.txt\n");
    ASSERT_TRUE(wait_for_file(fx.dir / "three.txt"));
    EXPECT_EQ(work_file("three.txt"), "plain\n");

    // A batch file that cannot be written is a failed command.
    fs::remove(fx.dir / batch_file);
    fs::create_directory(fx.dir / batch_file);
    command("%CMD echo x");
    EXPECT_EQ(status(), "Cmd: Command failed ");
}

TEST_F(InteractionTest, CmdAloneOpensACommandWindow) {
    open_sql();
    EnvVar shell("SHELL", "/bin/sh");
    const fs::path terminal = tool("terminal", "printf '%s\\n' \"$@\" > '" + (tools / "terminal.args").string() + "'\n");
    {
        EnvVar chosen("TERMINAL", terminal.string());
        command("%CMD");
        EXPECT_EQ(status(), "Command executed");
        EXPECT_EQ(recorded("terminal.args"), "-e\n/bin/sh\n");
    }
    // No terminal at all: the command failed.
    EnvVar none("TERMINAL", std::nullopt);
    EnvVar path("PATH", tools.path().string());
    command("%CMD");
    EXPECT_EQ(status(), "Cmd: Command failed ");
}

TEST_F(InteractionTest, ZalWritesItsScriptAndStartsTheProcessorOnIt) {
    open_sql();
    EXPECT_EQ(zal_command_line("", "ZALCMDS.ZAL"), "zalcmd /i /w /c zal  -tvf ZALCMDS.ZAL -o- -z ZALCMDS.OUT");
    EXPECT_EQ(zal_command_line("-v", "s.zal"), "zalcmd /i /w /c zal -v -tvf s.zal -o- -z ZALCMDS.OUT");
    // The stand-in records its arguments and the database it was given.
    tool("zalcmd", "printf '%s\\n' \"$@\" \"db=$ZAL_DATABASE\" > '" + (tools / "zalcmd.args").string() + "'\n");
    EnvVar path("PATH", this->path(false));
    const std::string tail = "-o-\n-z\nZALCMDS.OUT\ndb=SAMPLE\n";
    const struct {
        std::string command;
        std::optional<std::string> script; // ZALCMDS.ZAL afterwards; none: no such file
        std::string args;
    } cases[] = {
        {R"(%ZAL "SELECT 1 FROM DEPARTMENT" 'VALUES "x"')",
         "SELECT 1 FROM DEPARTMENT;\nVALUES \"x\";\n!notepad ZALCMDS.OUT;\n",
         "/i\n/w\n/c\nzal\n-tvf\nZALCMDS.ZAL\n" + tail},
        {R"(%ZAL OPTS="-v" "VALUES 1" "VALUES 2")", "VALUES 1;\nVALUES 2;\n!notepad ZALCMDS.OUT;\n",
         "/i\n/w\n/c\nzal\n-v\n-tvf\nZALCMDS.ZAL\n" + tail},
        {R"(%ZAL NOISE=1 "VALUES 3")", "VALUES 3;\n!notepad ZALCMDS.OUT;\n",
         "/i\n/w\n/c\nzal\n-tvf\nZALCMDS.ZAL\n" + tail},
        {"%ZAL select count(*) from staff", "select count(*) from staff;\n!notepad ZALCMDS.OUT;\n",
         "/i\n/w\n/c\nzal\n-tvf\nZALCMDS.ZAL\n" + tail},
        {"%ZAL FILE=mine.zal", std::nullopt, "/i\n/w\n/c\nzal\n-tvf\nmine.zal\n" + tail},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.command);
        write_text(fx.dir / zal_script_file, "old");
        write_text(fx.dir / tool_output_file, "old");
        write_text(fx.dir / "mine.zal", "VALUES 9;\n");
        fs::remove(tools / "zalcmd.args");
        command(c.command);
        EXPECT_EQ(status(), "Command executed");
        EXPECT_EQ(recorded("zalcmd.args"), c.args);
        EXPECT_FALSE(fs::exists(fx.dir / tool_output_file));
        if (c.script)
            EXPECT_EQ(work_file(zal_script_file), *c.script);
        else
            EXPECT_FALSE(fs::exists(fx.dir / zal_script_file));
        EXPECT_EQ(work_file("mine.zal"), "VALUES 9;\n");
    }
    command("%ZAL");
    EXPECT_EQ(status(), "No arguments supplied");
    EnvVar bare("PATH", tools.path().string() + "/none");
    command("%ZAL \"VALUES 1\"");
    EXPECT_EQ(status(), "zalcmd cannot be started");
}

TEST_F(InteractionTest, ZalRunsTheProductsProcessorWhichShowsItsReport) {
    open_sql();
    // notepad hands the report to $VISUAL, which here notes what it was given.
    tool("editor", "echo \"$1\" > '" + tools.path().string() + "'/\"$1\".opened\n");
    EnvVar visual("VISUAL", (tools / "editor").string());
    EnvVar path("PATH", this->path(true));
    command(R"(%ZAL "SELECT DEPT_NAME FROM DEPARTMENT WHERE DEPT_NO = 'R10'")");
    EXPECT_EQ(recorded("ZALCMDS.OUT.opened"), "ZALCMDS.OUT\n");
    EXPECT_NE(work_file(tool_output_file).find("Sensor Research"), std::string::npos) << work_file(tool_output_file);
}

TEST_F(InteractionTest, ExplainShowsTheCostAndPlanFromTheProductsTool) {
    program().master().resize(1024, 768);
    ZALSQL &w = open_sql();
    EXPECT_EQ(explain_command_line("SAMPLE"), "zalexpln -t -d SAMPLE  -z ; -o ZALCMDS.OUT -g -f ZALSQL.SQL");
    EnvVar path("PATH", this->path(true));
    command(R"(%EXPLAIN "SELECT LAST_NAME FROM EMPLOYEE WHERE DEPT_NO = 'R10'" 'VALUES 1')");
    EXPECT_EQ(status(), "Command executed");
    EXPECT_EQ(work_file(explain_input_file), "SELECT LAST_NAME FROM EMPLOYEE WHERE DEPT_NO = 'R10';VALUES 1;\n");
    ASSERT_TRUE(viewer_shown());
    EXPECT_TRUE(program().master().mdi->viewport()->rect().contains(program().view_text().frame()->geometry()));
    const std::string shown = program().view_text().text();
    EXPECT_EQ(shown.rfind("Cost = ", 0), 0u) << shown;
    EXPECT_NE(shown.find("\r\n\r\n  SEARCH "), std::string::npos) << shown;
    EXPECT_NE(shown.find("EMPLOYEE_DEPT"), std::string::npos) << shown;
    EXPECT_EQ(shown.find("Plan:"), std::string::npos) << shown;
    EXPECT_EQ(shown.find("VALUES"), std::string::npos) << shown; // the first statement's plan only
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);

    // The SQL window's key explains its text.
    program().view_text().frame()->hide();
    w.set_command_text("SELECT *\nFROM STAFF");
    w.TB->click("explain");
    ASSERT_TRUE(viewer_shown());
    EXPECT_NE(program().view_text().text().find("STAFF"), std::string::npos);
    EXPECT_EQ(work_file(explain_input_file), "SELECT *\r\nFROM STAFF\n");

    // Past ten quoted strings nothing is read.
    std::string many;
    for (int i = 1; i <= 12; ++i)
        many += " 'VALUES " + std::to_string(i) + "'";
    command("%EXPLAIN" + many);
    EXPECT_EQ(work_file(explain_input_file),
              "VALUES 1;VALUES 2;VALUES 3;VALUES 4;VALUES 5;VALUES 6;VALUES 7;VALUES 8;VALUES 9;VALUES 10;\n");
    EXPECT_EQ(status(), "Command executed");
}

TEST_F(InteractionTest, ExplainOfAStatementTheDatabaseRefusesShowsItsMessage) {
    open_sql();
    EnvVar path("PATH", this->path(true));
    run(R"(%EXPLAIN "SELECT * FROM NOSUCHTABLE")");
    EXPECT_EQ(status(), "SQL0204N  \"NOSUCHTABLE\" is an undefined name.  SQLSTATE=42704");
    EXPECT_FALSE(viewer_shown());
}

TEST_F(InteractionTest, ExplainThatGetsNoPlanSaysSoAndShowsNothing) {
    open_sql();
    EnvVar path("PATH", this->path(false));
    command("%EXPLAIN");
    EXPECT_EQ(status(), "No arguments supplied");
    EXPECT_FALSE(fs::exists(fx.dir / explain_input_file));

    const struct {
        const char *tool; // the stand-in's script; none: there is no explain tool
        const char *said;
    } cases[] = {
        {nullptr, "zalexpln cannot be started"},
        {"echo 'SQL0104N  An unexpected token' > ZALCMDS.OUT\n", "SQL0104N  An unexpected token"},
        {"echo 'zalexpln: the input file cannot be read' > ZALCMDS.OUT\n", "No cost and plan in ZALCMDS.OUT"},
        {"printf 'x\\nEstimated Cost = 5\\n' > ZALCMDS.OUT\n", "No cost and plan in ZALCMDS.OUT"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.said);
        fs::remove(tools / "zalexpln");
        if (c.tool)
            tool("zalexpln", c.tool);
        command("%EXPLAIN 'VALUES 1'");
        EXPECT_EQ(status(), c.said);
        EXPECT_FALSE(viewer_shown());
        run("%EXPLAIN 'VALUES 1'"); // the run ends on the failure, not on its completion
        EXPECT_EQ(status(), c.said);
        EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    }
    // Without an SQL window the presenter is told in a box.
    program().forms.cur_sql_form->unload();
    program().view_text(); // the viewer exists and stays hidden
    ZAL_explain(program(), "VALUES 1");
    EXPECT_EQ(dialogs().messages(), (std::vector<std::string>{"No cost and plan in ZALCMDS.OUT"}));
    EXPECT_FALSE(viewer_shown());
}

TEST_F(InteractionTest, ExplainWaitEndsAtItsLimitAndKeepsTheWindowsAlive) {
    open_sql();
    tool("zalexpln", "exit 0\n"); // starts, and writes nothing
    EnvVar path("PATH", this->path(false));
    int events = 0;
    QTimer ticks;
    QObject::connect(&ticks, &QTimer::timeout, [&] { ++events; });
    ticks.start(100);
    const auto start = std::chrono::steady_clock::now();
    command("%EXPLAIN 'VALUES 1'");
    const double waited = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_EQ(status(), "No report from zalexpln within 10 seconds");
    EXPECT_GE(waited, explain_wait_seconds);
    EXPECT_LT(waited, explain_wait_seconds + 5);
    EXPECT_GT(events, 20); // the event loop ran throughout
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_FALSE(viewer_shown());
}

// Every work file on a full disk: the write fails as a write that fails is told, no tool is
// started on a part of a file, and the file written earlier stays as it was.
TEST_F(InteractionTest, WorkFilesOnAFullDiskAreToldAsNotWrittenAndKeepTheEarlierOnes) {
    open_sql();
    TempDir mount_point;
    const std::string outcome = in_child([&]() -> std::string {
        if (!mount_small_file_system(mount_point.path(), 1u << 20))
            return std::string(child_skipped) + "no small file system can be mounted here";
        const fs::path dir = mount_point.path();
        fs::current_path(dir);
        Program &p = program();
        p.settings.prog_dir = dir.string();
        showhelp(p, "Earlier", "the earlier notes", kind_info);
        write_text(dir / batch_file, "echo earlier\n");
        const std::string earlier_page = read_text(dir / "zalhelp.htm");
        fill_file_system(dir);

        std::string failures;
        auto expect = [&](const std::string &what, const std::string &got, const std::string &wanted) {
            if (got != wanted)
                failures += what + ": " + std::to_string(got.size()) + " bytes \"" + got.substr(0, 60) + "\", not \"" +
                            wanted.substr(0, 60) + "\"\n";
        };
        const std::string line(20000, 'x');
        command("%CMD 'echo " + line + "'");
        expect("CMD", status(), "Cmd: Command failed ");
        expect("the batch file", read_text(dir / batch_file), "echo earlier\n");
        command("%ZAL 'VALUES 1'");
        expect("ZAL", status(), "Cannot write the work file ZALCMDS.ZAL");
        command("%EXPLAIN 'VALUES 1'");
        expect("EXPLAIN", status(), "Cannot write the work file ZALSQL.SQL");
        p.tools().TB->click("explain");
        expect("the tools' explain", dialogs().messages().empty() ? "" : dialogs().messages().back(),
               "Cannot write the work file ZALSQL.SQL");
        showhelp(p, "Later", "the later notes " + line, kind_info);
        expect("the notes page", read_text(dir / "zalhelp.htm"), earlier_page);
        if (!p.master().Web->toPlainText().contains("the earlier notes"))
            failures += "the notes pane lost the earlier notes\n";
        bmp_highlight(p, "ZALBLOB.BMP", 1, 2, 3);
        for (const char *name : {"ZALCMDS.ZAL", "ZALSQL.SQL", "changed.bmp"})
            if (fs::exists(dir / name))
                failures += std::string(name) + " is there\n";
        if (names_in(dir) != std::vector<std::string>{batch_file, "filler", "zalhelp.htm"})
            failures += "other files were left behind\n";
        return failures;
    });
    if (outcome.starts_with(child_skipped))
        GTEST_SKIP() << outcome;
    EXPECT_EQ(outcome, "");
}

} // namespace
