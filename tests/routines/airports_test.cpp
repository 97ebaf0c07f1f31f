// airports: the data file's rows, its creation with the default rows, and scans that fail.
#include "default_airports.h"
#include "kestle_routines.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace fs = std::filesystem;
using kestle_test::EnvVar;
using kestle_test::read_text;
using kestle_test::TempDir;
using kestle_test::TempHome;
using kestle_test::write_text;

namespace {

using Rows = kestle_test::AirportRows;
const Rows &default_rows = kestle_test::default_airports;

struct Scan {
    std::string open_state; // the SQLSTATE after the open
    Rows rows;
};

// One scan as the database runs it: open, fetch until "02000", close.
Scan scan() {
    zal_scratchpad pad{};
    pad.length = ZAL_SCRATCHPAD_LEN;
    Scan s;
    auto call = [&](int32_t type, char *city, char *code) {
        char sqlstate[ZAL_SQLSTATE_LEN + 1] = "00000";
        zal_null_indicator city_ind = -7, code_ind = -7;
        airports(city, code, &city_ind, &code_ind, sqlstate, "AIRPORTS", "AIRPORTS", nullptr, &pad, &type);
        if (type != ZAL_CALL_OPEN && type != ZAL_CALL_CLOSE && std::strcmp(sqlstate, "02000") != 0) {
            EXPECT_EQ(city_ind, 0);
            EXPECT_EQ(code_ind, 0);
        }
        return std::string(sqlstate);
    };
    s.open_state = call(ZAL_CALL_OPEN, nullptr, nullptr);
    for (int i = 0; i < 1000; ++i) {
        char city[64], code[64];
        std::memset(city, 'Z', sizeof city);
        std::memset(code, 'Z', sizeof code);
        if (call(ZAL_CALL_FETCH, city, code) == "02000")
            break;
        EXPECT_LE(std::strlen(city), 48u);
        EXPECT_LE(std::strlen(code), 48u);
        s.rows.emplace_back(city, code);
    }
    EXPECT_EQ(call(ZAL_CALL_CLOSE, nullptr, nullptr), "00000");
    return s;
}

std::string default_text() {
    std::string text;
    for (const auto &[city, code] : default_rows)
        text += city + "," + code + ";\n";
    return text;
}

TEST(Airports, AMissingFileIsCreatedWithTheDefaultRows) {
    TempHome home(false);
    Scan first = scan();
    EXPECT_EQ(first.open_state, "00000");
    EXPECT_EQ(first.rows, default_rows);
    EXPECT_EQ(read_text(home / "AIRPORTS.DAT"), default_text());
    const auto perms = std::filesystem::status(home / "AIRPORTS.DAT").permissions();
    EXPECT_EQ(perms & std::filesystem::perms::all, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    EXPECT_EQ(scan().rows, default_rows);
}

TEST(Airports, RowsOfAnExistingFile) {
    const std::string first49 = std::string(40, 'a') + "," + std::string(8, 'b');
    const std::string x49(49, 'x');
    struct {
        const char *why;
        std::string file;
        Rows rows;
    } cases[] = {
        {"one row", "Paris,CDG;\n", {{"Paris", "CDG"}}},
        {"rows in file order", "Paris,CDG;\nRome,FCO;\n", {{"Paris", "CDG"}, {"Rome", "FCO"}}},
        {"only the first comma separates", "A,B,C;\n", {{"A", "B,C"}}},
        {"an empty city", ",XYZ;\n", {{"", "XYZ"}}},
        {"no semicolon keeps the line break", "Oslo,OSL\n", {{"Oslo", "OSL\n"}}},
        {"a last line without a line break", "Oslo,OSL;", {{"Oslo", "OSL"}}},
        {"a long line comes in pieces of 49", first49 + "CCCCC,DDDDD\n",
         {{std::string(40, 'a'), std::string(8, 'b')}, {"CCCCC", "DDDDD\n"}}},
        {"an empty file stays empty", "", {}},
        {"a line without a comma is all city", "Lima\n\n", {{"Lima\n", ""}, {"\n", ""}}},
        {"a piece of 49 without a comma is cut to the column", x49 + ",A;\n",
         {{std::string(48, 'x'), ""}, {"", "A"}}},
    };
    for (const auto &c : cases) {
        TempHome home(false);
        write_text(home / "AIRPORTS.DAT", c.file);
        Scan s = scan();
        EXPECT_EQ(s.open_state, "00000") << c.why;
        EXPECT_EQ(s.rows, c.rows) << c.why;
        EXPECT_EQ(read_text(home / "AIRPORTS.DAT"), c.file) << c.why << ": the file is never rewritten";
    }
}

TEST(Airports, AFileThatCannotBeOpenedOrCreatedGivesAnEmptyTable) {
    TempHome home(false);
    for (const std::string &dir : {(home / "missing").string(), "/" + std::string(5000, 'd')}) {
        EnvVar zal_home("ZAL_HOME", dir);
        Scan s = scan();
        EXPECT_EQ(s.open_state, "02000");
        EXPECT_TRUE(s.rows.empty());
    }
}

TEST(Airports, WithoutZalHomeTheFileLiesInTheDefaultInstanceDirectory) {
    TempDir data, user;
    fs::create_directories(data / "zal");
    fs::create_directories(user.path() / ".local/share/zal");
    EnvVar zal_home("ZAL_HOME", std::nullopt);
    {
        EnvVar xdg("XDG_DATA_HOME", data.path().string());
        EXPECT_EQ(scan().rows, default_rows);
        EXPECT_TRUE(fs::exists(data / "zal/AIRPORTS.DAT"));
    }
    EnvVar xdg("XDG_DATA_HOME", std::nullopt);
    EnvVar home("HOME", user.path().string());
    EXPECT_EQ(scan().rows, default_rows);
    EXPECT_TRUE(fs::exists(user.path() / ".local/share/zal/AIRPORTS.DAT"));
}

TEST(Airports, MissingArgumentsEndTheTable) {
    TempHome home(false);
    zal_scratchpad pad{};
    pad.length = ZAL_SCRATCHPAD_LEN;
    char sqlstate[ZAL_SQLSTATE_LEN + 1];
    char city[64], code[64];
    const int32_t open = ZAL_CALL_OPEN, fetch = ZAL_CALL_FETCH, close = ZAL_CALL_CLOSE;
    auto call = [&](char *city_buffer, zal_scratchpad *scratchpad, const int32_t *type) {
        std::strcpy(sqlstate, "00000");
        airports(city_buffer, code, nullptr, nullptr, sqlstate, nullptr, nullptr, nullptr, scratchpad, type);
        return std::string(sqlstate);
    };
    EXPECT_EQ(call(city, nullptr, &open), "02000");
    EXPECT_EQ(call(city, &pad, nullptr), "02000");
    EXPECT_EQ(call(city, &pad, &fetch), "02000") << "a fetch before the open";
    EXPECT_EQ(call(city, &pad, &open), "00000");
    EXPECT_EQ(call(nullptr, &pad, &fetch), "02000");
    EXPECT_EQ(call(city, &pad, &close), "00000");
    EXPECT_EQ(call(city, &pad, &close), "00000") << "a second close has nothing to close";
    airports(nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
}

} // namespace
