#include "notes_page.h"
#include "parser.h"
#include "recording_reporter.h"
#include "run_text.h"
#include "settings.h"
#include "variables.h"

#include <test_support.h>

#include <gtest/gtest.h>

using namespace kestle;

namespace {

struct Fresh {
    Settings s;
    Variables v;
    RunState run;
    NotesPage page;
    ParsedCommand p;
    RecordingReporter r;
    bool extras = false;
    explicit Fresh(const std::string &dir = "/start dir") { extras = set_defaults(s, v, run, page, dir); }
    std::string var(const char *name) const {
        int k = var_find(v, name);
        return k ? v.vars[k].value : "<undefined>";
    }
};

} // namespace

TEST(SetDefaults, BuiltInValues) {
    Fresh f;
    f.v.var_count = 3; // set_defaults starts the table afresh
    f.s.db_name = "OTHER";
    f.run.run_at = true;
    f.extras = set_defaults(f.s, f.v, f.run, f.page, "/start dir");

    EXPECT_EQ(f.s.db_name, "SAMPLE");
    EXPECT_EQ(f.s.db_user, "");
    EXPECT_EQ(f.s.db_password, "");
    EXPECT_EQ(f.s.ctl_file, "kestle.sql");
    EXPECT_EQ(f.s.prog_dir, "/start dir");
    EXPECT_EQ(f.s.crlf, "\r\n");
    EXPECT_TRUE(f.run.run_on);
    EXPECT_FALSE(f.run.run_at);
    EXPECT_FALSE(f.run.cmd_error);

    const std::pair<const char *, const char *> builtins[] = {
        {"VERSION", "8.2"},   {"DATE", "2004-06-15"}, {"FONT", "Microsoft Sans Serif"},
        {"FONTSIZE", "10"},   {"DATABASE", "SAMPLE"}, {"USERID", ""},
        {"PASSWORD", ""},     {"CURDIR", "/start dir"},
    };
    ASSERT_EQ(f.v.var_count, 8);
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(f.v.vars[i + 1].name, builtins[i].first);
        EXPECT_EQ(f.v.vars[i + 1].value, builtins[i].second);
    }
    EXPECT_EQ(f.page.html_head_count, 3);
    EXPECT_EQ(f.page.html_head[1], "<HTML>");
    EXPECT_FALSE(f.extras);
}

TEST(SetDefaults, ExtrasIniInTheStartUpDirectoryOnly) {
    kestle_test::TempDir dir;
    EXPECT_FALSE(Fresh(dir.path().string()).extras);
    kestle_test::write_text(dir / "extras.ini", "");
    EXPECT_TRUE(Fresh(dir.path().string()).extras);
    EXPECT_FALSE(Fresh((dir / "elsewhere").string()).extras);
}

TEST(ReadArgs, CommandLineCases) {
    struct Case {
        const char *line;
        const char *db_name, *db_user, *db_password, *ctl_file, *font, *fontsize, *file_var;
    } cases[] = {
        {"", "SAMPLE", "", "", "kestle.sql", "Microsoft Sans Serif", "10", "<undefined>"},
        {"   ", "SAMPLE", "", "", "kestle.sql", "Microsoft Sans Serif", "10", "<undefined>"},
        {"database=TOYS userid=ann password=pw", "TOYS", "ann", "pw", "kestle.sql",
         "Microsoft Sans Serif", "10", "<undefined>"},
        {"font=Arial fontsize=12", "SAMPLE", "", "", "kestle.sql", "Arial", "12", "<undefined>"},
        {"file=demo.sql", "SAMPLE", "", "", "demo.sql", "Microsoft Sans Serif", "10", "demo.sql"},
        {"file", "SAMPLE", "", "", "", "Microsoft Sans Serif", "10", ""},
        {"database", "", "", "", "kestle.sql", "Microsoft Sans Serif", "10", "<undefined>"},
        {"other=", "SAMPLE", "", "", "other", "Microsoft Sans Serif", "10", "other"},
        {"other=x", "SAMPLE", "", "", "kestle.sql", "Microsoft Sans Serif", "10", "<undefined>"},
        {"Database=TOYS FILE=x.sql", "SAMPLE", "", "", "kestle.sql", "Microsoft Sans Serif", "10",
         "<undefined>"},
        {"one.sql two.sql", "SAMPLE", "", "", "two.sql", "Microsoft Sans Serif", "10", "two.sql"},
        {"file='my demo.sql' userid=\"a b\"", "SAMPLE", "a b", "", "my demo.sql",
         "Microsoft Sans Serif", "10", "my demo.sql"},
        {"  database=TOYS  ", "TOYS", "", "", "kestle.sql", "Microsoft Sans Serif", "10", "<undefined>"},
    };
    for (const Case &c : cases) {
        Fresh f;
        readargs(f.s, f.v, f.p, f.r, c.line);
        SCOPED_TRACE(c.line);
        EXPECT_EQ(f.s.db_name, c.db_name);
        EXPECT_EQ(f.var("DATABASE"), c.db_name);
        EXPECT_EQ(f.s.db_user, c.db_user);
        EXPECT_EQ(f.var("USERID"), c.db_user);
        EXPECT_EQ(f.s.db_password, c.db_password);
        EXPECT_EQ(f.s.ctl_file, c.ctl_file);
        EXPECT_EQ(f.var("FONT"), c.font);
        EXPECT_EQ(f.var("FONTSIZE"), c.fontsize);
        EXPECT_EQ(f.var("FILE"), c.file_var);
        EXPECT_TRUE(f.r.shown.empty());
    }
}

TEST(ReadArgs, UnterminatedQuoteAppliesWhatWasParsedAndEmptiesTheOpenOption) {
    Fresh f;
    f.p.opt_value[2] = "stale value of an earlier parse";
    readargs(f.s, f.v, f.p, f.r, "userid=ann database='TOYS fontsize=12");
    EXPECT_EQ(f.s.db_user, "ann");
    EXPECT_EQ(f.s.db_name, "");
    EXPECT_EQ(f.var("DATABASE"), "");
    EXPECT_EQ(f.var("FONTSIZE"), "10");
    ASSERT_EQ(f.r.shown.size(), 1u);
    EXPECT_EQ(f.r.shown[0], (ShownMsg{0, -1, 41, "", "parsecmd"}));
}
