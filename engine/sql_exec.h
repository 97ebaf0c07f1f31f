// Running one SQL statement and presenting it: the query log, the timing and the result grid.
#pragma once

#include <string>

namespace kestle {

class Program;

// 0 on success, -1 on every failure and on a query that returns no rows.
int ZAL_sql(Program &p, const std::string &sql, bool interactive);
// The first column of the first row of a query, in the text viewer. Always 0.
int ZAL_view(Program &p, const std::string &sql);

} // namespace kestle
