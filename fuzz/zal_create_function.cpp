// CREATE FUNCTION and DROP FUNCTION on arbitrary text: the parser, and a definition it accepts
// registered on an in-memory database, prepared in a statement (never called) and dropped.
#include "connection.h"
#include "fuzz_support.h"
#include "query.h"
#include "udf.h"
#include "udf_definition.h"

#include <sqlite3.h>

#include <string>

namespace {

// A statement that uses the function with a marker for each argument.
std::string use_of(const zal::udf::Definition &d) {
    std::string args;
    for (size_t i = 0; i < d.params.size(); ++i)
        args += i ? ", ?" : "?";
    const std::string call = zal::quoted_name(d.name) + "(" + args + ")";
    return d.table ? "SELECT * FROM " + call : "SELECT " + call;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char *data, std::size_t size) {
    const std::string text(reinterpret_cast<const char *>(data), size);
    std::string dropped;
    zal::Diagnostic error;
    zal::udf::parse_drop(text, dropped, error);

    zal::udf::Definition d;
    if (!zal::udf::parse_definition(text, d, error)) {
        fuzz_check(error.sqlcode < 0);
        return 0;
    }
    fuzz_check(!d.name.empty() && d.params.size() <= zal::udf::max_params);
    fuzz_check(!d.results.empty() && d.results.size() <= zal::udf::max_results);
    fuzz_check(d.language == "SQL" ? !d.table && !d.body.empty() : !d.external.empty());

    auto c = zal::Connection::create(":memory:", "FUZZ", "FUZZER", error);
    fuzz_check(c != nullptr);
    if (!c->routines().create(text, error)) {
        fuzz_check(error.sqlcode < 0);
        return 0;
    }
    // A table function's columns are its results, whatever their names.
    zal::Query q(c->db(), use_of(d));
    if (q.prepared() && d.table)
        fuzz_check(sqlite3_column_count(q.get()) == static_cast<int>(d.results.size()));
    // A call with values, written out where it can be, as a statement prepares it.
    std::string nulls;
    for (size_t i = 0; i < d.params.size(); ++i)
        nulls += i ? ", NULL" : "NULL";
    const std::string call = zal::quoted_name(d.name) + "(" + nulls + ")";
    const auto t = c->translation(d.table ? "SELECT * FROM " + call : "SELECT " + call + ", " + call + " + 1");
    zal::Query written(c->db(), t->sql);
    written = zal::Query();
    q = zal::Query();
    fuzz_check(c->routines().drop("DROP FUNCTION " + zal::quoted_name(d.name), error));
    return 0;
}
