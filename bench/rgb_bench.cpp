// rgb through SQL over 10 000 stored colour maps, against the engine's own trivial function over
// the same blobs: both count every map, so both read every blob through a function. Whether rgb
// finds the right maps is checked apart, against its result computed beforehand.
#include "bench_support.h"
#include "kestle_routines.h"

#include <zalapp.h>
#include <zalcli.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr double target = 1.2;

SQLHENV henv = 0;
SQLHDBC hdbc = 0;

// Runs one statement and returns the first column of its first row ("" when there is none).
std::string run(const std::string &sql) {
    SQLHSTMT hstmt = 0;
    SQLAllocStmt(hdbc, &hstmt);
    std::string value;
    if (SQLExecDirect(hstmt, (SQLCHAR *)sql.c_str(), SQL_NTS) == SQL_ERROR) {
        SQLCHAR state[SQL_SQLSTATE_SIZE + 1] = {}, message[SQL_MAX_MESSAGE_LENGTH + 1] = {};
        SQLINTEGER native = 0;
        SQLSMALLINT length = 0;
        SQLError(henv, hdbc, hstmt, state, &native, message, sizeof message, &length);
        std::fprintf(stderr, "rgb_bench: %s\n%s\n", sql.substr(0, 200).c_str(), message);
        std::exit(1);
    }
    SQLSMALLINT columns = 0;
    SQLNumResultCols(hstmt, &columns);
    if (columns > 0 && SQLFetch(hstmt) == SQL_SUCCESS) {
        char buffer[256] = {};
        SQLINTEGER indicator = 0;
        SQLGetData(hstmt, 1, SQL_C_CHAR, buffer, sizeof buffer, &indicator);
        value = buffer;
    }
    SQLFreeStmt(hstmt, SQL_DROP);
    SQLEndTran(SQL_HANDLE_DBC, hdbc, SQL_COMMIT);
    return value;
}

// A colour map of 1 to 65 random colours, with an end entry when it has room for one.
std::vector<unsigned char> random_map(std::mt19937 &random) {
    std::vector<unsigned char> map;
    const int colours = 1 + int(random() % 65);
    for (int k = 0; k < colours; ++k)
        for (unsigned char byte : {(unsigned char)(random() % 255), (unsigned char)(random() % 8 * 32),
                                   (unsigned char)(random() % 8 * 32), (unsigned char)0})
            map.push_back(byte);
    if (colours < 65)
        map.insert(map.end(), {255, 0, 0, 0});
    return map;
}

int32_t rgb_of(const std::vector<unsigned char> &map, int32_t red, int32_t green, int32_t blue) {
    std::vector<unsigned char> value(sizeof(uint32_t) + map.size());
    const uint32_t length = uint32_t(map.size());
    std::copy_n(reinterpret_cast<const unsigned char *>(&length), sizeof length, value.begin());
    std::copy(map.begin(), map.end(), value.begin() + sizeof length);
    int32_t result = 0;
    zal_null_indicator indicator = 0;
    rgb(reinterpret_cast<const zal_blob *>(value.data()), &red, &green, &blue, &result, nullptr, nullptr, nullptr,
        nullptr, &indicator, nullptr, nullptr, nullptr, nullptr);
    return result;
}

} // namespace

int main() {
    char home[] = "/tmp/kestle-rgb-bench-XXXXXX";
    if (!mkdtemp(home))
        return 1;
    setenv("ZAL_HOME", home, 1);
    zal_sqlca ca{};
    zalStartManager(nullptr, &ca);
    SQLAllocEnv(&henv);
    SQLAllocConnect(henv, &hdbc);
    if (SQLConnect(hdbc, (SQLCHAR *)"SAMPLE", SQL_NTS, (SQLCHAR *)"", SQL_NTS, (SQLCHAR *)"", SQL_NTS) != SQL_SUCCESS) {
        std::fprintf(stderr, "rgb_bench: cannot connect to SAMPLE\n");
        return 1;
    }
    run("CREATE FUNCTION RGB (BLOB(1M), INTEGER, INTEGER, INTEGER) RETURNS INTEGER EXTERNAL NAME 'kestle!rgb' "
        "LANGUAGE C PARAMETER STYLE ZAL DETERMINISTIC NO SQL");
    run("CREATE TABLE MAPS (ID INTEGER, MAP BLOB(1K), HIT INTEGER)");

    const int32_t red = 64, green = 96, blue = 160;
    std::mt19937 random(7);
    const char *hex = "0123456789ABCDEF";
    int hits = 0;
    for (int id = 0; id < 10000;) {
        std::string insert = "INSERT INTO MAPS VALUES ";
        for (int row = 0; row < 500; ++row, ++id) {
            const std::vector<unsigned char> map = random_map(random);
            const int32_t hit = rgb_of(map, red, green, blue);
            hits += hit;
            std::string literal;
            for (unsigned char byte : map)
                literal += {hex[byte >> 4], hex[byte & 15]};
            insert += (row ? ", (" : "(") + std::to_string(id) + ", X'" + literal + "', " + std::to_string(hit) + ")";
        }
        run(insert);
    }

    const std::string colour = std::to_string(red) + ", " + std::to_string(green) + ", " + std::to_string(blue);
    const std::string matched = run("SELECT COUNT(*) FROM MAPS WHERE rgb(MAP, " + colour + ") >= 1");
    std::string by_routine, by_builtin;
    const double routine = bench::best_seconds(
        5, [&] { by_routine = run("SELECT COUNT(*) FROM MAPS WHERE rgb(MAP, " + colour + ") >= 0"); });
    const double builtin =
        bench::best_seconds(5, [&] { by_builtin = run("SELECT COUNT(*) FROM MAPS WHERE NULLIF(MAP, X'') IS NOT NULL"); });
    const std::string wrong = run("SELECT COUNT(*) FROM MAPS WHERE (rgb(MAP, " + colour + ") >= 1) <> (HIT >= 1)");
    SQLDisconnect(hdbc);
    SQLFreeConnect(hdbc);
    SQLFreeEnv(henv);
    std::filesystem::remove_all(home);
    if (matched != std::to_string(hits) || wrong != "0") {
        std::printf("rgb_bench: rgb matched %s maps, %s of them wrongly; expected %d\n", matched.c_str(),
                    wrong.c_str(), hits);
        return 1;
    }
    if (by_routine != "10000" || by_builtin != by_routine) {
        std::printf("rgb_bench: counts differ: rgb %s, built-in %s, expected 10000\n", by_routine.c_str(),
                    by_builtin.c_str());
        return 1;
    }
    std::printf("rgb over 10000 maps: %.2f ms, the engine's own trivial function over the same maps: %.2f ms\n",
                routine * 1e3, builtin * 1e3);
    bench::report("rgb", routine / builtin, target);
    return 0;
}
