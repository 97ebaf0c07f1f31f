// What the scalar routines share: how a result starts and when an argument counts as null.
#pragma once

#include <zalroutine.h>

#include <stdint.h>

namespace kestle {

// Every scalar routine starts from result 0, not null, whatever happens next.
inline void start_result(int32_t *result, zal_null_indicator *result_ind) {
    if (result)
        *result = 0;
    if (result_ind)
        *result_ind = 0;
}

// The registration lets no null argument through; should one come anyway, as a missing pointer
// or a null indicator, the routine answers null instead of reading a value that means nothing.
inline bool null_argument(const void *value, const zal_null_indicator *ind, zal_null_indicator *result_ind) {
    if (value && (!ind || *ind >= 0))
        return false;
    if (result_ind)
        *result_ind = -1;
    return true;
}

inline void set_result(int32_t *result, int32_t value) {
    if (result)
        *result = value;
}

} // namespace kestle
