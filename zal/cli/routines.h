// User-defined functions: external routines in a library (scalar and table functions, called
// with the ZAL routine convention of zalroutine.h) and SQL-bodied functions. Their definitions
// live in the database and are bound again on every connection.
#pragma once

#include "diagnostics.h"

#include <memory>
#include <string_view>
#include <vector>

namespace zal {

class Connection;
struct Routine;

class Routines {
public:
    explicit Routines(Connection &c);
    ~Routines();

    // Binds every routine the database holds. A routine whose library or entry cannot be bound
    // is still registered: calling it reports why.
    void load();
    // CREATE FUNCTION and DROP FUNCTION statements.
    bool create(std::string_view statement, Diagnostic &error);
    bool drop(std::string_view statement, Diagnostic &error);

private:
    bool install(std::unique_ptr<Routine> r, Diagnostic &error);
    void uninstall(Routine &r);

    Connection &c_;
    std::vector<std::unique_ptr<Routine>> routines_;
    std::vector<std::unique_ptr<Routine>> retired_; // dropped, kept until the connection closes
};

} // namespace zal
