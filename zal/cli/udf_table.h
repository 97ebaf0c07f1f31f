// Table functions: a routine that returns a table is an eponymous virtual table of the engine,
// scanned by calling the routine with the open, fetch and close call types.
#pragma once

struct sqlite3_module;

namespace zal::udf {

// The module of every table function; its client data is the Routine.
const sqlite3_module &table_function_module();

} // namespace zal::udf
