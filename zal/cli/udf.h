// User-defined functions: external routines in a library (scalar and table functions, called
// with the ZAL routine convention of zalroutine.h) and SQL-bodied functions. Their definitions
// live in the database; a routine's library is bound at its first call, never at a connect.
// Calls of a DETERMINISTIC SQL function are written out into the statements that make them
// (udf_inline.h); any other call runs the function's body as a statement of its own.
#pragma once

#include "diagnostics.h"
#include "query.h"
#include "udf_call.h"
#include "udf_definition.h"
#include "udf_inline.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

struct sqlite3_stmt;

namespace zal {

class Connection;

// What the calls of an SQL function use, made again after any change of the routines: a body
// holds the bodies of the functions it calls written out.
struct SqlBody {
    uint64_t generation = 0; // of the routines it was made from; 0 before it is made
    bool making = false;
    bool written_out = false; // calls of the function are written out
    InlineBody body;
    std::string text;               // SELECT <body>: the statement of a call
    std::vector<Query> statements;  // that statement at each depth of nesting, prepared once
};

// One routine, as the engine calls it.
struct Routine {
    udf::Definition d;
    std::string key;              // d.name in upper case: the engine finds functions so
    std::string creator;
    std::string definition;       // the CREATE FUNCTION text the catalog holds
    Connection *c = nullptr;
    udf::Binding binding;
    std::string qualified_name;   // CREATOR.NAME, the routine name it is passed
    int depth = 0;                // nesting of an SQL function that calls itself
    bool dropped = false;
    udf::Frame frame;             // scalar calls reuse their buffers
    SqlBody sql;

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

class Routines final : public RoutineSet {
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

    bool any() const { return !routines_.empty(); }
    // Goes up with every change of the routines: what was made from them before is stale.
    uint64_t generation() const { return generation_; }
    // Takes in the catalog as it stands, with what other connections and processes changed in
    // it; true when the routines changed.
    bool refresh();
    // The same, when somebody else wrote to the database since the last look or a rollback
    // may have taken back a change of the routines.
    bool refresh_if_changed();
    void doubt() { doubt_ = true; }
    // A statement that reaches a routine without naming it (in a view, a trigger) looks at the
    // catalog at its first call of one; a statement that names one has looked as it started.
    void statement_starts(bool looked) { looked_ = looked; }
    void look() {
        if (!looked_) {
            looked_ = true;
            refresh_if_changed();
        }
    }

    // The statement of a call of an SQL function at a depth of nesting; null when its body does
    // not prepare, with the engine's message saying why.
    sqlite3_stmt *body_statement(Routine &r);

    Callee callee(std::string_view name, size_t args) override;
    bool named(std::string_view name) const override { return find(name) != nullptr; }

private:
    Routine *find(std::string_view key) const;
    SqlBody &sql_of(Routine &r);
    bool calls_itself(const Routine &r) const;
    // The routine of a stored definition, new or in place of the one of its name.
    bool apply(const std::string &creator, const std::string &text, Diagnostic &error);
    bool install(std::unique_ptr<Routine> r, Routine *old, Diagnostic &error);
    // Out of the registration, and kept while the engine may still call it.
    void uninstall(Routine &r);
    void retire(Routine &r);

    Connection &c_;
    std::vector<std::unique_ptr<Routine>> routines_;
    std::vector<std::unique_ptr<Routine>> retired_; // dropped, kept until the connection closes
    uint64_t generation_ = 1;
    Query data_version_;
    int64_t seen_version_ = -1;
    bool doubt_ = false;
    bool looked_ = true;
};

} // namespace zal
