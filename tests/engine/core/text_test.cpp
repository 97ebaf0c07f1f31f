#include "text.h"

#include <gtest/gtest.h>

#include <array>
#include <climits>

using namespace kestle;

TEST(StrToByte, StoresTextAndTerminatorButNeverTheLastElement) {
    struct Case {
        std::string s;
        std::size_t size;
        std::string expect; // the buffer afterwards, 'x' marks an untouched element
    } cases[] = {
        {"ZALBLOB.BMP", 60, std::string("ZALBLOB.BMP") + '\0' + std::string(48, 'x')},
        {"ABCDE", 4, std::string("AB") + '\0' + 'x'},
        {"", 3, std::string(1, '\0') + "xx"},
        {"AB", 2, std::string(1, '\0') + "x"},
        {"AB", 1, "x"},
        {"AB", 0, ""},
    };
    for (const Case &c : cases) {
        std::vector<unsigned char> b(c.size, 'x');
        StrToByte(c.s, b);
        EXPECT_EQ(std::string(b.begin(), b.end()), c.expect) << c.s << " into " << c.size;
    }
}

TEST(ByteToStr, StopsAtNulAndAtTheBuffer) {
    const std::array<unsigned char, 5> b{'A', 'B', 0, 'C', 'D'};
    EXPECT_EQ(ByteToStr(b, 0, 5), "AB");
    EXPECT_EQ(ByteToStr(b, 3, 2), "CD");
    EXPECT_EQ(ByteToStr(b, 3, 100), "CD"); // cut at the end of the buffer
    EXPECT_EQ(ByteToStr(b, 5, 1), "");
    EXPECT_EQ(ByteToStr(b, -1, 3), "");
    EXPECT_EQ(ByteToStr(b, 0, 0), "");
    const std::array<unsigned char, 3> utf8{0xC3, 0xA9, 0xFF};
    EXPECT_EQ(ByteToStr(utf8, 0, 3), "\xC3\xA9\xFF");
}

TEST(Strip, TextBeforeNulTrimmed) {
    EXPECT_EQ(strip(std::string("abc \0zzzz", 9)), "abc");
    EXPECT_EQ(strip(std::string("\0abc", 4)), "");
    EXPECT_EQ(strip("  abc  "), "abc");
    EXPECT_EQ(strip("\tabc"), "\tabc"); // blanks only
}

TEST(Trim, BlanksOnly) {
    EXPECT_EQ(trim("  a b  "), "a b");
    EXPECT_EQ(trim("\t a \r\n"), "\t a \r\n");
    EXPECT_EQ(trim("   "), "");
    EXPECT_EQ(upper("select \xC3\xA9t\xC3\xA9"), "SELECT \xC3\xA9T\xC3\xA9");
}

TEST(Utf8Prefix, CutsBeforeACharacterThatDoesNotFit) {
    const std::string a38(38, 'a');
    struct Case {
        std::string s;
        std::size_t kept;
    } cases[] = {
        {std::string(45, 'a'), 40},
        {a38 + "\xC3\xA9", 40},                // fits whole
        {a38 + "a\xC3\xA9", 39},               // two bytes across the limit
        {a38 + "\xE2\x82\xAC", 38},           // three bytes
        {std::string(37, 'a') + "\xF0\x9F\x98\x80x", 37}, // four bytes
        {a38 + std::string(6, '\x80'), 40},     // no lead byte: not UTF-8
        {"short \xC3\xA9", 8},
    };
    for (const Case &c : cases)
        EXPECT_EQ(utf8_prefix(c.s, 40), c.s.substr(0, c.kept)) << c.kept;
}

TEST(LenientNumber, ReadsTheNumberAtTheHead) {
    struct Case {
        const char *s;
        double expect;
    } cases[] = {
        {"12", 12},        {"  12", 12},       {"3x", 3},          {"x3", 0},
        {"", 0},           {"-", 0},           {".", 0},           {"-4.5", -4.5},
        {".25", 0.25},     {"1 2 3", 123},     {"1\t2\n3", 123},   {"1\r2", 1},
        {"- 7", -7},       {"1e3", 1000},      {"1E+2x", 100},     {"2.5e-1", 0.25},
        {"1d2", 100},      {"1e", 1},          {"1e+", 1},         {"&HFF", 255},
        {"&hff", 255},     {"&O17", 15},       {"&o8", 0},         {"&H", 0},
        {"&X1", 0},        {"+5", 5},          {"1e999", 0},       {"1.5.5", 1.5},
        {"007", 7},        {"nan", 0},         {"inf", 0},
    };
    for (const Case &c : cases)
        EXPECT_DOUBLE_EQ(lenient_number(c.s), c.expect) << '"' << c.s << '"';
    EXPECT_DOUBLE_EQ(lenient_number(std::string(1000000, '9') + "x"), 0); // too big for a double
}

TEST(LenientInteger, RoundsHalfToEvenAndRejectsOverflow) {
    struct Case {
        const char *s;
        std::int64_t expect;
    } cases[] = {
        {"2.5", 2}, {"3.5", 4}, {"-2.5", -2}, {"2.4999", 2}, {"2.51", 3}, {" 12", 12},
        {"32767", 32767}, {"32768", 0}, {"-32768", -32768}, {"-32769", 0},
    };
    for (const Case &c : cases)
        EXPECT_EQ(lenient_integer(c.s, SHRT_MIN, SHRT_MAX), c.expect) << c.s;
    EXPECT_EQ(lenient_integer("9223372036854775808", INT64_MIN, INT64_MAX), 0);
}

TEST(StrictNumber, WholeTextMustBeADecimalNumber) {
    struct Case {
        const char *s;
        std::optional<double> expect;
    } cases[] = {
        {"12", 12},         {" 12 ", 12},         {"-3.5", -3.5},  {"+2", 2},
        {"1.", 1},          {".5", 0.5},          {"1e2", 100},    {"1E-1", 0.1},
        {"", std::nullopt}, {"  ", std::nullopt}, {"12x", std::nullopt},
        {"x", std::nullopt}, {"1 2", std::nullopt}, {"-", std::nullopt}, {".", std::nullopt},
        {"1e", std::nullopt}, {"1e+", std::nullopt}, {"&H10", std::nullopt}, {"1d2", std::nullopt},
        {"1e999", std::nullopt}, {"\t1", std::nullopt},
    };
    for (const Case &c : cases)
        EXPECT_EQ(strict_number(c.s), c.expect) << '"' << c.s << '"';
}
