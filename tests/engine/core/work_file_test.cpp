#include "work_file.h"

#include <test_support.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

using namespace kestle;
using namespace kestle_test;
namespace fs = std::filesystem;

namespace {

TEST(WorkFile, ReplacesTheFileWhole) {
    TempDir dir;
    const std::string name = (dir / "ZALCMDS.BAT").string();
    ASSERT_TRUE(write_work_file(name, "a much longer earlier content\n"));
    ASSERT_TRUE(write_work_file(name, std::string("new\0text\n", 9)));
    EXPECT_EQ(read_text(dir / "ZALCMDS.BAT"), std::string("new\0text\n", 9));
    EXPECT_EQ(names_in(dir.path()), std::vector<std::string>{"ZALCMDS.BAT"});
    // A name without a directory is one in the current directory.
    const fs::path saved = fs::current_path();
    fs::current_path(dir.path());
    const bool written = write_work_file("ZALSQL.SQL", "VALUES 1\n");
    fs::current_path(saved);
    ASSERT_TRUE(written);
    EXPECT_EQ(read_text(dir / "ZALSQL.SQL"), "VALUES 1\n");
    EXPECT_EQ(names_in(dir.path()), (std::vector<std::string>{"ZALCMDS.BAT", "ZALSQL.SQL"}));
}

TEST(WorkFile, WhatCannotBeWrittenLeavesNothingBehind) {
    TempDir dir;
    fs::create_directories(dir / "in the way" / "full");
    for (const std::string &name : {(dir / "missing" / "f").string(), (dir / "in the way").string(), std::string()})
        EXPECT_FALSE(write_work_file(name, "text")) << name;
    EXPECT_EQ(names_in(dir.path()), std::vector<std::string>{"in the way"});
    EXPECT_EQ(names_in(dir / "in the way"), std::vector<std::string>{"full"});
}

// On a full disk the write fails: the earlier file stays as it was, and no part of the new one
// is left anywhere; once there is room again, the file is written whole.
TEST(WorkFile, FullDiskKeepsTheEarlierFile) {
    TempDir mount_point;
    const std::string outcome = in_child([&]() -> std::string {
        if (!mount_small_file_system(mount_point.path(), 1u << 20))
            return std::string(child_skipped) + "no small file system can be mounted here";
        const fs::path dir = mount_point.path();
        const std::string name = (dir / "zalhelp.htm").string();
        const std::string earlier = "the earlier page\n", page(64 * 1024, 'p');
        if (!write_work_file(name, earlier))
            return "the earlier page was not written";
        fill_file_system(dir);
        std::string failures;
        if (write_work_file(name, page))
            failures += "a write on the full disk was reported as done\n";
        if (read_text(name) != earlier)
            failures += "the earlier page is now " + std::to_string(read_text(name).size()) + " bytes\n";
        if (names_in(dir) != std::vector<std::string>{"filler", "zalhelp.htm"})
            failures += "something was left behind\n";
        fs::remove(dir / "filler");
        if (!write_work_file(name, page) || read_text(name) != page)
            failures += "the page was not written once there was room\n";
        return failures;
    });
    if (outcome.starts_with(child_skipped))
        GTEST_SKIP() << outcome;
    EXPECT_EQ(outcome, "");
}

} // namespace
