// What the product's own libraries and tools use of the CLI beyond its C interface.
#pragma once

#include "connection.h"

#include <functional>

namespace zal {

// Runs f on the connection this process made last and still holds, holding that connection as a
// call on it does; calls on other connections go on meanwhile.
// Returns false when the process has no connection.
bool with_current_connection(const std::function<void(Connection &)> &f);

} // namespace zal
