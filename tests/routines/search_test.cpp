// search: the pattern language, the no-backtracking scan and the limits of its tables.
#include "kestle_routines.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct Outcome {
    int32_t result;
    zal_null_indicator indicator;
};

Outcome call(const char *pattern, const char *text, const zal_null_indicator *pattern_ind = nullptr) {
    Outcome o{-7, -7};
    char sqlstate[ZAL_SQLSTATE_LEN + 1] = "xxxxx";
    char message[ZAL_MESSAGE_LEN + 1] = "";
    search(pattern, text, &o.result, pattern_ind, nullptr, &o.indicator, sqlstate, "SEARCH", "SEARCH", message);
    EXPECT_STREQ(sqlstate, "xxxxx") << "a scalar routine leaves the SQLSTATE alone";
    return o;
}

int32_t find(const std::string &pattern, const std::string &text) {
    Outcome o = call(pattern.c_str(), text.c_str());
    EXPECT_EQ(o.indicator, 0);
    return o.result;
}

struct Case {
    const char *why;
    std::string pattern;
    std::string text;
    int32_t expected;
};

template <size_t N> void check(const Case (&cases)[N]) {
    for (const Case &c : cases)
        EXPECT_EQ(find(c.pattern, c.text), c.expected)
            << c.why << ": pattern \"" << c.pattern << "\" in \"" << c.text << "\"";
}

TEST(Search, LiteralsAndTheScanThatNeverBacktracks) {
    const Case cases[] = {
        {"inside", "abc", "xxabcxx", 3},
        {"at the end", "b", "ab", 2},
        {"whole text", "a", "a", 1},
        {"the failed attempt is not resumed at its second byte", "ab", "aab", 0},
        {"a fresh attempt after a failing byte", "ab", "xab", 2},
        {"empty text", "a", "", 0},
        {"case differs", "A", "a", 0},
        {"digit 0 is a literal", "0", "x0", 2},
        {"high bytes as literals", "\xe9t\xe9", "caf\xe9t\xe9", 4},
    };
    check(cases);
}

TEST(Search, CountsAndModifiers) {
    const Case cases[] = {
        {"count 3", "3x", "axxxb", 2},
        {"count 3 with only two", "3x", "axxb", 0},
        {"the last count given counts", "32x", "axxb", 2},
        {"the last count given counts", "23x", "axxb", 0},
        {"negate and count in either order", "~3x", "xabcx", 2},
        {"negate and count in either order", "3~x", "xabcx", 2},
        {"a lone ] resets the modifiers", "3]x", "ax", 2},
        {"a lone ] resets negate", "~]x", "ax", 2},
        {"modifiers reset after each element", "~xy", "xaz", 0},
        {"zero or more closes at the end", "a*b", "a", 1},
        {"zero or more takes its run", "a*bc", "abbbc", 1},
        {"? takes the end of the text", "a?", "a", 1},
        {"? in an empty text", "?", "", 1},
        {"a repeating ? gives nothing back", "a*?b", "axb", 0},
        {"a blank takes zero blanks", " ", "abc", 1},
        {"a blank in an empty text", " ", "", 1},
        {"following blanks fold into one element", "a   b", "a b", 1},
        {"a blank repeats whatever the count", "a3 b", "ab", 1},
        {"negated byte", "~x", "xxa", 3},
        {"negated byte takes the end of the text", "~x", "xx", 3},
    };
    check(cases);
}

TEST(Search, Classes) {
    const Case cases[] = {
        {"ranges with a count", "[a-c]2[0-9]", "zzb12", 3},
        {"a range written downwards", "[9-0]", "ab5", 3},
        {"a range written downwards", "[c-a]", "xb", 2},
        {"separators are no members", "[a,b c]", ", b", 3},
        {"a leading - is a member", "[-a]", "x-", 2},
        {"a trailing - reaches up to ]", "[a-]", "b^", 2},
        {"a separator as the far end of a range", "[a- ]", "x!", 2},
        {"high bytes in a class", "[\xe0-\xef]", "x\xe9", 2},
        {"negated class", "~[0-9]", "12a", 3},
        {"a class is one element", "[ab]c", "xbc", 2},
    };
    check(cases);
}

TEST(Search, ALastRepeatingElementThatTakesByteZeroClosesAtTheEnd) {
    const Case cases[] = {
        {"* and ?", "a*?", "a", 1},
        {"* and ? over bytes", "a*?", "xabc", 2},
        {"negated blank", "a~ ", "abc", 1},
        {"* and a negated letter", "a*~x", "ab", 1},
        {"not the last element: still no match", "*?b", "ab", 0},
    };
    check(cases);
}

TEST(Search, PatternsPastTheTablesMatchNothing) {
    const std::string a31(31, 'a');
    const std::string class37 = "[" + std::string(37, 'a') + "]";
    const std::string class38 = "[" + std::string(38, 'a') + "]";
    const Case cases[] = {
        {"31 elements fit", a31, "x" + a31, 2},
        {"32 elements do not", a31 + "a", a31 + "aa", 0},
        {"31 classes of 37 characters fit", [&] {
             std::string p;
             for (int i = 0; i < 31; ++i)
                 p += class37;
             return p;
         }(), a31, 1},
        {"a class of 38 characters does not", class38, "a", 0},
        {"a [ without ]", "a[bc", "a[bc", 0},
        {"a [ without ] after a good class", "[a]b[", "ab[", 0},
    };
    check(cases);
}

// No elements asks for nothing, and nothing is found at the start of any text.
TEST(Search, APatternWithoutElementsMatchesAtTheStart) {
    const Case cases[] = {
        {"empty pattern", "", "abc", 1},
        {"empty pattern, empty text", "", "", 1},
        {"modifiers only", "*~3", "abc", 1},
        {"a lone ]", "]", "", 1},
    };
    check(cases);
}

TEST(Search, NullArgumentsGiveANullResult) {
    Outcome o = call(nullptr, "abc");
    EXPECT_EQ(o.result, 0);
    EXPECT_EQ(o.indicator, -1);
    o = call("a", nullptr);
    EXPECT_EQ(o.indicator, -1);
    const zal_null_indicator null_pattern = -1;
    o = call("a", "a", &null_pattern);
    EXPECT_EQ(o.result, 0);
    EXPECT_EQ(o.indicator, -1);
    // No result buffers at all: nothing to write, and no crash.
    search("a", "a", nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
}

} // namespace
