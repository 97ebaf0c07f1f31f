// The catalog tables SYSORL.SYSTABLES and SYSORL.SYSCOLUMNS, the product's own bookkeeping
// tables, and the special registers and scalar functions of the ZAL dialect.
#pragma once

#include "diagnostics.h"

#include <string>

struct sqlite3;

namespace zal {

class Connection;

// Creates the bookkeeping tables when they are missing.
bool ensure_system_tables(sqlite3 *db, Diagnostic &error);
// Registers the catalog tables, the special registers and the dialect's functions.
bool install_catalog(Connection &c, Diagnostic &error);

// The bookkeeping of CREATE and DROP, in the statement's own savepoint.
bool record_creator(sqlite3 *db, const std::string &object, const std::string &creator, bool replace);
bool forget_object(sqlite3 *db, const std::string &object);
bool table_exists(sqlite3 *db, const std::string &object);

// The tables that hold the product's bookkeeping; the catalog does not list them.
inline constexpr const char *system_prefix = "SYSZAL_";

} // namespace zal
