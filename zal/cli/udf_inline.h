// Writing SQL functions out where they are called: a call of a DETERMINISTIC SQL function becomes
// its expression, each argument in parentheses in place of its parameter, so that a statement
// costs what its expressions cost. A call written out gives exactly what the function's own
// statement gives it:
// - an argument or a result keeps no affinity, collation or declared type of its expression
//   where its place would let one matter (it is wrapped in a CASE, which keeps none);
// - an argument is written out in place of a parameter used twice or never only when it gives
//   the same value each time and never fails;
// - a body that could mean something else inside a statement (a subquery, a name that is not a
//   parameter, an aggregate, a collation, JSON) or a function that calls itself is called.
#pragma once

#include "dialect.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace zal {

// Functions written out one inside another at most this deep; deeper ones are called. The
// call path allows a function to call itself as deeply.
inline constexpr int max_nesting = 32;

// An SQL function's expression as it is written out: ?1, ?2, ... stand for its arguments, and
// the functions it calls are written out in it as far as they can be.
struct InlineBody {
    std::vector<Token> tokens;
    std::vector<bool> plain_place; // for each ?k: its place takes the argument's value alone
    int height = 1;                 // functions written out one inside another, itself included
};

// What writing out asks of the routines of a connection. Names are in upper case.
class RoutineSet {
public:
    enum class Kind { none, external, sql };
    struct Callee {
        Kind kind = Kind::none;
        bool deterministic = false;
        const InlineBody *body = nullptr; // an SQL function that is written out
    };
    // The routine a call of name with args arguments reaches (none: the engine's own function).
    virtual Callee callee(std::string_view name, size_t args) = 0;
    // Whether any routine, of any kind and arguments, has the name.
    virtual bool named(std::string_view name) const = 0;

protected:
    ~RoutineSet() = default;
};

struct Expansion {
    std::vector<Token> tokens;
    bool written_out = false;   // some call was written out
    bool names_routine = false; // some routine is called
};

// A query or a change of data with its calls of SQL functions written out; a result column
// named by such a call keeps the name the call gives it. Any other statement stays as it is.
Expansion expand_statement(const std::vector<Token> &tokens, RoutineSet &routines);

// An SQL function's translated body (?k for parameter k) with the functions it calls written
// out. written_out_ok tells whether the body itself may be written out where it is called.
InlineBody expand_body(const std::vector<Token> &body, size_t params, RoutineSet &routines, bool &written_out_ok);

// The calls in tokens: each function's name in upper case and its number of arguments.
std::vector<std::pair<std::string, size_t>> calls(const std::vector<Token> &tokens);

} // namespace zal
