// The manager's start as the product's own tools call it: its outcome in full, where the
// communication area of zalStartManager holds only the first 70 bytes of a message.
#pragma once

#include "diagnostics.h"

namespace zal {

struct ManagerStart {
    Diagnostic result;  // SQLCODE 0 when started, ZAL_SQLCODE_ALREADY_ACTIVE, or the failure
    std::string warning; // empty, or what the user should know about the instance
};

ManagerStart start_manager();

} // namespace zal
