// A routine library of the tests' own, called by the database through the routine convention.
#include <zalroutine.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>

using ind = zal_null_indicator;

extern "C" {

int zaltest_closes = 0; // how often a table scan was closed

// hold(x) returns x once the test lets it go, saying when a statement has come into it and when
// it leaves; after 20 s it goes on by itself, so that a test that fails still ends.
std::atomic<int> zaltest_holding{0};
std::atomic<int> zaltest_released{0};
std::atomic<int> zaltest_left{0};

void hold(int32_t *in, int32_t *out, ind *, ind *out_ind, char *, char *, char *, char *) {
    zaltest_holding = 1;
    for (int waited = 0; !zaltest_released && waited < 20000; ++waited)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    *out = *in;
    *out_ind = 0;
    zaltest_left = 1;
}

void twice(int32_t *in, int32_t *out, ind *, ind *out_ind, char *, char *, char *, char *) {
    *out = *in * 2;
    *out_ind = 0;
}

void greet(char *name, char *out, ind *, ind *out_ind, char *, char *, char *, char *) {
    std::snprintf(out, 41, "Hello, %s", name);
    *out_ind = 0;
}

void blob_size(zal_blob *b, int32_t *out, ind *, ind *out_ind, char *, char *, char *, char *) {
    *out = static_cast<int32_t>(b->length);
    *out_ind = 0;
}

void refuse(int32_t *, int32_t *, ind *, ind *, char *state, char *, char *, char *message) {
    std::memcpy(state, "38601", 6);
    std::strcpy(message, "refused on purpose");
}

// count_to(n): rows (1, 'row 1'), (2, null), ... (n, ...), the label null on even rows.
void count_to(int32_t *n, int32_t *value, char *label, ind *, ind *value_ind, ind *label_ind, char *state, char *,
              char *, char *, zal_scratchpad *pad, int32_t *call) {
    int32_t at;
    std::memcpy(&at, pad->data, sizeof at);
    if (*call == ZAL_CALL_OPEN) {
        at = 0;
    } else if (*call == ZAL_CALL_CLOSE) {
        ++zaltest_closes;
        return;
    } else if (at >= *n) {
        std::memcpy(state, ZAL_SQLSTATE_END_OF_TABLE, 6);
        return;
    } else {
        ++at;
        *value = at;
        std::snprintf(label, 11, "row %u", static_cast<unsigned>(at) % 1000000u);
        *value_ind = 0;
        *label_ind = at % 2 ? 0 : -1;
    }
    std::memcpy(pad->data, &at, sizeof at);
}
}
