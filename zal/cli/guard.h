// The engine calls back into the product (functions, virtual tables) from its own C frames: an
// exception must never unwind through them, so each callback turns one into the engine's error.
#pragma once

#include <sqlite3.h>

#include <exception>
#include <new>
#include <tuple>
#include <type_traits>

namespace zal {

using ScalarFunction = void (*)(sqlite3_context *, int, sqlite3_value **);

// A scalar function whose exception fails the statement: out of memory as the engine's own
// condition, anything else with its text.
template <ScalarFunction F>
void guarded_function(sqlite3_context *ctx, int argc, sqlite3_value **argv) noexcept {
    try {
        F(ctx, argc, argv);
    } catch (const std::bad_alloc &) {
        sqlite3_result_error_nomem(ctx);
    } catch (const std::exception &e) {
        sqlite3_result_error(ctx, e.what(), -1);
    } catch (...) {
        sqlite3_result_error_code(ctx, SQLITE_INTERNAL);
    }
}

// The message of a virtual table callback that fails, which the engine reports for the statement.
inline void set_vtab_error(sqlite3_vtab *v, const char *message) noexcept {
    sqlite3_free(v->zErrMsg);
    v->zErrMsg = sqlite3_mprintf("%s", message);
}

namespace detail {

// Where a virtual table callback leaves the text of its failure: on its table, or for xConnect
// (the table does not exist yet) in its last argument.
template <typename First, typename... Rest>
void report(const char *what, First first, Rest... rest) noexcept {
    if constexpr (std::is_same_v<First, sqlite3_vtab *>) {
        set_vtab_error(first, what);
    } else if constexpr (std::is_same_v<First, sqlite3_vtab_cursor *>) {
        set_vtab_error(first->pVtab, what);
    } else if constexpr (sizeof...(Rest) > 0) {
        using Last = std::tuple_element_t<sizeof...(Rest) - 1, std::tuple<Rest...>>;
        if constexpr (std::is_same_v<Last, char **>)
            *std::get<sizeof...(Rest) - 1>(std::tie(rest...)) = sqlite3_mprintf("%s", what);
    }
}

} // namespace detail

// A virtual table callback whose exception becomes its result code and message.
template <auto F>
struct Guarded;

template <typename... A, int (*F)(A...)>
struct Guarded<F> {
    static int call(A... a) noexcept {
        try {
            return F(a...);
        } catch (const std::bad_alloc &) {
            return SQLITE_NOMEM;
        } catch (const std::exception &e) {
            detail::report(e.what(), a...);
            return SQLITE_ERROR;
        } catch (...) {
            return SQLITE_INTERNAL;
        }
    }
};

} // namespace zal
