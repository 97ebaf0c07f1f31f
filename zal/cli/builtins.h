// The special registers (USER, CURRENT DATE, ...) and the dialect's scalar functions (YEAR,
// UCASE, VALUE, DECIMAL, ...) that the engine lacks.
#pragma once

#include "diagnostics.h"

namespace zal {

class Connection;

// Registers them on the connection; the special registers read its user and database.
bool install_builtins(Connection &c, Diagnostic &error);

} // namespace zal
