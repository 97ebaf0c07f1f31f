// The product's tools, run from the build's bin directory on a temporary instance.
#include "test_support.h"

#include <zalapp.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace kestle_test;
namespace fs = std::filesystem;

namespace {

std::string tool(const std::string &name) { return "'" + (bin_dir() / name).string() + "'"; }

// Runs a command line split at blanks, without a shell, as the program starts its tools.
int run_split(const std::string &line, const fs::path &dir) {
    std::istringstream in(line);
    std::vector<std::string> words;
    for (std::string w; in >> w;)
        words.push_back(w);
    std::vector<char *> argv;
    for (std::string &w : words)
        argv.push_back(w.data());
    argv.push_back(nullptr);
    const std::string program = (bin_dir() / words[0]).string();
    pid_t pid = fork();
    if (pid == 0) {
        if (chdir(dir.c_str()) == 0)
            execv(program.c_str(), argv.data());
        _exit(127);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::vector<std::string> lines_of(const std::string &text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        out.push_back(line);
    return out;
}

double cost_of(const std::string &report) {
    const auto at = report.find("Cost = ");
    return at == std::string::npos ? -1 : std::stod(report.substr(at + 7));
}

class Tools : public ::testing::Test {
protected:
    TempHome home;
    TempDir work;

    // Runs in the work directory without a current database unless the command sets one.
    Command run(const std::string &command) {
        return run_command("cd '" + work.path().string() + "' && unset ZAL_DATABASE && " + command);
    }
    std::string path(const std::string &name) { return (work / name).string(); }
    // The report of one query on SAMPLE as its lines: the header, the rule, the rows.
    std::vector<std::string> report_lines(const std::string &sql) {
        write_text(work / "q.zal", sql + ";\n");
        return lines_of(run("ZAL_DATABASE=SAMPLE " + tool("zal") + " -tf q.zal").output);
    }
};

} // namespace

TEST_F(Tools, ZalRunsAScriptAndReportsResultsAndErrors) {
    write_text(work / "s.zal",
               "-- two people of the field offices\n"
               "CONNECT TO SAMPLE;\n"
               "SELECT ID, NAME, YEARS, COMM FROM STAFF\n"
               "  WHERE ID IN (101, 109) ORDER BY ID;\n"
               "SELECT * FROM NOSUCH;\n"
               "VALUES 'semi;colon' ; CREATE TABLE T (A INTEGER);\n"
               "CONNECT RESET;\n");
    const Command c = run(tool("zal") + " -tvf s.zal");
    EXPECT_EQ(c.status, 4) << c.output;
    EXPECT_NE(c.output.find("    ID NAME          YEARS        COMM\n"
                            "------ ------------ ------ -----------\n"
                            "   101 Olsen            16           -\n"
                            "   109 Varga             -           -\n"
                            "\n"
                            "  2 record(s) selected.\n"),
              std::string::npos)
        << c.output;
    // -v echoes the statement as written, the comment line is skipped
    EXPECT_NE(c.output.find("SELECT ID, NAME, YEARS, COMM FROM STAFF\n  WHERE ID IN (101, 109) ORDER BY ID\n"),
              std::string::npos);
    EXPECT_EQ(c.output.find("two people"), std::string::npos);
    EXPECT_NE(c.output.find("\nSQL0204N  \"NOSUCH\" is an undefined name.  SQLSTATE=42704\n"), std::string::npos);
    EXPECT_EQ(c.output.find("[ZAL]"), std::string::npos);
    // a ";" inside a string does not end the statement; two statements may share a line
    EXPECT_NE(c.output.find("\nsemi;colon\n"), std::string::npos);
    EXPECT_NE(c.output.find("ZAL0000I  The SQL command completed successfully."), std::string::npos);
    EXPECT_NE(c.output.find("Local database alias   = SAMPLE"), std::string::npos);
    Client db("SAMPLE");
    EXPECT_EQ(db.value("SELECT COUNT(*) FROM SYSORL.SYSTABLES WHERE NAME = 'T'"), "1");
}

TEST_F(Tools, ZalExitStatusAndConnection) {
    write_text(work / "ok.zal", "CONNECT TO SAMPLE\nSELECT COUNT(*) FROM STAFF\n");
    struct Case {
        const char *command;
        int status;
        const char *shows;
    } cases[] = {
        {"zal -f ok.zal", 0, "      35\n"},
        {"zal -f missing.zal 2>&1", 8, "missing.zal"},
        {"zal -q 2>&1", 8, "\"-q\" is not valid"},
        {"zal 'select count(*) from staff'", 4, "SQL1024N  A database connection does not exist."},
        {"ZAL_DATABASE=sample zal 'select count(*) from staff'", 0, "      35\n"},
        {"ZAL_DATABASE=nosuch zal select 1 from staff", 4, "SQL1013N"},
        {"echo 'VALUES 7' | ZAL_DATABASE=SAMPLE zal", 0, "          1\n-----------\n          7\n"},
        {"zal connect to sample user someone", 4, "SQL0104N  An unexpected token \"END-OF-STATEMENT\""},
        {"zal start database manager", 0, "SQL1026N  The database manager is already active."},
    };
    for (const Case &k : cases) {
        const Command c = run("PATH='" + bin_dir().string() + "':\"$PATH\"; export PATH; " + k.command);
        EXPECT_EQ(c.status, k.status) << k.command << "\n" << c.output;
        EXPECT_NE(c.output.find(k.shows), std::string::npos) << k.command << "\n" << c.output;
        EXPECT_EQ(c.output.find("zal => "), std::string::npos) << "prompt without a terminal: " << k.command;
    }
}

TEST_F(Tools, ZalSizesColumnsFromTheirDeclaredLengths) {
    const struct {
        const char *column; // name and declared type
        const char *value;  // as inserted
        size_t width;
        const char *shown; // the value in its column, padded
    } cases[] = {
        {"S SMALLINT", "-7", 6, "    -7"},
        {"I INTEGER", "12", 11, "         12"},
        {"B BIGINT", "3", 20, "                   3"},
        {"D DECIMAL(9,2)", "4.5", 11, "       4.50"},
        {"F DOUBLE", "0.25", 22, "                  0.25"},
        {"C CHAR(3)", "'ab'", 3, "ab "},
        {"DT DATE", "'2000-01-02'", 10, "2000-01-02"},
        {"A_LONG_NAME CHAR(2)", "'xy'", 11, "xy         "}, // as wide as its name
        {"V VARCHAR(200)", "'short'", 200, nullptr},
        {"X BLOB(4)", "X'0A0B'", 8, "0A0B    "},      // two hexadecimal digits a byte
        {"N VARCHAR(2)", "NULL", 2, "- "},
        {"L CLOB(1M)", "'last'", 254, "last"}, // padded no further than 254; the line is trimmed
    };
    std::string create, insert;
    for (const auto &k : cases) {
        create += (create.empty() ? "" : ", ") + std::string(k.column);
        insert += (insert.empty() ? "" : ", ") + std::string(k.value);
    }
    Client db("SAMPLE");
    ASSERT_TRUE(db.run("CREATE TABLE W (" + create + ")").ok()) << db.last.message;
    ASSERT_TRUE(db.run("INSERT INTO W VALUES (" + insert + ")").ok()) << db.last.message;
    const std::vector<std::string> lines = report_lines("SELECT * FROM W");
    ASSERT_GE(lines.size(), 3u);
    size_t at = 0;
    for (const auto &k : cases) {
        const std::string name = std::string(k.column).substr(0, std::string(k.column).find(' '));
        EXPECT_EQ(lines[1].substr(at, k.width + 1), std::string(k.width, '-') + (&k == std::end(cases) - 1 ? "" : " "))
            << name;
        EXPECT_NE(lines[0].substr(at, k.width).find(name), std::string::npos) << name;
        if (k.shown) {
            EXPECT_EQ(lines[2].substr(at, k.width), k.shown) << name;
        }
        at += k.width + 1;
    }
    EXPECT_EQ(lines[1].size() + 1, at);
}

// A value wider than its column is printed whole; the rest of its line moves right.
TEST_F(Tools, ZalPrintsEveryValueWhole) {
    const std::string long_text = std::string(199, 'v') + "Z";
    const std::string longer_than_declared = "abcdefghijklmnopqrstuvwxyz";
    const std::string huge = std::string(6000, 'h') + "END"; // past any fetch buffer
    const struct {
        const char *type;
        std::string value;
        size_t width;
    } cases[] = {
        {"VARCHAR(200)", long_text, 200},
        {"VARCHAR(200)", "with\ttab and\nline break", 200},
        // a tab wherever the test of a value's bytes looks at it
        {"VARCHAR(12)", "a\tb", 12},
        {"VARCHAR(12)", "abcd\te", 12},
        {"VARCHAR(12)", "abcdefgh\ti", 12},
        {"VARCHAR(10)", longer_than_declared, 10}, // the engine keeps what the type does not hold
        {"CLOB(1M)", huge, 254},
        {"VARCHAR(6)", "åäö", 6}, // characters, not bytes, line up
    };
    Client db("SAMPLE");
    int n = 0;
    for (const auto &k : cases) {
        const std::string table = "T" + std::to_string(++n);
        ASSERT_TRUE(db.run("CREATE TABLE " + table + " (V " + k.type + ", N INTEGER)").ok()) << db.last.message;
        ASSERT_TRUE(db.run("INSERT INTO " + table + " VALUES ('" + k.value + "', 7)").ok()) << db.last.message;
        const std::vector<std::string> lines = report_lines("SELECT V, N FROM " + table);
        ASSERT_GE(lines.size(), 3u) << k.type;
        std::string shown = k.value;
        for (char &c : shown)
            c = c == '\t' || c == '\n' ? ' ' : c;
        const size_t chars = k.type[0] == 'V' && k.value == "åäö" ? 3 : shown.size();
        EXPECT_EQ(lines[2], shown + std::string(k.width > chars ? k.width - chars : 0, ' ') + "           7")
            << k.type;
    }
}

// Tests under a memory limit; the sanitizer pass leaves their suite out, as its allocator
// reserves memory of its own.
class ToolsMemoryBounds : public Tools {};

// The rows go out as they are fetched: a result far larger than the memory allowed is reported.
TEST_F(ToolsMemoryBounds, ZalStreamsALargeResult) {
    const Command c = run("(ulimit -v 80000; ZAL_DATABASE=SAMPLE " + tool("zal") +
                          " \"WITH RECURSIVE N(I) AS (SELECT 1 UNION ALL SELECT I + 1 FROM N WHERE I < 400000)"
                          " SELECT printf('%0250d', I) FROM N\"; echo \"status $?\") | tail -n 3");
    EXPECT_EQ(c.output, "  400000 record(s) selected.\n\nstatus 0\n");
}

TEST_F(Tools, ZalStartsTheManagerOnAFreshInstance) {
    TempHome fresh(false);
    write_text(work / "s.zal", "START DATABASE MANAGER;\nCONNECT TO SAMPLE;\n"
                               "SELECT NAME FROM SYSORL.SYSTABLES WHERE NAME = 'STAFF';\n");
    const Command c = run(tool("zal") + " -tf s.zal");
    EXPECT_EQ(c.status, 0) << c.output;
    EXPECT_NE(c.output.find("The START DATABASE MANAGER command completed successfully."), std::string::npos);
    EXPECT_NE(c.output.find("\nSTAFF\n"), std::string::npos) << c.output;
}

// A start that fails shows its whole message, path and reason; one on a directory that others
// can read says so.
TEST_F(Tools, ZalShowsTheManagerStartsWholeMessageAndItsWarning) {
    const fs::path file = work / "a-file-where-the-instance-directory-should-be";
    write_text(file, "x");
    const fs::path shared = work / "shared";
    fs::create_directory(shared);
    fs::permissions(shared, fs::perms(0755));
    const struct {
        fs::path home;
        int status;
        std::string shows;
    } cases[] = {
        {file, 4, "cannot create the instance directory " + file.string() + ": File exists."},
        {shared, 0, "ZAL0002W  The instance directory " + shared.string() + " can be read by other users"},
    };
    for (const auto &k : cases) {
        const Command c = run("ZAL_HOME='" + k.home.string() + "' " + tool("zal") + " START DATABASE MANAGER");
        EXPECT_EQ(c.status, k.status) << c.output;
        EXPECT_NE(c.output.find(k.shows), std::string::npos) << c.output;
    }
}

TEST_F(Tools, ZalWritesOnlyTheFileAndShellCommandsSeeTheReportSoFar) {
    write_text(work / "s.zal", "CONNECT TO SAMPLE;\nSELECT NAME FROM STAFF WHERE ID = 101;\n"
                               "!cp report.out seen.txt;\n"
                               "!exit 3;\n");
    const Command c = run(tool("zal") + " -tvf s.zal -o- -z report.out");
    EXPECT_EQ(c.status, 4);
    EXPECT_EQ(c.output, "");
    const std::string report = read_text(work / "report.out");
    EXPECT_NE(report.find("Olsen\n\n  1 record(s) selected."), std::string::npos) << report;
    EXPECT_NE(report.find("ZAL0001N  The command \"exit 3\" ended with exit status 3."), std::string::npos);
    // the ";" of the command line is not passed to the shell, and the report was written first
    const std::string seen = read_text(work / "seen.txt");
    EXPECT_NE(seen.find("1 record(s) selected."), std::string::npos) << seen;
    EXPECT_NE(seen.find("!cp report.out seen.txt\n"), std::string::npos) << seen;
}

TEST_F(Tools, ProgramsZalCommandLineOpensTheReportInNotepad) {
    write_script(work / "editor", "cp \"$1\" '" + path("seen.txt") + "'\necho \"$1\" > '" + path("opened.txt") + "'\n");
    write_text(work / "ZALCMDS.ZAL", "SELECT COUNT(*) FROM STAFF;\n!notepad ZALCMDS.OUT;\n");
    // PATH without the tools: zalcmd puts them first
    const Command c = run("PATH=/usr/bin:/bin VISUAL='" + path("editor") +
                          "' ZAL_DATABASE=SAMPLE " + tool("zalcmd") +
                          " /i /w /c zal  -tvf ZALCMDS.ZAL -o- -z ZALCMDS.OUT");
    EXPECT_EQ(c.status, 0) << c.output;
    EXPECT_EQ(c.output, "");
    ASSERT_TRUE(wait_for_file(work / "opened.txt"));
    EXPECT_EQ(read_text(work / "opened.txt"), "ZALCMDS.OUT\n");
    EXPECT_NE(read_text(work / "seen.txt").find("35\n\n  1 record(s) selected."), std::string::npos);
}

TEST_F(Tools, ZalcmdSetsTheEnvironmentAndPassesTheExitStatus) {
    const std::string zalcmd = tool("zalcmd");
    Command c = run("env -u ZAL_HOME -u XDG_DATA_HOME HOME='" + work.path().string() + "' PATH=/usr/bin:/bin " +
                    zalcmd + " /c 'echo \"$ZAL_HOME\"; command -v zal'");
    EXPECT_EQ(c.status, 0);
    EXPECT_EQ(c.output, (work / ".local/share/zal").string() + "\n" + (bin_dir() / "zal").string() + "\n");

    c = run(zalcmd + " /C /w 'exit 3'");
    EXPECT_EQ(c.status, 3);
    // several arguments are passed unchanged: no globbing, blanks kept
    c = run(zalcmd + " /c printf '%s\\n' 'a  b' '*'");
    EXPECT_EQ(c.output, "a  b\n*\n");
    c = run(zalcmd + " /c /bin/echo plain");
    EXPECT_EQ(c.output, "plain\n");

    c = run(zalcmd + " /x echo hi 2>&1");
    EXPECT_NE(c.status, 0);
    EXPECT_NE(c.output.find("\"/x\" is not valid"), std::string::npos) << c.output;
    EXPECT_EQ(c.output.find("hi\n"), std::string::npos);
    c = run(zalcmd + " /c 2>&1");
    EXPECT_NE(c.status, 0);
    EXPECT_NE(c.output.find("no command"), std::string::npos);
}

TEST_F(Tools, ProgramsExplainCommandLineWritesCostAndPlan) {
    write_text(work / "ZALSQL.SQL", "SELECT * FROM EMPLOYEE WHERE EMP_NO = '000010';SELECT * FROM STAFF;"
                                      "SELECT * FROM EMPLOYEE WHERE DEPT_NO = 'A00';\n");
    EXPECT_EQ(run_split("zalexpln -t -d SAMPLE  -z ; -o ZALCMDS.OUT -g -f ZALSQL.SQL", work.path()), 0);
    const std::vector<std::string> lines = lines_of(read_text(work / "ZALCMDS.OUT"));
    // what the program reads: a "Cost =" line, a later "Plan:" line, plan lines up to "==="
    size_t i = 0;
    while (i < lines.size() && lines[i].find("Cost =") == std::string::npos)
        ++i;
    ASSERT_LT(i, lines.size());
    EXPECT_EQ(lines[i].rfind("Estimated Cost = ", 0), 0u);
    while (i < lines.size() && lines[i].find("Plan:") == std::string::npos)
        ++i;
    ASSERT_LT(i, lines.size());
    std::vector<std::string> plan;
    for (++i; i < lines.size() && lines[i].rfind("===", 0) != 0; ++i)
        plan.push_back(lines[i]);
    ASSERT_LT(i, lines.size()) << "no \"===\" line";
    ASSERT_EQ(plan.size(), 1u);
    // the primary key's index is named after its table, never by the engine's own name; an
    // index the user made keeps its name
    EXPECT_EQ(plan[0], "  SEARCH EMPLOYEE USING INDEX PK_EMPLOYEE (EMP_NO=?)");
    const std::string report = read_text(work / "ZALCMDS.OUT");
    EXPECT_NE(report.find("\n  SCAN STAFF\n===="), std::string::npos);
    EXPECT_NE(report.find("\n  SEARCH EMPLOYEE USING INDEX EMPLOYEE_DEPT (DEPT_NO=?)\n"), std::string::npos) << report;
}

TEST_F(Tools, ExplainEstimatesFromRowCountsAndStatistics) {
    Client db("SAMPLE");
    ASSERT_TRUE(db.run("CREATE TABLE T (ID INTEGER NOT NULL, V VARCHAR(10))").ok());
    ASSERT_TRUE(db.run("CREATE TABLE U (ID INTEGER NOT NULL)").ok());
    for (int i = 0; i < 10; ++i)
        ASSERT_TRUE(db.run("INSERT INTO T VALUES (" + std::to_string(i) + ", 'x')").ok());
    ASSERT_TRUE(db.run("INSERT INTO U SELECT ID FROM T").ok());
    zal_runstats_request request{};
    const std::string table = db.value("VALUES USER") + ".T";
    request.table = table.c_str();
    zal_sqlca ca{};
    ASSERT_EQ(zalRunstats(ZAL_RUNSTATS_VERSION, &request, &ca), 0);
    ASSERT_TRUE(db.run("INSERT INTO T SELECT ID + 10, V FROM T").ok());
    ASSERT_TRUE(db.run("INSERT INTO U SELECT ID + 10 FROM U").ok());

    auto explain = [&](const std::string &sql) {
        write_text(work / "in.sql", sql);
        EXPECT_EQ(run(tool("zalexpln") + " -d SAMPLE -f in.sql -o out.txt").status, 0) << sql;
        return read_text(work / "out.txt");
    };
    // T's CARD is 10 from the statistics although it holds 20 rows; U has no statistics
    EXPECT_DOUBLE_EQ(cost_of(explain("SELECT * FROM T")), 10);
    EXPECT_DOUBLE_EQ(cost_of(explain("SELECT * FROM U")), 20);
    EXPECT_DOUBLE_EQ(cost_of(explain("SELECT * FROM EMPLOYEE")), std::stod(db.value("SELECT COUNT(*) FROM EMPLOYEE")));
    // a key search is cheaper than the scan, and a join is dearer than either table alone
    const double key = cost_of(explain("SELECT * FROM EMPLOYEE E WHERE E.EMP_NO = '000010'"));
    EXPECT_GT(key, 0);
    EXPECT_LT(key, 10);
    const double join = cost_of(explain("SELECT * FROM EMPLOYEE E, DEPARTMENT D WHERE E.DEPT_NO = D.DEPT_NO"));
    EXPECT_GT(join, cost_of(explain("SELECT * FROM EMPLOYEE")));
    // a sort adds to the same scan
    EXPECT_GT(cost_of(explain("SELECT * FROM U ORDER BY ID")), 20);
}

TEST_F(Tools, ExplainNeverRunsTheStatementAndReportsErrors) {
    write_text(work / "in.sql",
               "DELETE FROM STAFF WHERE YEARS > 0@SELECT ';' FROM NOSUCH@ INSERT INTO STAFF (ID, NAME, DEPT_NO, JOB, SALARY) "
               "VALUES (999, 'New', 'O10', 'CLERK', 1)@");
    const Command c = run(tool("zalexpln") + " -d SAMPLE -z @ -f in.sql -o out.txt");
    EXPECT_NE(c.status, 0);
    const std::string out = read_text(work / "out.txt");
    EXPECT_NE(out.find("[ZAL][CLI Driver][ZAL] SQL0204N  \"NOSUCH\" is an undefined name."), std::string::npos) << out;
    EXPECT_NE(out.find("SCAN STAFF"), std::string::npos);
    EXPECT_NE(out.find("Statement 3"), std::string::npos);
    Client db("SAMPLE");
    EXPECT_EQ(db.value("SELECT COUNT(*) FROM STAFF"), "35");

    struct Case {
        const char *arguments;
        const char *shows;
    } cases[] = {
        {"-d NOSUCHDB -f in.sql -o out.txt", "SQL1013N"},
        {"-d SAMPLE -f missing.sql -o out.txt", "missing.sql"},
        {"-d SAMPLE -f in.sql -o out.txt -q", "\"-q\" is not valid"},
        {"-d SAMPLE -o out.txt", "no input file"},
    };
    for (const Case &k : cases) {
        fs::remove(work / "out.txt");
        EXPECT_NE(run(tool("zalexpln") + " " + k.arguments + " 2>/dev/null").status, 0) << k.arguments;
        EXPECT_NE(read_text(work / "out.txt").find(k.shows), std::string::npos) << k.arguments;
    }
}

// A reader that waits for the report never finds a part of one: on a full disk there is none.
TEST_F(Tools, ExplainReportIsWrittenWholeOrNotAtAll) {
    write_text(work / "in.sql", "SELECT * FROM STAFF;\n");
    TempDir mount_point;
    const std::string outcome = in_child([&]() -> std::string {
        const fs::path dir = mount_point.path();
        if (!mount_small_file_system(dir, 1u << 20))
            return std::string(child_skipped) + "no small file system can be mounted here";
        const std::string explain = tool("zalexpln") + " -d SAMPLE -f in.sql -o '" + (dir / "out.txt").string() + "'";
        fill_file_system(dir);
        std::string failures;
        if (run(explain + " 2>/dev/null").status == 0)
            failures += "a report that was not written ended as written\n";
        if (names_in(dir) != std::vector<std::string>{"filler"})
            failures += "the full disk holds more than its filler\n";
        fs::remove(dir / "filler");
        if (run(explain).status != 0 || read_text(dir / "out.txt").find("Plan:") == std::string::npos)
            failures += "no report once there was room\n";
        return failures;
    });
    if (outcome.starts_with(child_skipped))
        GTEST_SKIP() << outcome;
    EXPECT_EQ(outcome, "");
}

TEST_F(Tools, NotepadOpensTheFileInTheFirstEditorFound) {
    // a PATH that holds only the fake programs of each case and setsid
    const fs::path tools = work / "tools";
    fs::create_directory(tools);
    fs::create_symlink("/usr/bin/setsid", tools / "setsid");
    const std::string record = path("record.txt");
    const std::string recorder = "echo \"${0##*/} $*\" > '" + record + "'\n";
    struct Case {
        const char *environment;
        std::vector<const char *> programs;
        const char *opened; // empty: no editor
    } cases[] = {
        {"VISUAL='fake-visual --new'", {"fake-visual", "gedit"}, "fake-visual --new f.txt\n"},
        {"DISPLAY=:9", {"kate", "geany", "xdg-open"}, "kate f.txt\n"},
        {"DISPLAY=:9", {"xdg-open"}, "xdg-open f.txt\n"},
        {"WAYLAND_DISPLAY=w EDITOR=vi TERMINAL=myterm", {"myterm", "xterm"}, "myterm -e vi f.txt\n"},
        {"DISPLAY=:9 EDITOR=vi", {"xterm"}, "xterm -e vi f.txt\n"},
        {"EDITOR=vi", {"gedit", "xterm", "xdg-open"}, ""}, // no display: desktop programs cannot open
        {"", {}, ""},
    };
    for (const Case &k : cases) {
        for (const auto &e : fs::directory_iterator(tools))
            if (e.path().filename() != "setsid")
                fs::remove(e.path());
        for (const char *p : k.programs)
            write_script(tools / p, recorder);
        fs::remove(record);
        const Command c = run("env -u VISUAL -u EDITOR -u DISPLAY -u WAYLAND_DISPLAY -u TERMINAL PATH='" +
                              tools.string() + "' " + k.environment + " " + tool("notepad") + " f.txt 2>&1");
        if (*k.opened) {
            EXPECT_EQ(c.status, 0) << k.environment << c.output;
            ASSERT_TRUE(wait_for_file(record)) << k.environment;
            EXPECT_EQ(read_text(record), k.opened);
        } else {
            EXPECT_EQ(c.status, 1) << k.environment;
            EXPECT_NE(c.output.find("no text editor was found"), std::string::npos) << c.output;
        }
    }
}

TEST_F(Tools, ProgramAndZalWriteToOneDatabaseAtOnce) {
    Client db("SAMPLE");
    ASSERT_TRUE(db.run("CREATE TABLE BOTH (WHO VARCHAR(10) NOT NULL, N INTEGER NOT NULL)").ok());
    std::string script;
    for (int i = 0; i < 100; ++i)
        script += "INSERT INTO BOTH VALUES ('zal', " + std::to_string(i) + ");\n";
    write_text(work / "s.zal", script);
    Command zal;
    std::thread other([&] { zal = run("ZAL_DATABASE=SAMPLE " + tool("zal") + " -tf s.zal"); });
    int failed = 0;
    for (int i = 0; i < 100; ++i)
        failed += !db.run("INSERT INTO BOTH VALUES ('program', " + std::to_string(i) + ")").ok();
    other.join();
    EXPECT_EQ(failed, 0) << db.last.message;
    EXPECT_EQ(zal.status, 0) << zal.output;
    EXPECT_EQ(db.value("SELECT COUNT(*) FROM BOTH WHERE WHO = 'zal'"), "100");
    EXPECT_EQ(db.value("SELECT COUNT(*) FROM BOTH WHERE WHO = 'program'"), "100");
}
