// pause: the result is 0 whatever the argument, and no argument makes it wait without end.
#include "kestle_routines.h"

#include <gtest/gtest.h>

#include <climits>

namespace {

TEST(Pause, ReturnsZeroAndNeverSleepsForANegativeTime) {
    for (int32_t milliseconds : {0, 1, -1, INT32_MIN}) {
        int32_t result = -7;
        zal_null_indicator indicator = -7;
        char sqlstate[ZAL_SQLSTATE_LEN + 1] = "xxxxx";
        kestle_pause(&milliseconds, &result, nullptr, &indicator, sqlstate, "PAUSE", "PAUSE", nullptr);
        EXPECT_EQ(result, 0) << milliseconds;
        EXPECT_EQ(indicator, 0) << milliseconds;
        EXPECT_STREQ(sqlstate, "xxxxx");
    }
}

TEST(Pause, NullArgumentsDoNotCrash) {
    int32_t result = -7;
    zal_null_indicator indicator = -7;
    kestle_pause(nullptr, &result, nullptr, &indicator, nullptr, nullptr, nullptr, nullptr);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(indicator, -1);
    // A null argument by its indicator is not slept on, whatever its value says.
    const int32_t endless = INT32_MAX;
    const zal_null_indicator null = -1;
    kestle_pause(&endless, &result, &null, &indicator, nullptr, nullptr, nullptr, nullptr);
    EXPECT_EQ(indicator, -1);
    kestle_pause(nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
}

} // namespace
