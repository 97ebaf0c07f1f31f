// What every fuzz target uses to report a broken invariant.
#pragma once

#include <cstdlib>

// Stops the run with a finding when an invariant does not hold.
inline void fuzz_check(bool ok) {
    if (!ok)
        std::abort();
}
