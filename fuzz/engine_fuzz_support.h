// Shared pieces of the engine fuzz targets.
#pragma once

#include "fuzz_support.h"
#include "report.h"

#include <string>

// Shows nothing: the targets check results, not messages.
struct SilentReporter : kestle::Reporter {
    void show_msg(int, long, int, const std::string &, const std::string &) override {}
};
