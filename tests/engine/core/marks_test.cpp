#include "marks.h"

#include <test_support.h>

#include <gtest/gtest.h>

#include <filesystem>

using namespace kestle;

TEST(ExpandMarks, DisplayAndExecution) {
    struct Case {
        const char *s;
        const char *display, *flat;
    } cases[] = {
        {"~select 1~from t", "select 1\r\nfrom t", "select 1 from t"},
        {"~~x", "\r\nx", "x"},
        {"  a^b  ", "a\tb  ", "a b  "},
        {"^x", "\tx", "x"},
        {"", "", ""},
        {"~", "", ""},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(expand_marks(c.s, false), c.display) << c.s;
        EXPECT_EQ(expand_marks(c.s, true), c.flat) << c.s;
    }
}

TEST(FieldStrings, JoinAndSplit) {
    EXPECT_EQ(join_fields({1, 7}), "1^7^");
    EXPECT_EQ(join_fields({"  text  ", 2.5, -3L}), "text^2.5^-3^");
    EXPECT_EQ(join_fields({}), "");

    struct Case {
        const char *s;
        int a, b;
    } numbers[] = {
        {"1^7", 1, 0},  {"2^3x^", 2, 3}, {"1^7^", 1, 7}, {"", 0, 0},   {"x^ 4^", 0, 4},
        {"2.5^3.5^", 2, 4}, {"&H10^1 2^", 16, 12}, {"99999999999^5^", 0, 5},
    };
    for (const Case &c : numbers) {
        int a = -1, b = -1;
        split_fields(c.s, a, b);
        EXPECT_EQ(a, c.a) << c.s;
        EXPECT_EQ(b, c.b) << c.s;
    }

    std::string text = "unset";
    double d = -1;
    short n = -1;
    split_fields(" a b ^1.25^40000^", text, d, n);
    EXPECT_EQ(text, "a b");
    EXPECT_DOUBLE_EQ(d, 1.25);
    EXPECT_EQ(n, 0); // does not fit a short
    split_fields("only^", text, d);
    EXPECT_EQ(text, "only");
    EXPECT_EQ(d, 0);
}

TEST(Slots, FirstFreeSlotWithAnEmptyRing) {
    Slots slots;
    EXPECT_EQ(sql_slot_alloc(slots), 1);
    EXPECT_EQ(sql_slot_alloc(slots), 2);
    slots.sql_history[1][3] = "old statement";
    slots.sql_history_pos[1] = 3;
    EXPECT_EQ(sql_slot_free(slots, 1), 1);
    EXPECT_EQ(slots.sql_history[1][3], "old statement"); // kept until the slot is taken again
    EXPECT_EQ(sql_slot_alloc(slots), 1);
    EXPECT_EQ(slots.sql_history[1][3], "");
    EXPECT_EQ(slots.sql_history_pos[1], 1);
    for (int i = 3; i <= 30; ++i)
        ASSERT_EQ(sql_slot_alloc(slots), i);
    EXPECT_EQ(sql_slot_alloc(slots), -1);
    EXPECT_EQ(sql_slot_free(slots, 31), 31);
    EXPECT_EQ(sql_slot_free(slots, 0), 0);
    EXPECT_EQ(sql_slot_free(slots, -7), -7);
    EXPECT_EQ(sql_slot_alloc(slots), -1);
    sql_slot_free(slots, 30);
    EXPECT_EQ(sql_slot_alloc(slots), 30);
}

TEST(FindForm, NewestMatchingTag) {
    const std::vector<std::string> tags = {
        join_fields({1, 1}), join_fields({2, 1}), "", join_fields({1, 3}), join_fields({2, 3}), "viewer",
        join_fields({1, 2}),
    };
    EXPECT_EQ(find_form(tags, 2, 3), 4);
    EXPECT_EQ(find_form(tags, 1, -1), 6);
    EXPECT_EQ(find_form(tags, 1, 1), 0);
    EXPECT_EQ(find_form(tags, 2, 2), -1);
    EXPECT_EQ(find_form(tags, 0, -1), 5); // untagged windows read as kind 0
    EXPECT_EQ(find_form({}, 1, -1), -1);
}

TEST(ReadFile, OneLineWithABlankBeforeEachLine) {
    kestle_test::TempDir dir;
    struct Case {
        std::string content, expect;
    } cases[] = {
        {"a\nb", " a b"},       {"a\r\nb\r\n", " a b"}, {"a\rb\r", " a b"}, {"a\n\nb", " a  b"},
        {"", ""},               {"\n", " "},             {"x -- c\ny", " x -- c y"},
        {std::string("a\0b", 3), std::string(" a\0b", 4)},
    };
    for (const Case &c : cases) {
        kestle_test::write_text(dir / "f.sql", c.content);
        EXPECT_EQ(read_file((dir / "f.sql").string()), c.expect) << c.content;
    }
    EXPECT_EQ(read_file((dir / "missing.sql").string()), "");
    EXPECT_EQ(read_file(dir.path().string()), "");
    EXPECT_EQ(read_file("/dev/zero"), ""); // not a regular file: no endless read
}
