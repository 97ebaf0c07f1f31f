// Shared pieces of the engine fuzz targets.
#pragma once

#include "report.h"

#include <cstdlib>
#include <string>

// Shows nothing: the targets check results, not messages.
struct SilentReporter : kestle::Reporter {
    void show_msg(int, long, int, const std::string &, const std::string &) override {}
};

// Stops the run with a finding when an invariant does not hold.
inline void fuzz_check(bool ok) {
    if (!ok)
        std::abort();
}
