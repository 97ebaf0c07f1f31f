// The instance: the manager's start, SAMPLE, and what connecting reports before and after.
#include "test_support.h"

#include <zalapp.h>

#include <gtest/gtest.h>

using namespace kestle_test;

TEST(Instance, ConnectBeforeStartReportsManagerNotStarted) {
    TempHome home(false);
    Client c;
    EXPECT_EQ(c.connect("SAMPLE"), SQL_ERROR);
    EXPECT_EQ(c.last.sqlcode, -1032);
    EXPECT_EQ(c.last.message.rfind("[ZAL][CLI Driver][ZAL] SQL1032N", 0), 0u) << c.last.message;
}

TEST(Instance, FirstStartCreatesSampleLaterStartsAreAlreadyActive) {
    TempHome home(false);
    zal_sqlca ca{};
    EXPECT_EQ(zalStartManager(nullptr, &ca), 0);
    EXPECT_EQ(ca.sqlcode, 0);
    EXPECT_EQ(zalStartManager(nullptr, &ca), ZAL_SQLCODE_ALREADY_ACTIVE);
    EXPECT_EQ(ca.sqlcode, ZAL_SQLCODE_ALREADY_ACTIVE);

    Client c("sample"); // names are case-insensitive
    ASSERT_EQ(c.last.rc, SQL_SUCCESS) << c.last.message;
    int rows = 0;
    for (const char *table : {"DEPARTMENT", "EMPLOYEE", "STAFF", "PROJECT", "SALES"}) {
        const int n = std::stoi(c.value(std::string("SELECT COUNT(*) FROM ") + table));
        EXPECT_GT(n, 10) << table;
        rows += n;
    }
    EXPECT_GE(rows, 200);
}

TEST(Instance, OtherDatabaseNamesAreNotFound) {
    TempHome home;
    for (const char *name : {"NOSUCHDB", "", "../SAMPLE", "SAMPLE.db", "a/b"}) {
        Client c;
        EXPECT_EQ(c.connect(name), SQL_ERROR) << name;
        EXPECT_EQ(c.last.sqlcode, -1013) << name << ": " << c.last.message;
    }
}

TEST(Instance, UnwritableHomeFailsToStartAndConnectStillReportsNotStarted) {
    TempHome home(false);
    // nobody, root included, creates directories under /proc
    setenv("ZAL_HOME", "/proc/kestle-no-such-home/zal", 1);
    zal_sqlca ca{};
    EXPECT_EQ(zalStartManager(nullptr, &ca), ZAL_SQLCODE_SYSTEM_ERROR);
    Client c;
    EXPECT_EQ(c.connect("SAMPLE"), SQL_ERROR);
    EXPECT_EQ(c.last.sqlcode, -1032);
}

TEST(Instance, HomeThatIsAFileFailsToStart) {
    TempHome home(false);
    const auto file = home / "not-a-directory";
    write_text(file, "x");
    setenv("ZAL_HOME", file.c_str(), 1);
    zal_sqlca ca{};
    EXPECT_EQ(zalStartManager(nullptr, &ca), ZAL_SQLCODE_SYSTEM_ERROR);
    EXPECT_EQ(ca.sqlcode, ZAL_SQLCODE_SYSTEM_ERROR);
    Client c;
    EXPECT_EQ(c.connect("SAMPLE"), SQL_ERROR);
}

TEST(Instance, FileThatIsNotADatabaseIsReportedAndLeftAlone) {
    TempHome home;
    const std::string garbage(8192, 'x');
    write_text(home / "BROKEN.db", garbage);
    Client c;
    EXPECT_EQ(c.connect("BROKEN"), SQL_ERROR);
    EXPECT_EQ(c.last.sqlcode, -1036) << c.last.message;
    EXPECT_EQ(read_text(home / "BROKEN.db"), garbage);
}
