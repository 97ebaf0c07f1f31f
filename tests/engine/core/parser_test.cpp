#include "parser.h"
#include "recording_reporter.h"

#include <gtest/gtest.h>

using namespace kestle;

namespace {

using Options = std::vector<std::pair<std::string, std::string>>;

Options options(const ParsedCommand &p) {
    Options o;
    for (int i = 1; i <= p.opt_count; ++i)
        o.emplace_back(p.opt_key[i], p.opt_value[i]);
    return o;
}

} // namespace

TEST(ParseCmd, Commands) {
    struct Case {
        std::string s, keyword, args;
        Options opts;
    } cases[] = {
        {"%VAR A=1", "VAR", "A=1", {{"A", "1"}}},
        {"%exit", "EXIT", "", {}},
        {"%EXIT   ", "EXIT", "", {}},
        {"%view select * from t", "VIEW", "select * from t",
         {{"select", ""}, {"*", ""}, {"from", ""}, {"t", ""}}},
        {"%var t='a b = c' u=\"it's\"", "VAR", "t='a b = c' u=\"it's\"", {{"t", "a b = c"}, {"u", "it's"}}},
        {"%var a= b", "VAR", "a= b", {{"a", ""}, {"b", ""}}},
        {"%var a =1", "VAR", "a =1", {{"a", ""}, {"", "1"}}},
        {"%var a=1    b=2", "VAR", "a=1    b=2", {{"a", "1"}, {"b", "2"}}},
        {"%var a=", "VAR", "a=", {{"a", ""}}},
        {"%var k=v=w", "VAR", "k=v=w", {{"k", "v=w"}}},
        {"%var a='x'b=2", "VAR", "a='x'b=2", {{"a", "x"}, {"b", "2"}}},
        {"%var a=''", "VAR", "a=''", {{"a", ""}}},
        {"%Plot Title=Mixed", "PLOT", "Title=Mixed", {{"Title", "Mixed"}}},
        {"#cmd x", "CMD", "x", {{"x", ""}}}, // the first character is never examined
        {"%", "*", "<kept>", {}},
        {"% VAR A=1", "*", "<kept>", {}},
        {"", "*", "<kept>", {}},
    };
    for (const Case &c : cases) {
        ParsedCommand p;
        RecordingReporter r;
        p.cmd_args = "<kept>";
        parsecmd(p, r, true, c.s);
        SCOPED_TRACE(c.s);
        EXPECT_EQ(p.cmd_keyword, c.keyword);
        EXPECT_EQ(p.cmd_args, c.args);
        EXPECT_EQ(options(p), c.opts);
        EXPECT_TRUE(r.shown.empty());
    }
}

TEST(ParseCmd, CommandLineMode) {
    struct Case {
        std::string s;
        Options opts;
    } cases[] = {
        {" database=X", {{"", ""}, {"database", "X"}}}, // a leading blank gives an empty option
        {"file=\"a b.sql\" demo", {{"file", "a b.sql"}, {"demo", ""}}},
        {"Key=Value", {{"Key", "Value"}}},
    };
    for (const Case &c : cases) {
        ParsedCommand p;
        RecordingReporter r;
        p.cmd_args = "<kept>";
        parsecmd(p, r, false, c.s);
        EXPECT_EQ(p.cmd_keyword, "*") << c.s;
        EXPECT_EQ(p.cmd_args, "<kept>") << c.s;
        EXPECT_EQ(options(p), c.opts) << c.s;
    }
}

TEST(ParseCmd, UnterminatedQuoteReportsAndStops) {
    ParsedCommand p;
    RecordingReporter r;
    parsecmd(p, r, true, "%var a=1 b=stale");
    parsecmd(p, r, true, "%var q=1 p=\"never closed' z=3");
    EXPECT_EQ(p.cmd_keyword, "VAR");
    // The open option is counted with an empty value, not the one the earlier parse left.
    EXPECT_EQ(options(p), (Options{{"q", "1"}, {"p", ""}}));
    EXPECT_EQ(r.shown, (std::vector<ShownMsg>{{0, -1, 41, "", "parsecmd"}}));
}

TEST(ParseCmd, FiftyOptionsAtMost) {
    std::string s = "%var";
    for (int i = 1; i <= 60; ++i)
        s += " k" + std::to_string(i) + "=" + std::to_string(i);
    s += " late='unterminated";
    ParsedCommand p;
    RecordingReporter r;
    parsecmd(p, r, true, s);
    EXPECT_EQ(p.opt_count, 50);
    EXPECT_EQ(p.opt_key[50], "k50");
    EXPECT_EQ(p.opt_value[50], "50");
    EXPECT_TRUE(r.shown.empty()); // the ignored options are not parsed at all
}

TEST(ParseString, QuotedStrings) {
    struct Case {
        std::string s;
        std::vector<std::string> quoted;
    } cases[] = {
        {"dir /w", {"dir /w"}},
        {"\"first\" between 'second'", {"first", "second"}},
        {"'it\"s' \"\"", {"it\"s", ""}},
        {"'open to the end", {"open to the end"}},
        {"x ''", {""}},
        {"", {""}},
    };
    for (const Case &c : cases) {
        ParsedCommand p;
        parsestring(p, c.s);
        std::vector<std::string> got(p.quoted.begin() + 1, p.quoted.begin() + 1 + p.quoted_count);
        EXPECT_EQ(got, c.quoted) << c.s;
    }
    ParsedCommand p;
    std::string many;
    for (int i = 0; i < 12; ++i)
        many += "'q" + std::to_string(i) + "' ";
    parsestring(p, many);
    EXPECT_EQ(p.quoted_count, 10);
    EXPECT_EQ(p.quoted[10], "q9");
}
