#include "messages.h"

#include <gtest/gtest.h>

using namespace kestle;

TEST(Messages, TableHoldsTheListedEntriesOnly) {
    Messages m;
    set_messages(m);
    EXPECT_EQ(m.msg_text[22], "File not found: ");
    EXPECT_EQ(m.msg_text[6], "Cannot connect to ZAL.  Is userid/password correct?");
    EXPECT_EQ(m.msg_text[41], "No ending quote found in command string");
    EXPECT_EQ(m.msg_text[195], "Cancel");
    int filled = 0;
    for (const std::string &t : m.msg_text)
        filled += !t.empty();
    EXPECT_EQ(filled, 83);
    EXPECT_EQ(m.msg_text[1], "");
    EXPECT_EQ(m.msg_text[200], "");
}

TEST(Messages, ComposeByKind) {
    Messages m;
    set_messages(m);
    struct Case {
        int kind, msgno;
        std::string text, expect;
    } cases[] = {
        {0, 22, "kestle.sql", "File not found: kestle.sql"},
        {0, 20, "", "No arguments supplied"},
        {1, 22, "Execution time=0.5", "Execution time=0.5"}, // msgno unused
        {1, 0, "", ""},
        {0, 1, "only the text", "only the text"},             // an entry left empty
        {0, 0, "x", "x"},
        {0, 201, "x", "x"},
        {0, -5, "x", "x"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(compose_msg(m, c.kind, c.msgno, c.text), c.expect) << c.kind << "/" << c.msgno;
}
