#include "run_text.h"

#include <gtest/gtest.h>

using namespace kestle;

using List = std::vector<std::string>;

TEST(SplitRunText, Cases) {
    struct Case {
        std::string text;
        bool run_at;
        List expect;
    } cases[] = {
        {"select 1; select 2;", false, {"select 1", " select 2"}},
        {"a;;b", false, {"a", "", "b"}},
        {"  a  ", false, {"a"}},
        {"$a;b$c", false, {"a;b", "c"}},
        {"@a;b@c", false, {"a;b", "c"}},
        {"a;b@c", true, {"a;b", "c"}},
        {"$a@b$c", true, {"a@b", "c"}},
        {"a@b;c", false, {"a@b", "c"}},
        {"$", false, {}},
        {";", false, {""}},
        {"a\tb", false, {"a^b"}},
        {"a\r\nb", false, {"a~b"}},
        {"a\nb\rc", false, {"a\nb\rc"}}, // only CR LF pairs are line ends
        {"a\r\r\nb", false, {"a\r~b"}},
        {"select 1 -- note; x", false, {"select 1 " + std::string(10, ' ')}},
        {"x -- c1\r\ny -- c2\r\nz", false, {"x      ~y      ~z"}},
        {"v = '--' ; w", false, {"v = '" + std::string(7, ' ')}}, // quote and delimiter blanked
        {"--\r\n--", false, {"  ~  "}},
        {"a---b\r\nc", false, {"a    ~c"}},
        {"\t-- only a comment", false, {"^" + std::string(17, ' ')}},
    };
    for (const Case &c : cases)
        EXPECT_EQ(split_run_text(c.text, c.run_at), c.expect) << c.text;
}

TEST(SplitRunText, KeepsAThousandStatements) {
    std::string text;
    for (int i = 1; i <= 1500; ++i)
        text += "s" + std::to_string(i) + ";";
    List got = split_run_text(text, false);
    ASSERT_EQ(got.size(), 1000u);
    EXPECT_EQ(got.front(), "s1");
    EXPECT_EQ(got.back(), "s1000");
    // Empty statements count towards the limit.
    EXPECT_EQ(split_run_text(std::string(2000, ';'), false).size(), 1000u);
}

TEST(SplitRunText, NulBytesPassThrough) {
    std::string text("a\0b;c", 5);
    EXPECT_EQ(split_run_text(text, false), (List{std::string("a\0b", 3), "c"}));
}

TEST(IsEndif, HeadOfTheStatement) {
    struct Case {
        const char *s;
        bool expect;
    } cases[] = {
        {"%ENDIF", true},     {"%endif", true},     {"  %EndIf", true},  {"~~ ^%ENDIF", true},
        {"%ENDIFX more", true}, {"% ENDIF", false},  {"%ENDI", false},    {"x %ENDIF", false},
        {"", false},
    };
    for (const Case &c : cases)
        EXPECT_EQ(is_endif(c.s), c.expect) << c.s;
}

TEST(IsComment, FirstTwoCharactersAsTheyStand) {
    struct Case {
        const char *s;
        bool expect;
    } cases[] = {
        {"-- x", true}, {"% x", true}, {"%x", false}, {" -- x", false}, {"~-- x", false},
        {"-", false},   {"%", false},  {"", false},
    };
    for (const Case &c : cases)
        EXPECT_EQ(is_comment(c.s), c.expect) << c.s;
}
