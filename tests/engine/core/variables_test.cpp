#include "parser.h"
#include "recording_reporter.h"
#include "variables.h"

#include <gtest/gtest.h>

using namespace kestle;

TEST(VarSub, OnePassOverBracketedNames) {
    Variables v;
    var_add(v, "font", "Arial");
    var_add(v, "A", "1");
    var_add(v, "B", "[A]");
    var_add(v, "X", "");
    var_add(v, "", "empty name");
    struct Case {
        const char *s, *expect;
    } cases[] = {
        {"[font] and [FONT]", "Arial and Arial"},
        {"[ FONT ]", "[ FONT ]"},
        {"[nothere] stays", "[nothere] stays"},
        {"open [A and more", "open [A and more"},
        {"x]y[A]", "x]y1"},
        {"[[A]]", "[[A]]"},
        {"[B]", "[A]"}, // a value is never scanned again
        {"a[X]b", "ab"},
        {"[]", "empty name"},
        {"[A][A]", "11"},
        {"", ""},
        {"no brackets", "no brackets"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(var_sub(v, c.s), c.expect) << c.s;
    EXPECT_EQ(var_sub(v, std::string("[A]\0[A]", 7)), std::string("1\0" "1", 3));
}

TEST(VarAdd, UpperCaseNamesAndAFullTable) {
    Variables v;
    EXPECT_EQ(var_add(v, "abc", "1"), 1);
    EXPECT_EQ(var_add(v, "ABC", "2"), 1);
    EXPECT_EQ(v.vars[1].name, "ABC");
    EXPECT_EQ(v.vars[1].value, "2");
    EXPECT_EQ(var_find(v, "aBc"), 1);
    EXPECT_EQ(var_find(v, "abc "), 0); // blanks are part of the name
    for (int i = 2; i <= 255; ++i)
        ASSERT_EQ(var_add(v, "v" + std::to_string(i), "x"), i);
    EXPECT_EQ(var_add(v, "one too many", "x"), 0);
    EXPECT_EQ(v.var_count, 255);
    EXPECT_EQ(var_find(v, "one too many"), 0);
    EXPECT_EQ(var_add(v, "v200", "updated"), 200);
    EXPECT_EQ(v.vars[200].value, "updated");
}

TEST(CmdVar, SetsEachOptionAndReports) {
    Variables v;
    ParsedCommand p;
    RecordingReporter r;
    parsecmd(p, r, true, "%var A=1 a=2 x name='two words'");
    cmd_var(v, p, r);
    EXPECT_EQ(v.var_count, 3);
    EXPECT_EQ(v.vars[var_find(v, "A")].value, "2");
    EXPECT_EQ(var_sub(v, "<[x]>"), "<>");
    EXPECT_EQ(var_sub(v, "[NAME]"), "two words");
    EXPECT_EQ(r.shown, (std::vector<ShownMsg>{{0, 0, 26, "", "cmd_var"}}));

    r.shown.clear();
    parsecmd(p, r, true, "%var");
    cmd_var(v, p, r);
    EXPECT_EQ(r.shown, (std::vector<ShownMsg>{{0, -1, 20, "", "cmd_var"}}));
}
