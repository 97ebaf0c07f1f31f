#include "kestle_routines.h"
#include "scalar_args.h"

#include <chrono>
#include <thread>

void kestle_pause(const int32_t *milliseconds, int32_t *result, const zal_null_indicator *milliseconds_ind,
                  zal_null_indicator *result_ind, char *, const char *, const char *, char *) {
    kestle::start_result(result, result_ind);
    if (kestle::null_argument(milliseconds, milliseconds_ind, result_ind))
        return;
    // A negative time would be an endless sleep for some sleep calls; it means no pause at all.
    if (*milliseconds > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(*milliseconds));
}
