// rgb: the colour map's end entry, its 65-entry limit and its length word.
#include "kestle_routines.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

struct Entry {
    unsigned char red, green, blue, fourth;
};

// A zal_blob holding the entries; `length` cuts the value short when given. Bytes past the
// length are set to a colour that a scan running past the length would find.
class Map {
public:
    explicit Map(const std::vector<Entry> &entries, long length = -1) {
        size_t bytes = entries.size() * 4;
        storage_.assign(sizeof(uint32_t) + bytes + 64, 0x7f);
        if (bytes)
            std::memcpy(storage_.data() + sizeof(uint32_t), entries.data(), bytes);
        uint32_t n = length < 0 ? uint32_t(bytes) : uint32_t(length);
        std::memcpy(storage_.data(), &n, sizeof n);
    }
    const zal_blob *blob() const { return reinterpret_cast<const zal_blob *>(storage_.data()); }

private:
    std::vector<unsigned char> storage_;
};

int32_t find(const Map &map, int32_t red, int32_t green, int32_t blue) {
    int32_t result = -7;
    zal_null_indicator indicator = -7;
    const zal_null_indicator not_null = 0;
    char sqlstate[ZAL_SQLSTATE_LEN + 1] = "xxxxx";
    rgb(map.blob(), &red, &green, &blue, &result, &not_null, &not_null, &not_null, &not_null, &indicator, sqlstate,
        "RGB", "RGB", nullptr);
    EXPECT_EQ(indicator, 0);
    EXPECT_STREQ(sqlstate, "xxxxx");
    return result;
}

TEST(Rgb, FindsColoursUpToTheEndEntry) {
    const Map map({{10, 20, 30, 0}, {0, 255, 255, 9}, {255, 0, 0, 0}, {40, 50, 60, 0}});
    struct {
        int32_t red, green, blue, expected;
    } cases[] = {
        {10, 20, 30, 1},  {10, 20, 31, 0}, {11, 20, 30, 0}, {10, 21, 30, 0},
        {0, 255, 255, 1}, // green and blue 255 are colours; the fourth byte does not count
        {40, 50, 60, 0},  // after the end entry
        {255, 0, 0, 0},   // the end entry itself is never found
        {10 + 256, 20, 30, 0}, {-246, 20, 30, 0}, // arguments outside 0-255
    };
    for (const auto &c : cases)
        EXPECT_EQ(find(map, c.red, c.green, c.blue), c.expected) << c.red << "," << c.green << "," << c.blue;
}

TEST(Rgb, ExaminesAtMost65Entries) {
    std::vector<Entry> entries;
    for (unsigned char k = 0; k < 66; ++k)
        entries.push_back({k, k, k, 0});
    const Map map(entries);
    EXPECT_EQ(find(map, 0, 0, 0), 1);
    EXPECT_EQ(find(map, 64, 64, 64), 1);
    EXPECT_EQ(find(map, 65, 65, 65), 0);
}

// Past the length lie 0x7f bytes: reading there would find the colour 127, 127, 127.
TEST(Rgb, AShortMapStopsAtItsLength) {
    const Map empty({}, 0);
    EXPECT_EQ(find(empty, 127, 127, 127), 0);
    const Map two({{1, 2, 3, 0}, {4, 5, 6, 0}});
    EXPECT_EQ(find(two, 4, 5, 6), 1);
    EXPECT_EQ(find(two, 127, 127, 127), 0);
    // An entry whose colour bytes lie within the length counts; its fourth byte is not needed.
    EXPECT_EQ(find(Map({{1, 2, 3, 0}, {4, 5, 6, 0}}, 7), 4, 5, 6), 1);
    EXPECT_EQ(find(Map({{1, 2, 3, 0}, {4, 5, 6, 0}}, 6), 4, 5, 6), 0);
}

TEST(Rgb, NullArgumentsGiveANullResult) {
    const Map map({{1, 2, 3, 0}});
    int32_t red = 1, green = 2, blue = 3, result = -7;
    zal_null_indicator indicator = -7;
    const zal_null_indicator null = -1, not_null = 0;
    rgb(nullptr, &red, &green, &blue, &result, nullptr, nullptr, nullptr, nullptr, &indicator, nullptr, nullptr,
        nullptr, nullptr);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(indicator, -1);
    indicator = -7;
    rgb(map.blob(), &red, &green, &blue, &result, &not_null, &not_null, &null, &not_null, &indicator, nullptr,
        nullptr, nullptr, nullptr);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(indicator, -1);
    rgb(map.blob(), &red, nullptr, &blue, &result, nullptr, nullptr, nullptr, nullptr, &indicator, nullptr, nullptr,
        nullptr, nullptr);
    EXPECT_EQ(indicator, -1);
    // Null indicator pointers mean not null; no result buffers: nothing written.
    rgb(map.blob(), &red, &green, &blue, &result, nullptr, nullptr, nullptr, nullptr, &indicator, nullptr, nullptr,
        nullptr, nullptr);
    EXPECT_EQ(result, 1);
    EXPECT_EQ(indicator, 0);
    rgb(map.blob(), &red, &green, &blue, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
        nullptr, nullptr);
}

} // namespace
