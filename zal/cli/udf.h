// User-defined functions: external routines in a library (scalar and table functions, called
// with the ZAL routine convention of zalroutine.h) and SQL-bodied functions. Their definitions
// live in the database; a routine's library is bound at its first call, never at a connect.
#pragma once

#include "diagnostics.h"
#include "query.h"
#include "udf_call.h"
#include "udf_definition.h"

#include <memory>
#include <string_view>
#include <vector>

namespace zal {

class Connection;

// One routine, as the engine calls it.
struct Routine {
    udf::Definition d;
    Connection *c = nullptr;
    udf::Binding binding;
    std::string qualified_name;   // CREATOR.NAME, the routine name it is passed
    Query body;                   // SQL functions: SELECT <expression>
    int depth = 0;                // nesting of an SQL function that calls itself
    bool dropped = false;
    udf::Frame frame;             // scalar calls reuse their buffers

    // Binds the library and the entry unless they are bound; false when they cannot be, and
    // the next call tries again.
    bool bind();
    // Why a call cannot be made: the library or the entry could not be bound.
    Diagnostic unbound() const;
    // An argument (from 0) whose value does not fit its declared type.
    Diagnostic overflow(size_t argument) const;
    // The failure a routine reported through its SQLSTATE and message.
    Diagnostic failed(const char *state, const char *message) const;
};

class Routines {
public:
    explicit Routines(Connection &c);
    ~Routines();

    // Registers every routine the database holds, without loading a library: a database file
    // runs no code when it is opened. Calling a routine whose library or entry cannot be bound
    // reports why.
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
