// The catalog tables SYSORL.SYSTABLES and SYSORL.SYSCOLUMNS and the product's own bookkeeping
// tables.
#pragma once

#include "diagnostics.h"

#include <string>

struct sqlite3;

namespace zal {

// Creates the bookkeeping tables when they are missing.
bool ensure_system_tables(sqlite3 *db, Diagnostic &error);
// Registers the catalog tables.
bool install_catalog(sqlite3 *db, Diagnostic &error);

// The bookkeeping of CREATE and DROP, in the statement's own savepoint.
bool record_creator(sqlite3 *db, const std::string &object, const std::string &creator, bool replace);
bool forget_object(sqlite3 *db, const std::string &object);
bool table_exists(sqlite3 *db, const std::string &object);

} // namespace zal
