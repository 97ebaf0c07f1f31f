// What the product's own libraries and tools use of the CLI beyond its C interface.
#pragma once

#include "connection.h"

#include <functional>

namespace zal {

// Runs f on the connection this process made last and still holds, under the CLI's lock.
// Returns false when the process has no connection.
bool with_current_connection(const std::function<void(Connection &)> &f);

} // namespace zal
